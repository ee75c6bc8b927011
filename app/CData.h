#pragma once
// The session data model: login variables of the room, the local user and
// the room's users, the class-home data, the room's flags, integer-keyed
// status values, the server time offset and the one-second tick.
//
// Implementation by concern: CData.cpp (life, login variables, users,
// status, flags, tick), CDataHome.cpp (class-home data, share history, group
// images), CDataLive.cpp (live configuration and media lines), CDataTran.cpp
// (relayed messages).
#include "app/SessionRecords.h"

#include <QMap>
#include <QObject>
#include <QReadWriteLock>
#include <QStringList>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QVariant>

#include <map>
#include <string>
#include <vector>

#include <functional>

class AppUpdater;
class DownThread;
class QTimer;

// Keys of the status map (SetStatus/GetStatus; kStatusToken holds text).
enum StatusKey {
    kStatusSignedIn = 1,           // set after a successful login
    kStatusPartnerTeacher = 1001,  // dual-teacher class: the partner is in the room
    kStatusMediaFilePlaying = 1002,
    kStatusLivePlayerPlaying = 1003,
    kStatusToken = 1004,           // text: the session token (login variable 0)
    kStatusHandUpOpen = 1005,
    kStatusDevicesBusy = 1006,     // device check or mixed-mode broadcasting
    kStatusShowUserNumByChat = 1007,
    kStatusOpenSyncLive = 1008,
    kStatusVoiceInteraction = 1009,
    kStatusLinkMic = 1010,
    kStatusMixedBroadcast = 1011,
};

// The request kinds of relayed ("tran") messages.
enum TranMsgType : qint64 {
    kTranStatus = 1000,
    kTranUploadLogs = 1001,
    kTranMediaLines = 1002,
    kTranSwitchLine = 1003,
    kTranDeviceList = 1004,
    kTranSelectDevice = 1005,
    kTranRestart = 1006,
};

// What relayed requests need of the media side and of the room shell. The
// parts that own these things fill the entries they serve; an empty entry
// answers as "not available" (no stream, no devices, not recording).
struct TranServices {
    using DeviceList = QList<QPair<QString, QString>>;  // (id/name, display name)
    std::function<QString()> pushUrl;        // the room pusher's push URL
    std::function<QString()> playUrl;        // the live player's play URL
    std::function<QString()> recordAddress;  // broadcast server address + stream key while it works
    std::function<DeviceList()> cameras;
    std::function<DeviceList()> mics;
    std::function<QString()> currentCamera;
    std::function<QString()> currentMic;
    std::function<void(const QString&)> setCamera;
    std::function<void(const QString&)> setMic;
    // Shows the restart prompt and calls onClosed once the teacher closed
    // it; one prompt serves every request (a new request re-targets it).
    // Without it a relayed restart is refused: nothing restarts unless the
    // teacher saw the prompt and closed it.
    std::function<void(std::function<void()> onClosed)> showRestartPrompt;
    // Starts the new instance after the prompt; empty: RestartProgram().
    std::function<void()> restartProgram;
};

class CData : public QObject {
    Q_OBJECT
public:
    static CData* instance();
    ~CData() override;

    // --- life ---
    void StopTimer();
    AppUpdater* GetUpdater() const { return m_updater; }
    void ResetData(bool all);
    // The program is the teacher's; tests switch to the student side with
    // SetStudentSideForTests (no setting or input of the program reaches it).
    bool IsTeacher() const { return !s_studentSideForTests; }
    static void SetStudentSideForTests(bool student) { s_studentSideForTests = student; }
    int GetTick() const { return m_tick; }

    // --- login variables ---
    bool SetLoginVar(const QStringList& vars);
    QStringList GetLoginVar() const { return m_loginVars; }
    bool IsLiveRoom() const;
    bool IsAppTeaLive() const;
    bool IsLoginRole6() const;
    int GetVideoWidth() const;
    int GetLayout() const;

    // --- local user and user list ---
    UserInfo* GetLocalUser() { return &m_localUser; }
    void SetLocalUser(UserInfo& user);
    std::string GetPlatform() const;
    bool UpdateUser(UserInfo& user);
    bool UpdateUser(const UserInfo& user);
    bool RemoveUser(const std::string& id);
    bool GetUser(const std::string& id, UserInfo& out) const;
    std::vector<UserInfo> GetUserList() const { return m_users; }

    // --- status map (any thread) ---
    void SetStatus(int key, int value);
    void SetStatusText(int key, const QString& value);
    bool GetStatus(int key) const;
    QString GetStatusText(int key) const;

    // --- room flags ---
    void SetLiveMode(int mode);
    int GetLiveMode() const { return m_liveMode; }
    void SetExtPush(bool on);
    bool IsExtPush() const { return m_extPush; }
    void SetRecording(bool on);
    bool IsRecording() const { return m_recording; }
    void SetClassType(int type, bool up);
    int GetClassType() const { return m_classType; }
    bool IsClassUp() const { return m_classUp; }
    void SetAppExiting(bool exiting) { m_appExiting = exiting; }
    bool IsAppExiting() const { return m_appExiting; }
    bool IsUpdateOnExit() const { return m_updateOnExit; }
    void SetVar(const QString& key, const QVariant& value) { m_vars[key] = value; }
    QVariant GetVar(const QString& key) const { return m_vars.value(key); }
    void SetLayout(int layout) { m_layout = layout; }

    // --- server time ---
    void SetSvrTimeOff(qint64 offMs);
    qint64 GetSvrTimeOff() const;
    qint64 GetSvrTime() const;

