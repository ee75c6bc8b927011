#pragma once
// The client library: room, chat, user and HTTP services and the password
// encryption, behind one object made from a configuration map.
//
// Every operation is called on the caller's (GUI) thread and returns at once.
// Answers come later through the callback given to CreateClientLib, always
// from the library's own thread and never from inside the call: an integer
// code (ClientLibRs) and a QVariant, as a rule a QVariantMap.
//
// Results of requests (codes 1000 and above) are maps with "code" (0 for
// success, -100 or less when the request could not be served, after a
// time-out), "errMsg" (text) and "user_data" (a map echoing what the request
// carried), plus the result's own keys. Every request is answered.
#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

#include <functional>

class QWidget;

#define CLIENTLIB_API __attribute__((visibility("default")))

// Command codes delivered through the callback.
enum ClientLibRs {
    RsC_Log = 0,  // {"log": text}: one raw line for the program's log

    // Room services and the room login.
    RsC_Room_AddrFailed = 1,     // "type"
    RsC_Room_ConnectFailed = 2,  // "type"
    RsC_Room_LoginResult = 3,    // "type", "code", "regOk", "result", "isok", "userid"

    // Chat, relayed and external-push messages.
    RsC_Chat_Message = 4,     // "msg", "userType", "msgType", "time", "name", "userid", "id"
    RsC_Chat_MsgId = 5,       // "id": a withdrawn message
    RsC_Tran_Message = 6,     // "userId", "msgType", "msgJson"
    RsC_ExtPush_Message = 7,  // "command" ("DeviceList" or "TransMsg"), ...

    // Users and course.
    RsC_User_Self = 100,        // "userid"
    RsC_User_Join = 101,        // "userid", "userName", "type", "cam", "mic", "click", "draw", "noSpeak", "online"
    RsC_User_Leave = 102,       // "userid"
    RsC_UserVideo_State = 103,  // "userid", "cam", "mic", "type", "userName", "stream" (its camera's address)
    RsC_UserVideo_Remove = 104, // "userid"
    RsC_Video_PlayUser = 105,   // "userid": the user's camera can be played
    RsC_Video_StopUser = 106,   // "userid"
    RsC_UserVideo_Order = 107,  // "mapIndexUser": bar index -> user id
    RsC_UserVideo_WbPos = 108,  // "userid", "rtpos" (QRectF, fractions of the whiteboard)
    RsC_Course_Info = 109,      // "title", "begintime", "endtime"
    RsC_Course_End = 110,       // "roomtype", "des"
    RsC_Chat_AllNoSpeak = 111,  // "chatAll": true when the room may chat
    RsC_User_WebId = 112,       // "userId", "userWebId"
    RsC_User_Praised = 113,     // "userId"
    RsC_User_PraiseCount = 114, // "userId", "count"
    RsC_App_DeviceAuth = 115,   // "userId", "devType", "devInfo"
    RsC_User_Kicked = 116,      // "mgrUserId", "userId", "code", "type"
    RsC_Tran_MessageEx = 117,   // as 6, second form
    RsC_Media_Play = 118,       // room media command map
    RsC_Media_Pause = 119,
    RsC_Media_Close = 120,
    RsC_Media_LocalOn = 121,    // "mediaOn": the local user's camera tile shown or put aside
    RsC_Handup_Switch = 122,    // "handup"
    RsC_Handup_User = 123,      // "userId", "handup"
    RsC_Invite_Video = 124,     // "srcUserId", "online"
    RsC_Interact_Result = 125,  // "type", "isok", "srcUserId", "num"
    RsC_User_List = 126,        // "userlist": list of {"userId", "userName", "noSpeak", "userType", "online"}
    RsC_User_Count = 127,       // "totalNum", "stuNum", "pureStu"

    // Streams and dual-teacher classes.
    RsC_Stream_Start = 128,       // "stream", "mediaType", "teacher"
    RsC_Stream_Stop = 129,
    RsC_Dual_TeacherInOut = 130,  // "userName", "userId", "isIn"
    RsC_Class_Type = 131,         // "type", "up"
    RsC_Dual_Connect = 132,       // "roomId", "token", "master"
    RsC_Dual_Visible = 133,       // "in", "masterTea"

