// The library object behind CWhiteBoardLib: checks each operation's input,
// drives the board widget and its page controls on the GUI thread, follows
// the room's documents and answers the program from the library thread.
#pragma once

#include "WhiteBoardLib.h"

#include "libs/whiteboardlib/src/WBCallbackThread.h"
#include "libs/whiteboardlib/src/WBImageSource.h"

#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QReadWriteLock;
class WBCanvas;
class WBPageControls;

class WhiteBoardImpl : public CWhiteBoardLib
{
public:
    struct Config
    {
        QString urlWB;
        QString appData;
        int userType = 0;
        QReadWriteLock* curlLock = nullptr;
    };

    WhiteBoardImpl(QWidget* parent, WBLibCallbackFunc callback, const Config& config);
    ~WhiteBoardImpl() override; // stops the thread; the widgets stay with their parents

    bool EnterRoom(const QVariant& loginVars) override;
    bool SetDualRoom(const QVariant& dualRoom) override;
    bool LeaveRoom() override;
    bool SetDualMode(const QString& mode) override;
    bool SetBackground(const QString& file, bool custom) override;
    bool SetDrawAuth(bool pen, bool click) override;
    bool RemoveUser() override;
    std::vector<WBDocInfo> GetCurDocInfo() override;
    QWidget* GetWBWidget() override;
    bool SetTool(int tool) override;
    bool InsertObject(int kind, const QString& path, const QVariant& extra) override;
    bool SetPenWidth(int width) override;
    bool SetPenColor(int rgb) override;
    bool SetTextColor(int rgb) override;
    bool SetFontSize(int size) override;
    bool ClearBoard() override;
    bool OpenDocPages(const QString& docId, const QString& page) override;
    bool DeleteDoc(const QString& docId) override;

private:
    bool fail(const QString& operation, const QString& why);
    // Refuses invalid input, or a board widget that is gone; else applies.
    bool applyToBoard(const char* operation, bool valid, const QString& why,
                      const std::function<void(WBCanvas&)>& apply);
    bool findDoc(const QString& docId, WBDocInfo* doc);
    static QString pageSource(const WBDocInfo& doc, int page);
    // Loads one document page on the library thread and shows it (GUI).
    void loadDocPage(const WBDocInfo& doc, int page, bool countPages);
    int countPages(const WBDocInfo& doc) const; // library thread
    // Library thread: re-reads the room's documents; reports a change.
    void refreshDocs(bool always);
    void reportNotice(WBRs code, QWidget* notice, bool show);
    void reportPageControls(const QString& roomId, WBPageControls* controls, bool hide);

    const Config m_config;                      // set once
    std::unique_ptr<WBCallbackThread> m_thread; // made in the constructor
    WBImageSource m_images;                     // const; used from both threads
    int m_hubListener = 0;                      // GUI thread only

    // Context of the work the library thread hands back to the GUI thread
    // that needs this object; deleted (dropping that work) after the thread stopped.
    std::unique_ptr<QObject> m_guiGuard;          // GUI thread only
    QPointer<QWidget> m_container;                // GUI thread only
    QPointer<WBCanvas> m_canvas;                  // GUI thread only
    QList<QMetaObject::Connection> m_canvasLinks; // GUI thread only: the board's links to this object
    std::unique_ptr<WBPageControls> m_mainPages;  // GUI thread only
    std::unique_ptr<WBPageControls> m_dualPages;  // GUI thread only
    QPointer<QWidget> m_loadingNotice;            // GUI thread only
    QPointer<QWidget> m_failedNotice;             // GUI thread only
    QString m_dualRoomId;                         // GUI thread only
    QString m_dualMode;                           // GUI thread only
    int m_loadSeq = 0;                            // GUI thread only: the latest page or picture load
    std::map<std::string, QString> m_customBackground; // GUI thread only: by room

    std::mutex m_docLock;                    // guards m_roomId, m_docs
    std::string m_roomId;                    // guarded by m_docLock; empty outside a room
    std::vector<WBDocInfo> m_docs;           // guarded by m_docLock
};
