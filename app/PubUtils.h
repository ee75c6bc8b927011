#pragma once
// Static helpers shared by the whole program: the data folders, widget
// placement, durations, MD5 of files and URLs, face (emoticon) texts,
// strings and encodings.
#include <QString>

#include <string>
#include <vector>

class QWidget;
class QTextDocument;

class PubUtils {
public:
    // --- data folders ---
    // The data folder ("VeltoraTea" in the per-user data location), made on
    // first use and cached for the run.
    static std::string GetAppData();
    static QString GetLogDir();        // data folder + "/VeltoraTea"
    static std::string GetTempDir();   // data folder + "/Temp"
    static QString GetRecordDir();     // data folder + "/record"
    static QString GetBroadcastLogDir();
    static QString CopyToTemp(const QString& path);
    static void CheckClearTemp();
    static void RemoveOldFiles(const QString& dir, int days);

    // --- widgets ---
    static void MoveToScreenCenter(QWidget* w, QWidget* ref = nullptr);
    static QWidget* GetTopWidget(QWidget* w);

    // --- text and files ---
    static QString FormatDuration(int seconds, bool withHours);
    static std::string GetFileMd5(const QString& path);
    static std::string GetUrlLocalFile(const std::string& url);
    static std::vector<QString> ListFilesByCreation(const QString& dir, int maxCount);
    static std::string DocToFaceText(const QTextDocument* doc);
    static std::string FaceTextToHtml(const std::string& text, int mode);
    static void SetFaceList(const std::vector<std::string>& names);
    static std::vector<std::string> SplitString(const std::string& text, const std::string& separator);
    static std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);
    static bool RemoveFile(const QString& path);
    static std::string Utf8ToLocal(const std::string& text);
};

std::string WStringToUtf8(const std::wstring& text);
std::wstring Utf8ToWString(const std::string& text);
std::string UrlEncode(const std::string& text);