    // Interaction tools.
    RsC_Countdown = 134,        // "start", "totalTs"
    RsC_Question_Start = 135,   // "id", "type", "num", "isMul"
    RsC_Question_Result = 136,  // "id", "type", "totalTs", "showNum", "rightPercent", "totalResult", "listItem"
    RsC_Question_Stop = 137,
    RsC_Draw_Auth = 138,        // "open"
    RsC_Notice = 139,           // "id", "msg"
    RsC_Product1_List = 140,    // "lastts", "listdata"
    RsC_Product1_Up = 141,      // product map
    RsC_Product1_Down = 142,    // product map
    RsC_Product1_143 = 143,
    RsC_Product2_List = 144,
    RsC_Product2_Up = 145,
    RsC_Product2_Down = 146,
    RsC_Product2_147 = 147,
    RsC_Lottery_Result = 148,    // "id", "count", "listdata": [{"userid", "username"}]
    RsC_Lottery_Start = 149,     // "id"
    RsC_Lottery_MyResult = 150,  // "result"
    RsC_Lottery_Close = 151,     // "id"

    // Remote recording and student links.
    RsC_Record_Remote = 152,  // "startRec"
    RsC_StuRtc_Reset = 154,   // "handup"
    RsC_Voice_Handup = 155,   // "userId", "handup"
    RsC_StuRtc_Stop = 156,    // "srcUserId", "online"
    RsC_StuRtc_Start = 157,   // "type", "isok", "srcUserId"
    RsC_Chat_SysNotify = 158, // "type", "message" (JSON text)

    // Results of requests (each also carries "code", "errMsg", "user_data").
    RsC_Http_Login = 1000,           // "userSid", "userId", "userName", "userType"
    RsC_Http_SmsCode = 1001,         // user_data "type"
    RsC_Http_Register = 1002,        // "userSid"
    RsC_Http_ResetPassword = 1003,
    RsC_Http_LoginBySid = 1004,
    RsC_Http_LoginByCode = 1005,     // as 1000
    RsC_Http_UserInfo = 1006,        // "userHeader", "userName"; user_data "userid"
    RsC_Http_FindUser = 1007,        // "name", "user_id"; user_data "roomid", "phone"
    RsC_Http_UserHeader = 1008,      // "userHeader"; user_data "userid"
    RsC_Http_Classes = 1009,         // "classes"
    RsC_Http_Orders = 1010,          // "startDay", "calePoints"
    RsC_Http_DayRooms = 1011,        // "ltRooms"; user_data "monthStart", "startDay"
    RsC_Http_CourseList = 1012,      // "rooms"; user_data "id"
    RsC_Http_EnterRoom = 1013,       // "ltParame"; user_data "roomType"
    RsC_Http_MakeTmpRoom = 1014,     // "id", "group_id", "room_id", "room_name", "begin", "end", "teacher"; user_data "type"
    RsC_Http_ShareTmpRoom = 1015,    // user_data "roomid"
    RsC_Http_Groups = 1016,          // "groups"
    RsC_Http_OpenNetFile = 1017,     // user_data "fileName", "userType"
    RsC_Http_TmpRooms = 1018,        // "tmprooms"
    RsC_Http_TmpCourse = 1019,       // "tmpcourse"
    RsC_Http_StudentClasses = 1020,  // "classes"
    RsC_Http_GroupMessages = 1021,   // "datalist"; user_data "ts"
    RsC_Http_TmpRoomCount = 1022,    // "tmprooms"
    RsC_Http_NetRename = 1023,
    RsC_Http_NetFolderList = 1024,   // "listFiles"; user_data "uuid", "userType"
    RsC_Http_NetDelete = 1025,
    RsC_Http_NetMakeDir = 1026,
    RsC_Http_NetAddFile = 1027,
    RsC_Http_NetDocStatus = 1028,    // "status"
    RsC_Http_NetAddr = 1029,         // "addr", "token"
    RsC_Http_Feedback = 1030,
    RsC_Http_CourseInfo = 1031,      // "title", "begintime", "endtime", "teacherinfo"
    RsC_Http_MediaUrl = 1032,        // "geturl" (percent-encoded); user_data: the media command map
    RsC_Http_AppAuth = 1033,         // user_data "userId", "accept"
};

