#pragma once
// The in-process class-room service behind the client library: accounts,
// the home lists (lessons by day, courses, temporary rooms, groups and their
// messages), room entry, the users of a room with the simulated students,
// chat, the interaction tools and the cloud disk.
//
// Requests are served by methods that return the result map (the caller
// adds "code", "errMsg" and "user_data" defaults). Room events are collected
// into an Events list that the caller delivers after the call, so that no
// callback runs while the service lock is held.
#include "libs/clientlib/src/SchoolData.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <mutex>

namespace clientlib {

using Events = QList<QPair<int, QVariant>>;

// What the service needs of the library around it.
class ServiceHost {
public:
    virtual ~ServiceHost() = default;
    // Runs `task` on the library thread after `ms`.
    virtual void schedule(std::function<void()> task, int ms) = 0;
    // Runs slow `task` (downloads) on a thread of its own after `ms`.
    virtual void scheduleSlow(std::function<void()> task, int ms) = 0;
    // Delivers events through the callback (library thread only).
    virtual void deliver(const Events& events) = 0;
    // One log line (code 0 and stderr).
    virtual void log(const QString& line) = 0;
    // A remote user's media, handed to the program's callbacks.
    virtual void userAudio(const QString& userId) = 0;
    virtual void userVideo(const QString& userId) = 0;
    // The simulated students' cameras: where a student publishes in a room
    // (empty: it has no camera), and starting (url) or stopping (empty url)
    // its push later on the library thread; stopAllStudents stops them all.
    virtual QString studentStreamUrl(const QString& roomId, const QString& userId) = 0;
    virtual void studentPublish(const QString& userId, const QString& url) = 0;
    virtual void stopAllStudents() = 0;
    // Publishes a room document for the whiteboard; empty roomId clears.
    virtual void publishRoomDoc(const QString& roomId, const DiskEntry& doc) = 0;
    virtual void publishRoomDocs(const QString& roomId, const QList<DiskEntry>& docs) = 0;
    // The page-image address of a document ("xxxx" for the page number),
    // making the pages when the data set gives none.
    virtual QString pageUrl(const DiskEntry& doc) = 0;
    // Converts an uploaded document into page images from `source` (an
    // http(s) address or a local file; empty: plain pages). Answers the
    // page-image address and sets *pages, or "" with the reason in *error.
    // Slow (it may download): never called under the service lock.
    virtual QString convertUpload(const DiskEntry& doc, const QString& source, int* pages, QString* error) = 0;
};

// A failed request: the result code and the message.
struct Failure {
    int code = 0;
    QString errMsg;
};

struct RoomUser {
    QString userId, userName, webId, header;
    int type = 0;
    bool cam = false, mic = false, click = false, draw = false, noSpeak = false, online = false;
    bool handup = false;
    qint64 praise = 0;  // stars the teacher gave in this room
};

class ClassroomService {
public:
    ClassroomService(ServiceHost* host, const SchoolData& data);

    // Threads: every public method takes m_lock; callable from any thread.

    // Accounts (results 1000 to 1007).
    QVariantMap login(const QString& account, const QString& password, Failure* f);
    QVariantMap loginBySms(const QString& phone, const QString& code, Failure* f);
    QVariantMap smsCode(const QString& phone, int kind, Failure* f);
    QVariantMap registerUser(const QString& phone, const QString& password, const QString& code, Failure* f);
    QVariantMap resetPassword(const QString& phone, const QString& password, const QString& code, Failure* f);
    QVariantMap userInfo(const QString& userId, Failure* f);
    QVariantMap findUser(const QString& phone, Failure* f);
    bool loggedIn() const;