    // --- class-home data (GUI thread) ---
    bool AddCourse(const CourseInfo& course);
    std::vector<CourseInfo> GetCourses() const { return m_courses; }
    bool GetCourse(const std::string& id, CourseInfo& out) const;
    CourseInfo GetTmpCourse() const;
    bool AddGroup(const GroupInfo& group);
    std::vector<GroupInfo> GetGroups() const { return m_groups; }
    bool GetGroup(const std::string& id, GroupInfo& out) const;
    void SetCalePoints(const std::string& key, const std::vector<std::string>& days);
    bool HasCalePoints(const std::string& key) const;
    std::vector<std::string> GetCalePoints(const std::string& key);
    void SetDayRooms(const std::string& key, const std::vector<RoomInfo>& rooms);
    bool HasDayRooms(const std::string& key) const;
    std::vector<RoomInfo> GetDayRooms(const std::string& key);
    void ClearDayRooms(bool alsoPoints);
    void SetRoomList(const std::vector<RoomInfo>& rooms) { m_roomList = rooms; }
    std::vector<RoomInfo> GetRoomList() const { return m_roomList; }
    void AddIphoneShare(const QString& phone);
    QStringList GetIphoneShareList();
    void AddAuthAppDev(const QVariant& device) { m_authAppDevs.push_back(device); }
    void RemoveAuthAppDev(const QString& userId);
    std::vector<QVariant> GetAuthAppDevs() const { return m_authAppDevs; }
    bool SetGroupId(const QString& id);
    QString GetGroupId() const { return m_groupId; }
    QString GetGroupLogoUrl(int image) const;
    QString GetGroupLogoFile(int image) const;

    // --- live configuration and media lines (GUI thread) ---
    void DoGetLiveConfig();
    QVariantMap GetMgLineInfo() const;
    void SwitchMgLine(int n);
    QString GetPushUrl() const;
    QString GetPullUrl() const;
    QString GetDeskTopPushUrl() const;
    QString GetDeskTopPullUrl() const;
    QString GetStreamName(bool record) const;
    QVariantMap GetMgLine(int index) const { return m_mediaLines.value(QString::number(index)).toMap(); }
    // The one-byte offset of the live configuration encoding.
    static constexpr int kLiveConfigOffset = 3;
    // Decodes a live configuration body (Base64, bytes raised by the offset).
    static QByteArray DecodeLiveConfig(const QByteArray& body);

    // --- relayed messages (GUI thread) ---
    // Handles one relayed request; the reply goes back through the client
    // library (SendTranMsg, or SendTranMsgEx when alt is set).
    void DoTranRs(const QVariant& msg, bool alt);
    void SetTranServices(const TranServices& services) { m_tranServices = services; }
    const TranServices& GetTranServices() const { return m_tranServices; }
    // The reply of one request kind, without sending it (1006 not included).
    QVariant BuildTranReply(qint64 msgType, const QJsonObject& fields);

signals:
    void sgTimerUpdate(int index);
    void sgSwitchLine();
    void sgEnterRoom();
    void sgExitApp();
    void sgDownGroupLogo(int groupImg);

public slots:
    void onUpdateTimer();
    void onDownFinish(DownThread* pDown);

private:
    CData();
    void StartGroupImageDownload(int image, const QString& url);
    void OnGroupImageDownloaded(DownThread* pDown);
    void FetchMediaLinesOnTick(int tick);
    void OnMediaLines(DownThread* pDown);
    void OnLiveConfig(DownThread* pDown);
    QString LineBase(const char* key, const char* defaultHost) const;
    void SendTranReply(bool alt, const QString& userId, qint64 msgType, const QVariant& reply);
    QJsonObject TranStatus() const;
    QJsonObject TranDeviceList();
    QJsonObject TranSelectDevice(const QJsonObject& fields);
    QJsonObject TranSwitchLine(const QJsonObject& fields);
    void TranRestart(bool alt, const QString& userId, qint64 msgType);

    // All fields but the status map are GUI thread only.
    int m_tick = 0;
    QTimer* m_timer = nullptr;
    AppUpdater* m_updater = nullptr;
    bool m_updateOnExit = false;
    bool m_appExiting = false;
    QStringList m_loginVars;
    bool m_recording = false;
    bool m_extPush = false;
    int m_layout = 1;
    int m_liveMode = 2;
    int m_classType = 2;
    bool m_classUp = false;
    UserInfo m_localUser;
    std::vector<UserInfo> m_users;
    std::vector<CourseInfo> m_courses;
    std::map<std::string, std::vector<std::string>> m_calePoints;
    std::map<std::string, std::vector<RoomInfo>> m_dayRooms;
    std::vector<RoomInfo> m_roomList;
    QStringList m_shareHistory;
    std::vector<GroupInfo> m_groups;
    std::vector<QVariant> m_authAppDevs;
    QMap<QString, QVariant> m_vars;
    mutable QReadWriteLock m_lock;        // guards m_status
    QMap<QString, QVariant> m_status;     // guarded by m_lock
    QMap<QString, QVariant> m_mediaLines;
    QMap<QString, QVariant> m_selectedLine;
    qint64 m_svrTimeOff = kSvrTimeUnset;  // GUI thread only (players and pushers snapshot it there)
    std::string m_lastCameras;
    std::string m_lastMics;
    QString m_groupId;
    TranServices m_tranServices;

    static constexpr qint64 kSvrTimeUnset = 10000000;
    static inline bool s_studentSideForTests = false;  // tests only, GUI thread
};