typedef void (*ClientLibCallbackFn)(ClientLibRs code, const QVariant& var);

// Plain-function callbacks that travel inside the configuration map as
// 64-bit integers ("onAudioCB", "onVideoCB", "playCatchMsFunc").
class QImage;
typedef void (*ClientLibAudioFn)(QString userId, const void* data, int bitsPerSample, int sampleRate,
                                 int channels, int frames);
typedef void (*ClientLibVideoFn)(const QString& userId, const QImage& frame);
typedef qint64 (*ClientLibPlayCatchFn)();

// The local camera preview's pictures, from the library's capture thread:
// the window given to StartPreviewVideo with each picture of the chosen
// camera (at most 640 x 480), or once with a null picture and the reason
// when the camera stopped delivering.
typedef std::function<void(quintptr window, const QImage& picture, const QString& error)> ClientLibPreviewFn;
// The chosen microphone's level (0 silence to 1 full scale), from the
// library's capture thread; once with a reason when the microphone is lost.
typedef std::function<void(float level, const QString& error)> ClientLibLevelFn;

// The library object. All operations are called on the caller's thread; a
// bool result tells whether the library took the call (for requests: the
// request went out; its answer comes later).
class CLIENTLIB_API ClientLib {
public:
    virtual ~ClientLib() = default;

    // Room session.
    virtual bool LoginRoom(const QVariant& loginVars) = 0;  // QStringList of six; answer: code 3
    virtual bool DualRoomCmd(const QVariant& map) = 0;
    virtual void LeaveRoom() = 0;
    virtual bool SendTranMsg(const QString& userId, qint64 msgType, const QVariant& reply) = 0;
    virtual bool SendTranMsgEx(const QString& userId, qint64 msgType, const QVariant& reply) = 0;
    virtual void SyncUser(const QString& userId) = 0;
    virtual void SubscribeUser(const QString& userId) = 0;
    virtual void StopAppAuth(const QString& userId) = 0;
    virtual void ResetLiveState(int a, int b) = 0;
    virtual void SetPushInfo(const QString& stream, int liveMode, int width, int height, int on) = 0;
    virtual bool SetDualVisible(bool in, bool all) = 0;
    virtual bool ReplyInvite(const QString& userId, bool accept) = 0;
    virtual void ReplyRecordCmd(int code, int reserved, const QString& msg) = 0;
    virtual void ReportDeviceState(int code, int reserved, const QString& msg) = 0;
    virtual void BindUserWebId(const QString& userId, const QString& webId) = 0;
    virtual bool EnterLiveRoom(bool teacher, const QString& token) = 0;

    // Room window.
    virtual void ReportUserVideoInfo(const QMap<int, QString>& barUsers) = 0;
    virtual void ReportWbUserVideoInfo(const QString& userId, const QRectF& rect) = 0;
    virtual void SendPraise(const QString& userId) = 0;
    virtual bool ReplyAppAuth(const QString& userId, bool accept) = 0;
    virtual bool SetHandup(bool raised) = 0;

    // Password encryption: authenticated, keyed by `key`; DecryptText of
    // anything EncryptText did not make with the same key gives "".
    virtual QString EncryptText(const QString& text, const QString& key) = 0;
    virtual QString DecryptText(const QString& text, const QString& key) = 0;