    // Home lists (results 1009 to 1022).
    QVariantMap classes(Failure* f);
    QVariantMap orders(const QString& firstDay, const QString& lastDay, Failure* f);
    QVariantMap dayRooms(const QString& day, Failure* f);
    QVariantMap courseRooms(const QString& courseId, Failure* f);
    QVariantMap tmpRooms(Failure* f);
    QVariantMap tmpCourse(Failure* f);
    QVariantMap groups(Failure* f);
    QVariantMap groupMessages(const QString& groupId, qint64 ts, Failure* f);
    QVariantMap makeTmpRoom(int kind, const QString& groupId, Failure* f);
    QVariantMap shareTmpRoom(const QString& roomId, const QString& userId, Failure* f);
    QVariantMap enterRoom(const QString& roomId, const QString& kind, QString* roomType, Failure* f);
    void addFeedback(const QVariant& category, const QString& text);

    // The room (codes 1 to 158).
    void loginRoom(const QStringList& vars, Events* ev);
    void leaveRoom();
    bool inRoom() const;
    bool isLiveRoom() const;
    bool hasUser(const QString& userId) const;
    // Changes one flag of a user ("cam", "mic", "click", "draw", "noSpeak",
    // "online") and reports the user again (101). A student's camera or
    // microphone in a small class also answers with its tile (103, and for
    // the camera 105 or 106 as studentCamera does).
    bool setUserFlag(const QString& userId, const char* flag, bool on, Events* ev);
    // The teacher gives a student a star: 113, then 114 with the new count.
    bool praiseUser(const QString& userId, Events* ev);
    bool kickUser(const QString& userId, Events* ev);
    bool linkMic(const QString& userId, bool on, Events* ev);
    void userHeader(const QString& userId, Events* ev);
    bool studentJoin(const QString& userId, Events* ev);
    bool studentLeave(const QString& userId, Events* ev);
    bool studentChat(const QString& userId, const QString& text, Events* ev);
    bool studentHand(const QString& userId, bool raised, Events* ev);
    // A student in a small-class room switches its camera (103, then 105 or
    // 106) and starts or stops publishing.
    bool studentCamera(const QString& userId, bool on, Events* ev);
    bool sendChat(const QString& content, int type, qint64 timeSecs, Events* ev);
    void setAllNoSpeak(bool on, Events* ev);

    // Interaction tools.
    void setVoiceInteraction(bool on, Events* ev);
    void setCountdown(int seconds, bool start, Events* ev);
    bool publishQuestion(int type, int num, const QList<int>& right, qint64 id, bool showNum, Events* ev);
    bool stopQuestion(Events* ev);
    void setDoodleBoard(bool on, Events* ev);
    void publishNotice(qint64 id, const QString& json, Events* ev);
    bool setLottery(int count, qint64 id, bool start, Events* ev);
    void productList(bool ad, const QString& lastTs, Events* ev);
    bool productUpDown(bool ad, bool up, const QVariantMap& product, Events* ev);

    // Cloud disk and courseware (results 1017, 1023 to 1029, 1032).
    QVariantMap listFolder(const QString& owner, const QString& groupId, const QString& uuid, Failure* f);
    QVariantMap makeDir(const QString& owner, const QString& groupId, const QString& parent, const QString& name,
                        Failure* f);
    QVariantMap rename(const QString& owner, const QString& groupId, const QString& uuid, const QString& name,
                       Failure* f);
    QVariantMap remove(const QString& owner, const QString& groupId, const QString& uuid, Failure* f);
    QVariantMap addFile(const QVariantMap& reg, Failure* f);
    QVariantMap docStatus(const QString& owner, const QString& groupId, const QString& docId, Failure* f);
    QVariantMap openNetFile(const QString& guid, const QString& groupId, Failure* f);
    QVariantMap mediaUrl(const QString& docId, Failure* f);

    // Devices.
    QStringList cameras() const;
    QStringList mics() const;
    QStringList speakers() const;

