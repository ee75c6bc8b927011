#pragma once
// The chat's message records, one per shown row, always held by
// QSharedPointer. GUI thread only, like the panel and its rows.
#include <QSharedPointer>
#include <QString>

// The opening and end of a chat message line in a row's text view.
inline constexpr const char* g_strMsgHead = "<p style=\"line-height:20px;font:14px; text-decoration:none;\">";
inline constexpr const char* g_strMsgTail = "</p>";

// The message kinds of a row.
enum ChatMsgType {
    kChatMsgPlain = 0,  // text without emoticons
    kChatMsgFace = 1,   // text with emoticon names
    kChatMsgImage = 2,  // a picture (ImageMsgInfo)
    kChatMsgSystem = 3, // an orange system line
};

struct MsgInfo {
    virtual ~MsgInfo() = default;

    QString id;          // the server's message id; empty for system lines and pictures
    QString userId;      // the sender's chat user id
    QString name;        // the sender's display name
    int userType = 0;    // 1 teacher, 2 assistant, other: no badge
    int msgType = 0;     // ChatMsgType
    QString content;     // HTML to show; for pictures the local file
    qint64 time = 0;     // seconds since 1970
    bool isSelf = false; // sent from this client
    bool showTime = false;
};

// The states of a picture row.
enum ImageMsgStatus {
    kImageNotStarted = 0,
    kImageDownloading = 1,
    kImageReady = 2,
    kImageFailed = 3,
};

struct ImageMsgInfo : MsgInfo {
    QString localPath;  // the captured file, or the URL's cache file once present
    QString url;        // the picture's address; empty for a sent screenshot
    int status = kImageNotStarted;
};