    // Account and home requests (answers 1000 to 1033).
    virtual bool GetSmsCode(const QString& phone, const QString& country, int kind) = 0;  // 1001
    virtual bool RegisterUser(const QString& name, const QString& password, const QString& code,
                              const QString& phone, const QString& country) = 0;  // 1002
    virtual bool ResetPassword(const QString& country, const QString& password, const QString& code,
                               const QString& phone) = 0;  // 1003
    virtual bool Login(const QString& account, const QString& password, const QString& country) = 0;  // 1000
    virtual bool LoginBySmsCode(const QString& phone, const QString& code, const QString& country) = 0;  // 1005
    virtual bool GetUserInfo(const QString& userId, const QString& extra) = 0;  // 1006
    virtual bool FindUser(const QString& phone, const QString& country, const QString& roomId) = 0;  // 1007
    virtual bool GetOrders(const QString& firstDay, const QString& lastDay, const QString& userType) = 0;  // 1010
    virtual bool GetDayRooms(const QString& beginDay, const QString& endDay, const QString& userType,
                             const QString& monthStart) = 0;  // 1011
    virtual bool GetTmpRooms(const QString& kind, const QString& userType) = 0;  // "0": 1018, "1": 1022
    virtual bool GetCourseList(const QString& groupId, const QString& courseId, const QString& userType,
                               const QString& id) = 0;  // 1012
    virtual bool EnterRoomRequest(const QString& groupId, const QString& roomId, const QString& userType,
                                  const QString& kind) = 0;  // 1013
    virtual bool MakeTmpRoom(int kind, const QString& groupId) = 0;  // 1014
    virtual bool ShareTmpRoom(const QString& courseId, const QString& roomId, const QString& userId) = 0;  // 1015
    virtual bool GetGroups(const QString& userType) = 0;  // 1016
    virtual bool GetClasses() = 0;  // 1009
    virtual bool GetTmpCourse() = 0;  // 1019
    virtual bool SubmitFeedback(const QVariant& category, const QString& text) = 0;  // 1030
    virtual bool GetGroupMessages(const QString& groupId, const QString& extra, qint64 ts) = 0;  // 1021
    virtual bool GetStudentClasses(const QString& a, const QString& b) = 0;  // 1020

    // Media.
    virtual bool SendCommand(const QVariant& map) = 0;
    virtual QStringList GetVideoDevices() = 0;
    virtual QStringList GetInputAudioDevices() = 0;
    virtual QStringList GetOutputAudioDevices() = 0;
    virtual bool SetVideoDevice(const QString& name) = 0;
    virtual bool SetInputAudioDevice(const QString& name) = 0;
    virtual bool SetOutputAudioDevice(const QString& name) = 0;
    virtual bool EnableVideoCapture(bool on) = 0;
    virtual void StartPreviewVideo(quintptr window) = 0;
    virtual void StopPreviewVideo() = 0;
    virtual bool PlayUserVideo(const QString& userId, QWidget* view) = 0;
    virtual bool StopUserVideo(const QString& userId) = 0;
    virtual bool SetUserVideoState(const QString& userId, bool on) = 0;
    virtual bool SetUserAudioState(const QString& userId, bool on) = 0;
    virtual bool SetRecordState(const QString& streamKey, int on) = 0;
    virtual void MediaPlayCmd(const QString& url, qint64 positionMs, qint64 totalMs, const QString& type,
                              const QString& fileName, const QString& docid) = 0;
    virtual void MediaStateCmd(const QString& url, qint64 positionMs, qint64 totalMs, const QString& type,
                               const QString& fileName) = 0;
    virtual void MediaCloseCmd(const QString& url, qint64 positionMs) = 0;

    // Interaction tools.
    virtual bool SetVoiceInteraction(bool on) = 0;
    virtual bool SetCountdown(int seconds, bool start) = 0;
    virtual bool PublishQuestion(int type, int num, const QVariant& answers, qint64 id, bool showNum) = 0;
    virtual bool SubmitAnswer(int type, const QVariant& answers, qint64 id) = 0;
    virtual bool StopQuestion(const QVariant& arg) = 0;
    virtual bool SetDoodleBoard(bool on) = 0;
    virtual bool PublishNotice(qint64 id, const QString& json) = 0;  // "" deletes
    virtual bool SetLottery(int count, qint64 id, bool start) = 0;
    virtual bool JoinLottery(qint64 id) = 0;
    virtual void ReportRecordResult(int code, int reserved, const QString& msg) = 0;
    virtual bool PushVideoFrame(const QString& userId, int width, int height, const unsigned char* pixels,
                                const void* frameRecord, int a, int b, int c, int d, int e, int f) = 0;
    virtual bool SubmitAnswerRecord(int type, const QVariant& answers, qint64 id, const QString& token) = 0;