    int requestTimeoutMs() const;
    QVariantMap state() const;

private:
    // Helpers: called with m_lock held (later() takes it itself).
    QVariantMap lessonMap(const LessonRec& l, const QDateTime& now) const;
    QVariantList teacherList() const;
    const LessonRec* findLesson(const QString& roomId) const;
    QVariantMap userJoinMap(const RoomUser& u) const;
    QVariantMap countMap() const;
    QVariantMap chatMap(const RoomUser& u, const QString& msg, int msgType, qint64 t);
    void scheduleStudents(quint64 gen);
    bool joinLocked(const QString& userId, Events* ev);
    bool leaveLocked(const QString& userId, Events* ev);
    bool chatLocked(const QString& userId, const QString& text, Events* ev);
    bool handLocked(const QString& userId, bool raised, Events* ev);
    bool liveLocked() const;
    // The student's camera tile (103) and, with the camera on, its stream
    // (105, publishing) or, off, its end (106).
    void cameraLocked(RoomUser& u, bool on, Events* ev);
    // A user's tile state as 103 carries it (the stream while the camera is on).
    QVariantMap tileMap(const RoomUser& u) const;
    const StudentRec* student(const QString& userId) const;
    void scheduleAnswers(quint64 gen, qint64 questionId);
    void drawLottery(quint64 gen, qint64 lotteryId);
    QVariantMap questionResult() const;
    QList<DiskEntry>* disk(const QString& owner, const QString& groupId, Failure* f);
    DiskEntry* findEntry(QList<DiskEntry>* list, const QString& uuid);
    // "0" (the root) or a folder of the list; else the failure 404.
    bool folderExists(QList<DiskEntry>* list, const QString& uuid, Failure* f);
    DiskEntry* findDoc(const QString& guid);
    QVariantMap entryMap(const DiskEntry& e) const;
    QString pageUrlFor(const DiskEntry& e) const;
    // Runs `fn` on the library thread when the room session `gen` is still
    // the current one, delivering what it collects.
    void later(quint64 gen, int ms, std::function<void(Events*)> fn);

    ServiceHost* m_host;              // not owned, outlives the service; set once, read by any thread
    mutable std::mutex m_lock;        // guards everything below
    SchoolData m_data;  // guarded by m_lock
    bool m_loggedIn = false;  // guarded by m_lock
    QMap<QString, QString> m_registered;  // guarded by m_lock; phone -> password
    QMap<QString, QString> m_smsSent;     // guarded by m_lock; phone -> code sent
    QVariantList m_feedback;  // guarded by m_lock
    int m_nextId = 1;  // guarded by m_lock

    // Room session.
    quint64 m_gen = 0;  // guarded by m_lock; bumped on every room login and leave
    bool m_inRoom = false;  // guarded by m_lock
    QStringList m_loginVars;  // guarded by m_lock
    QString m_roomId;  // guarded by m_lock
    QString m_chatId;  // guarded by m_lock
    QMap<QString, RoomUser> m_users;  // guarded by m_lock; users in the room by id, the teacher among them
    QStringList m_joinOrder;  // guarded by m_lock
    bool m_chatAll = true;  // guarded by m_lock
    bool m_voiceOn = false;  // guarded by m_lock
    bool m_doodleOn = false;  // guarded by m_lock
    qint64 m_noticeId = 0;  // guarded by m_lock
    QString m_notice;  // guarded by m_lock
    qint64 m_questionId = 0;  // guarded by m_lock
    int m_questionType = 0, m_questionNum = 0;  // guarded by m_lock
    bool m_questionShowNum = false;  // guarded by m_lock
    QList<int> m_questionRight;  // guarded by m_lock
    qint64 m_questionStart = 0;  // guarded by m_lock
    QMap<QString, QList<int>> m_answers;  // guarded by m_lock; userId -> options
    qint64 m_lotteryId = 0;  // guarded by m_lock
    int m_lotteryCount = 0;  // guarded by m_lock
    QStringList m_lotteryJoined;  // guarded by m_lock
    QString m_upProduct[2];  // guarded by m_lock
};

}  // namespace clientlib
