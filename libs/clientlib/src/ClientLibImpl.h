#pragma once
// The client library object: checks and records every call, hands the work
// to the class-room service on the library thread and delivers the answers
// through the program's callback from there.
#include "libs/clientlib/src/ClassroomService.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "libs/clientlib/src/Dispatcher.h"
#include "libs/clientlib/src/LocalMedia.h"
#include "libs/clientlib/src/StudentStreams.h"

#include <QReadWriteLock>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <memory>
#include <mutex>

namespace clientlib {

// The configuration map, read once at creation.
struct LibConfig {
    QString appData, urlRoom, urlWB, urlChat, urlMedia, appGuid;
    QStringList urlUserHttp;
    int userType = 0;
    ClientLibAudioFn onAudio = nullptr;
    ClientLibVideoFn onVideo = nullptr;
    ClientLibPlayCatchFn playCatch = nullptr;
    QReadWriteLock* curlLock = nullptr;
};

class ClientLibImpl : public ClientLib, public ServiceHost {
public:
    ClientLibImpl(ClientLibCallbackFn callback, const LibConfig& cfg, const QStringList& configProblems);
    ~ClientLibImpl() override;

    // ---- ClientLib (caller's thread) ----
    bool LoginRoom(const QVariant& loginVars) override;
    bool DualRoomCmd(const QVariant& map) override;
    void LeaveRoom() override;
    bool SendTranMsg(const QString& userId, qint64 msgType, const QVariant& reply) override;
    bool SendTranMsgEx(const QString& userId, qint64 msgType, const QVariant& reply) override;
    void SyncUser(const QString& userId) override;
    void SubscribeUser(const QString& userId) override;
    void StopAppAuth(const QString& userId) override;
    void ResetLiveState(int a, int b) override;
    void SetPushInfo(const QString& stream, int liveMode, int width, int height, int on) override;
    bool SetDualVisible(bool in, bool all) override;
    bool ReplyInvite(const QString& userId, bool accept) override;
    void ReplyRecordCmd(int code, int reserved, const QString& msg) override;
    void ReportDeviceState(int code, int reserved, const QString& msg) override;
    void BindUserWebId(const QString& userId, const QString& webId) override;
    bool EnterLiveRoom(bool teacher, const QString& token) override;
    void ReportUserVideoInfo(const QMap<int, QString>& barUsers) override;
    void ReportWbUserVideoInfo(const QString& userId, const QRectF& rect) override;
    void SendPraise(const QString& userId) override;
    bool ReplyAppAuth(const QString& userId, bool accept) override;
    bool SetHandup(bool raised) override;
    QString EncryptText(const QString& text, const QString& key) override;
    QString DecryptText(const QString& text, const QString& key) override;
    bool GetSmsCode(const QString& phone, const QString& country, int kind) override;
    bool RegisterUser(const QString& name, const QString& password, const QString& code, const QString& phone,
                      const QString& country) override;
    bool ResetPassword(const QString& country, const QString& password, const QString& code,
                       const QString& phone) override;
    bool Login(const QString& account, const QString& password, const QString& country) override;
    bool LoginBySmsCode(const QString& phone, const QString& code, const QString& country) override;
    bool GetUserInfo(const QString& userId, const QString& extra) override;
    bool FindUser(const QString& phone, const QString& country, const QString& roomId) override;
    bool GetOrders(const QString& firstDay, const QString& lastDay, const QString& userType) override;
    bool GetDayRooms(const QString& beginDay, const QString& endDay, const QString& userType,
                     const QString& monthStart) override;
    bool GetTmpRooms(const QString& kind, const QString& userType) override;
    bool GetCourseList(const QString& groupId, const QString& courseId, const QString& userType,
                       const QString& id) override;
    bool EnterRoomRequest(const QString& groupId, const QString& roomId, const QString& userType,
                          const QString& kind) override;
    bool MakeTmpRoom(int kind, const QString& groupId) override;
    bool ShareTmpRoom(const QString& courseId, const QString& roomId, const QString& userId) override;
    bool GetGroups(const QString& userType) override;
    bool GetClasses() override;
    bool GetTmpCourse() override;
    bool SubmitFeedback(const QVariant& category, const QString& text) override;
    bool GetGroupMessages(const QString& groupId, const QString& extra, qint64 ts) override;
    bool GetStudentClasses(const QString& a, const QString& b) override;
    bool SendCommand(const QVariant& map) override;
    QStringList GetVideoDevices() override;
    QStringList GetInputAudioDevices() override;
    QStringList GetOutputAudioDevices() override;
    bool SetVideoDevice(const QString& name) override;
    bool SetInputAudioDevice(const QString& name) override;
    bool SetOutputAudioDevice(const QString& name) override;
    bool EnableVideoCapture(bool on) override;
    void StartPreviewVideo(quintptr window) override;
    void StopPreviewVideo() override;
    void SetPreviewVideoSink(ClientLibPreviewFn sink) override;
    bool MonitorInputAudioLevel(bool on, ClientLibLevelFn sink) override;
    bool PlayAudioFile(const QString& path) override;
    void StopAudioFile() override;
    bool PlayUserVideo(const QString& userId, QWidget* view) override;
    bool StopUserVideo(const QString& userId) override;
    bool SetUserVideoState(const QString& userId, bool on) override;
    bool SetUserAudioState(const QString& userId, bool on) override;
    bool SetRecordState(const QString& streamKey, int on) override;
    void MediaPlayCmd(const QString& url, qint64 positionMs, qint64 totalMs, const QString& type,
                      const QString& fileName, const QString& docid) override;
    void MediaStateCmd(const QString& url, qint64 positionMs, qint64 totalMs, const QString& type,
                       const QString& fileName) override;
    void MediaCloseCmd(const QString& url, qint64 positionMs) override;
    bool SetVoiceInteraction(bool on) override;
    bool SetCountdown(int seconds, bool start) override;
    bool PublishQuestion(int type, int num, const QVariant& answers, qint64 id, bool showNum) override;
    bool SubmitAnswer(int type, const QVariant& answers, qint64 id) override;
    bool StopQuestion(const QVariant& arg) override;
    bool SetDoodleBoard(bool on) override;
    bool PublishNotice(qint64 id, const QString& json) override;
    bool SetLottery(int count, qint64 id, bool start) override;
    bool JoinLottery(qint64 id) override;
    void ReportRecordResult(int code, int reserved, const QString& msg) override;
    bool PushVideoFrame(const QString& userId, int width, int height, const unsigned char* pixels,
                        const void* frameRecord, int a, int b, int c, int d, int e, int f) override;
    bool SubmitAnswerRecord(int type, const QVariant& answers, qint64 id, const QString& token) override;
    bool SendChatMsg(const QString& content, int type, qint64 timeSecs) override;
    bool SetAllNoSpeak(bool on) override;
    bool SetUserNoSpeak(const QString& userId, bool on) override;
    bool SetUserClickAuth(const QString& userId, bool on) override;
    bool SetUserDrawAuth(const QString& userId, bool on) override;
    bool SetUserLinkMic(const QString& userId, bool on) override;
    bool KickUser(const QString& userId) override;
    bool GetProductList(const QString& lastTs) override;
    bool GetAdProductList(const QString& lastTs) override;
    bool ProductUp(const QVariant& product) override;
    bool ProductDown(const QVariant& product) override;
    bool AdProductUp(const QVariant& product) override;
    bool AdProductDown(const QVariant& product) override;
    bool OpenDocCmd(const QString& docId, const QVariant& cmd) override;
    bool OpenNetFile(const QString& guid, const QString& groupId, const QString& cloudType, const QString& token,
                     const QString& name) override;
    bool ListNetFolder(const QString& owner, const QString& groupId, const QString& uuid) override;
    bool RenameNetFile(const QString& owner, const QString& uuid, const QString& encodedName,
                       const QString& groupId) override;
    bool DeleteNetFile(const QString& owner, const QString& uuid, const QString& groupId) override;
    bool MakeNetDir(const QString& owner, const QString& parentUuid, const QString& name,
                    const QString& groupId) override;
    bool AddNetFile(const QVariant& map) override;
    bool GetNetDocStatus(const QVariant& map) override;