    // Chat and the user list.
    virtual bool SendChatMsg(const QString& content, int type, qint64 timeSecs) = 0;  // 1 text, 2 picture
    virtual bool SetAllNoSpeak(bool on) = 0;
    virtual bool SetUserNoSpeak(const QString& userId, bool on) = 0;
    virtual bool SetUserClickAuth(const QString& userId, bool on) = 0;
    virtual bool SetUserDrawAuth(const QString& userId, bool on) = 0;
    virtual bool SetUserLinkMic(const QString& userId, bool on) = 0;
    virtual bool KickUser(const QString& userId) = 0;

    // Products.
    virtual bool GetProductList(const QString& lastTs) = 0;    // 140
    virtual bool GetAdProductList(const QString& lastTs) = 0;  // 144
    virtual bool ProductUp(const QVariant& product) = 0;       // 141
    virtual bool ProductDown(const QVariant& product) = 0;     // 142
    virtual bool AdProductUp(const QVariant& product) = 0;     // 145
    virtual bool AdProductDown(const QVariant& product) = 0;   // 146

    // Courseware and the cloud disk (owner "teacher" or "group").
    virtual bool OpenDocCmd(const QString& docId, const QVariant& cmd) = 0;  // 1032
    virtual bool OpenNetFile(const QString& guid, const QString& groupId, const QString& cloudType,
                             const QString& token, const QString& name) = 0;  // 1017
    virtual bool ListNetFolder(const QString& owner, const QString& groupId, const QString& uuid) = 0;  // 1024
    virtual bool RenameNetFile(const QString& owner, const QString& uuid, const QString& encodedName,
                               const QString& groupId) = 0;  // 1023
    virtual bool DeleteNetFile(const QString& owner, const QString& uuid, const QString& groupId) = 0;  // 1025
    virtual bool MakeNetDir(const QString& owner, const QString& parentUuid, const QString& name,
                            const QString& groupId) = 0;  // 1026
    virtual bool AddNetFile(const QVariant& map) = 0;      // 1027
    virtual bool GetNetDocStatus(const QVariant& map) = 0; // 1028

    // Local devices. The preview (StartPreviewVideo) shows the chosen camera
    // through the sink set here, until StopPreviewVideo; no sink call after
    // StopPreviewVideo returns.
    virtual void SetPreviewVideoSink(ClientLibPreviewFn sink) = 0;
    // on: reports the chosen microphone's level through sink, following a
    // later SetInputAudioDevice; off: stops (no sink call after it returns).
    // false when the microphone cannot be opened (the sink hears why).
    virtual bool MonitorInputAudioLevel(bool on, ClientLibLevelFn sink) = 0;
    // Plays a local sound file once on the chosen speaker; false when it
    // cannot be decoded or the speaker refuses it (the reason is logged).
    virtual bool PlayAudioFile(const QString& path) = 0;
    virtual void StopAudioFile() = 0;
};

// Makes the library from the configuration map (a QVariantMap: "appData",
// "urlRoom", "urlWB", "urlChat", "urlMedia", "urlUserHttp", "userType",
// "onAudioCB", "onVideoCB", "playCatchMsFunc", "curlLocker", "appGuid").
// The three functions and the lock travel as 64-bit integers (qlonglong).
// "curlLocker" is the program's QReadWriteLock: every libcurl handle the
// library makes is created and cleaned up under its write lock. The audio
// and video functions receive a linked student's sound and a played user's
// camera picture, from the library's thread. Page images of documents are
// written under "<appData>/clientlib/pages/".
// Null when the callback is null or the config is not a map (the reason goes
// to stderr). The class-room data set is the built-in demo school, or the
// JSON file named by VELTORA_CLIENTLIB_DATA; when that file cannot be read,
// is not JSON or lacks fields, the library still starts, logs why (code 0
// and stderr) and answers every request, after the request time-out, with
// code -102 and the reason.
extern "C++" CLIENTLIB_API ClientLib* CreateClientLib(ClientLibCallbackFn callback, const QVariant& config);

// Stops the library's threads (no callback runs after it returns) and frees
// the object. Null is allowed. Not from inside the callback (refused there).
extern "C++" CLIENTLIB_API void ReleaseClientLib(ClientLib* lib);
