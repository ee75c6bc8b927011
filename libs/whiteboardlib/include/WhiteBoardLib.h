// The whiteboard library: a shared drawing board with documents shown page by
// page, bound by the room controller.
//
// Every operation is called on the GUI thread; the board widget lives there.
// Answers come through the callback given to WBCreateLib, always from the
// library's own thread and never from inside an operation: a code (WBRs) and
// a QVariantMap payload. Code 0 carries one log line under "log".
#pragma once

#include <QString>
#include <QVariant>

#include <string>
#include <vector>

class QWidget;

#if defined(_WIN32)
#  define WBLIB_EXPORT __declspec(dllexport)
#else
#  define WBLIB_EXPORT __attribute__((visibility("default")))
#endif

// Callback codes and their payload keys (all payloads are QVariantMaps).
enum WBRs
{
    RsWB_Log = 0,              // "log" (QString): one log line
    RsWB_AddrFailed = 1,       // "type" (QString "wb"), "errMsg" (QString)
    RsWB_ConnectFailed = 2,    // "type" (QString "wb"), "errMsg" (QString)
    RsWB_Background = 3,       // "type" (QString "wb"), "image" (QString)
    RsWB_AddPageWidget = 4,    // "roomId" (QString), "hide" (bool),
                               // "pageWdg", "addWdg" (qlonglong widget pointers)
    RsWB_ShowPageWidget = 5,   // "roomId" (QString), "show" (bool), "widget" (qlonglong)
    RsWB_HidePageWidget = 6,   // "roomId" (QString), "show" (bool), "widget" (qlonglong)
    RsWB_DocChanged = 7,       // "roomId" (QString), "count" (int); read GetCurDocInfo
    RsWB_BackgroundImage = 8,  // "image" (QString)
    RsWB_FontSize = 9,         // "fontSize" (int)
    RsWB_ServerTimeOffset = 10 // "offMs" (qlonglong)
};

// One room document. Eight UTF-8 strings; numbers are decimal text. The
// document id is the key: two records match when their ids are equal byte
// for byte, whatever the other fields hold.
struct WBLIB_EXPORT WBDocInfo
{
    std::string docId;      // sent as "docid"
    std::string fileName;   // with its suffix
    std::string docType;    // "media" for audio and video
    std::string pageUrl;    // one page image; "xxxx" stands for the page "0001"...
    std::string duration;   // whole seconds
    std::string fileSize;   // bytes
    std::string extName;    // extension without the dot; may be empty
    std::string createTime; // seconds since 1970

    WBDocInfo() = default;
    WBDocInfo(const std::string& id); // implicit: a lookup key from an id
};

WBLIB_EXPORT bool operator==(const WBDocInfo& a, const WBDocInfo& b);
WBLIB_EXPORT bool operator!=(const WBDocInfo& a, const WBDocInfo& b);

// Tool codes of SetTool.
enum WBTool
{
    WBTool_Click = 0,      // document click-through: the board draws nothing
    WBTool_Select = 1,     // select and move; Delete removes the selection
    WBTool_Pen = 2,
    WBTool_Line = 3,
    WBTool_Text = 4,
    WBTool_Rect = 5,
    WBTool_Ellipse = 7,
    WBTool_Delete = 12,    // a click removes the object under it
    WBTool_Highlighter = 13
};

// Object kinds of InsertObject.
enum WBObjectKind
{
    WBObject_Picture = 8,
    WBObject_Audio = 9,
    WBObject_Video = 10
};

// The board. Operations answer false (and log why) when their input is
// unusable; the program does not have to read the answers.
class WBLIB_EXPORT CWhiteBoardLib
{
public:
    virtual ~CWhiteBoardLib();

    // Room: the login variables as a QStringList (entry 1 is the room id).
    virtual bool EnterRoom(const QVariant& loginVars) = 0;
    // Dual classroom: map with "roomId", "token" and "conn" (bool).
    virtual bool SetDualRoom(const QVariant& dualRoom) = 0;
    virtual bool LeaveRoom() = 0;
    // "1" on entering a dual-teacher class, "" on leaving it.
    virtual bool SetDualMode(const QString& mode) = 0;
    // An image file or resource; custom is true when the teacher chose it.
    virtual bool SetBackground(const QString& file, bool custom) = 0;
    virtual bool SetDrawAuth(bool pen, bool click) = 0;
    // The room's teacher left.
    virtual bool RemoveUser() = 0;
    // The room's documents (a copy).
    virtual std::vector<WBDocInfo> GetCurDocInfo() = 0;
    // The board's display widget (a child of the parent given to WBCreateLib).
    virtual QWidget* GetWBWidget() = 0;

    // Drawing.
    virtual bool SetTool(int tool) = 0;
    // kind: WBObjectKind; path: a local file or a picture URL; extra: int 0 or
    // a map with "width" and "height" (the picture's size in pixels).
    virtual bool InsertObject(int kind, const QString& path, const QVariant& extra) = 0;
    virtual bool SetPenWidth(int width) = 0;  // 2, 4, 6 or 8
    virtual bool SetPenColor(int rgb) = 0;    // 0x00RRGGBB
    virtual bool SetTextColor(int rgb) = 0;   // 0x00RRGGBB
    virtual bool SetFontSize(int size) = 0;   // 14, 18, 24 or 36 (pixels); never answered
    virtual bool ClearBoard() = 0;            // the objects of the page shown

    // Documents: open one at a page ("0001" is the first), delete one.
    virtual bool OpenDocPages(const QString& docId, const QString& page) = 0;
    virtual bool DeleteDoc(const QString& docId) = 0;
};

typedef void (*WBLibCallbackFunc)(WBRs code, const QVariant& var);

// parent: the widget the board is made in; config: the room controller's
// QVariantMap ("appData", "urlWB", "userType", "curlLocker", ...).
// Null when the parent, the callback or the config is unusable.
WBLIB_EXPORT CWhiteBoardLib* WBCreateLib(QWidget* parent, WBLibCallbackFunc callback,
                                         const QVariant& config);
// Once, at closing. No callback follows it. The board widget and the page
// controls stay with their Qt parents (the program may still hold them) and
// no longer reach the library.
WBLIB_EXPORT void WBReleaseLib(CWhiteBoardLib* lib);