    // ---- ServiceHost (any thread; delivery on the library thread) ----
    void schedule(std::function<void()> task, int ms) override;
    void scheduleSlow(std::function<void()> task, int ms) override;
    void deliver(const Events& events) override;
    void log(const QString& line) override;
    void userAudio(const QString& userId) override;
    void userVideo(const QString& userId) override;
    QString studentStreamUrl(const QString& roomId, const QString& userId) override;
    void studentPublish(const QString& userId, const QString& url) override;
    void stopAllStudents() override;
    void publishRoomDoc(const QString& roomId, const DiskEntry& doc) override;
    void publishRoomDocs(const QString& roomId, const QList<DiskEntry>& docs) override;
    QString pageUrl(const DiskEntry& doc) override;
    QString convertUpload(const DiskEntry& doc, const QString& source, int* pages, QString* error) override;

    // ---- Test control (any thread) ----
    void injectCommand(int code, const QVariant& payload);
    void failNextRequest(int code);
    void failNextCallOf(const QString& operation);
    void delayNextRequest(int ms);
    void setRequestTimeout(int ms);
    void holdNextCall();
    bool waitCallHeld(int ms);
    void resumeCall();
    QList<ClientLibCall> calls() const;
    void clearCalls();
    ClassroomService* service() { return m_svc.get(); }
    StudentStreams& studentStreams() { return m_students; }
    Dispatcher& dispatcher() { return m_disp; }

private:
    // Ends the library's threads (idempotent). Runs from the destructor, or
    // when the application object goes before the library was released: the
    // threads use Qt and must not outlive it.
    void stopThreads();
    static void stopAllLibraries();
    using Serve = std::function<QVariantMap(Failure*)>;
    // As Serve, and may complete the answer's user_data.
    using ServeEx = std::function<QVariantMap(Failure*, QVariantMap* userData)>;
    // The test control's pending failure and delay, consumed.
    struct Pending {
        bool fail;
        int failCode, delayMs, timeoutMs;
    };
    Pending takePending();
    // The chosen camera (0), microphone (1) or speaker (2); empty when none.
    QString selfDevice(int slot) const;

    // Records one call (name and arguments) in the call list.
    // Also takes the call gate for the rest of the operation: the returned
    // lock keeps answers from being delivered before the operation returns.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> record(const char* name, const QVariantList& args);
    // Answers a request with result `code`: `serve` runs on the library
    // thread; a pending failure or delay of the test control applies. The
    // answer carries "code", "errMsg" and "user_data" (= userData).
    void request(int code, const QVariantMap& userData, Serve serve);
    void requestEx(int code, const QVariantMap& userData, ServeEx serve);
    // A request refused for its arguments: answered with code 400 and the
    // reason, logged; returns false.
    bool badRequest(const char* op, int code, const QVariantMap& userData, const QString& why);
    // An operation without an answer refused for its arguments: logged;
    // returns false.
    bool refuse(const char* op, const QString& why);
    // Consumes a pending test-control failure for an operation without an
    // answer: true when the call must fail.
    bool takeFailure(const char* op);
    // Downloads an http(s) address with libcurl; every handle is made and
    // cleaned up under the program's curl lock ("curlLocker").
    bool fetch(const QString& url, QByteArray* body, QString* error);
    // Delivers what `fn` collects from the service on the library thread.
    bool roomEvent(const char* op, std::function<bool(ClassroomService*, Events*)> fn);

    ClientLibCallbackFn m_callback;  // read-only after construction
    LibConfig m_cfg;                 // read-only after construction
    QString m_dataError;             // read-only after construction; set when the data set failed
    std::unique_ptr<ClassroomService> m_svc;  // made in the constructor; thread-safe itself

    mutable std::mutex m_ctlLock;  // guards the members below
    QList<ClientLibCall> m_calls;  // guarded by m_ctlLock
    bool m_failNext = false;       // guarded by m_ctlLock
    QString m_failOp;              // guarded by m_ctlLock: the next call of this operation fails
    int m_failCode = -100;         // guarded by m_ctlLock
    int m_delayNext = 0;           // guarded by m_ctlLock
    int m_timeoutMs = 10000;       // guarded by m_ctlLock
    QString m_selfDevice[3];       // guarded by m_ctlLock: camera, microphone, speaker
    bool m_holdNext = false;       // guarded by m_ctlLock
    bool m_held = false;           // guarded by m_ctlLock
    std::condition_variable m_heldChanged;  // signalled under m_ctlLock

    std::mutex m_pageLock;  // guards page-image generation on disk
    std::atomic<bool> m_closing{false};  // atomic: set by the destructor; downloads stop at once

    // Held by every operation for its whole run and by the library thread
    // while it delivers through the callback, so an answer never overtakes
    // the call that asked. Never held during slow work.
    std::recursive_mutex m_gate;
    // The students' pushes (thread-safe itself); started and stopped on the
    // library thread, all stopped in the destructor once that thread ended.
    StudentStreams m_students{[this](const QString& line) { log(line); }};
    Dispatcher m_disp;     // the library thread; stopped first in the destructor
    // The machine's devices, preview, level and sound files: operations on
    // the caller's thread under the call gate; ended before m_disp stops.
    // Null once the threads stopped (the application ended first): the
    // device and sound calls a program still makes while tearing down then
    // do nothing.
    std::unique_ptr<LocalMedia> m_local{std::make_unique<LocalMedia>([this](const QString& line) { log(line); })};
    ClientLibPreviewFn m_previewSink;  // caller's thread only (under the call gate)
    Dispatcher m_convert;  // the conversion thread (downloads); stopped second
};

}  // namespace clientlib
