#pragma once
// The teacher's room window and the hub of the program: it owns the room's
// widgets and pop-ups, makes the login and home windows, binds the room
// controller to the libraries and makes the connections the rest of the
// shell relies on. Built once by main(), hidden until a room is entered.
//
// Implementation by concern, under mainwindow/shell/:
//   MainWindowForm.cpp      construction, members, destruction, the window's
//                           own events (drag, paint, mask, show)
//   MainWindowHandlers.cpp  the handlers the constructor connects (device
//                           settings, external push, media visibility, volume
//                           buttons, network speed, dual-teacher visibility)
//   MainWindowShortcuts.cpp the hidden keyboard shortcuts
//   ClientCommands.cpp      the client library's command table: room, users,
//                           devices (codes handed on to HttpResults.cpp)
//   StreamCommands.cpp      room media files, students' streams, dual teachers
//   ToolCommands.cpp        room tools, remote recording, control commands,
//                           line switch
//   HttpResults.cpp         HTTP results after the login and home windows
//   CommandPayload.cpp      the payload check every handler uses
//   WhiteboardSlots.cpp     whiteboard commands, stream failures, chat slot,
//                           recorder or desktop start, showing
//   RoomEntry.cpp           room entry and exit, dual-teacher sub-classroom,
//                           the recording switch
//   Toolbar.cpp             the form's buttons, share and play restart, the
//                           recording size
//   Tick.cpp                the one-second tick, automatic exit, closing and
//                           the program's exit sequence
#include "mainwindow/popups/TitleDrag.h"

#include <QMainWindow>
#include <QMap>
#include <QPoint>
#include <QVariant>

#include <functional>
#include <memory>

class ButtonFloatWidget;
class CamDevSettingWidget;
class CBarrageScreen;
class ChatCtrl;
class CHudongWidget;
class ClassListWidget;
class CountdownWidget;
class CTopClassWidget;
class CTopMsgWidget;
class DeskFloatWidget;
class DeviceSettingDialog;
class DocTurnPageCtrl;
class DocWidget;
class DrawToolBarCtrl;
class ExtPushWidget;
class LoginWidget;
class LotteryAnswer;
class LotteryResultWidget;
class LotteryWidget;
class MediaPlayerWidget;
class MsgBox;
class OBSSettingWindow;
class QuestionAnswer;
class QuestionResultWidget;
class QuestionWidget;
class ShowQRWidget;
class ShowStreamWidget;
class StuDeviceSettingWidget;
class SwitchBKWidget;
class SwitchLineWidget;
class ToastButtonWidget;
class ToastHandupButton;
class ToastQuestionButton;
class UserListDialog;
class VerSliderWidget;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void ExitRoom();
    void onUserHttpCmd(int type, const QVariant& data);

    // The process-wide minimum size for a desktop of that available size:
    // 1280 x 720, or 1600 x 900 from the first desktop of at least 1600 x 900
    // on (it then stays so for the process).
    static QSize MinimumSizeFor(const QSize& available);

    // The speed handler's wall clock in seconds since the epoch (tests set
    // their own).
    void SetWallClock(std::function<qint64()> seconds) { m_wallSeconds = std::move(seconds); }

    // For the room's parts and tests: the form and the pop-ups.
    Ui::MainWindow* Form() const { return ui; }
    SwitchLineWidget* LineSwitch() const { return m_switchLine; }
    SwitchBKWidget* Backgrounds() const { return m_switchBK.get(); }
    VerSliderWidget* MicSlider() const { return m_micSlider; }
    VerSliderWidget* SpeakerSlider() const { return m_speakerSlider; }
    ShowStreamWidget* StreamWidget() const { return m_streamWidget; }
    ClassListWidget* HomeWindow() const { return m_classList; }
    MsgBox* ConfirmBox() const { return m_msgBox; }
    MsgBox* CloseBox() const { return m_closeBox; }
    qint64 LastNetWarning() const { return m_lastNetWarning; }
    int ShareRetryCountdown() const { return m_shareRetry; }

    // --- Room entry and exit, tool bar and recording, tick and closing
    // (RoomEntry.cpp, Toolbar.cpp, Tick.cpp) ---
    void OnDualTeacherInOut(bool enter);
    // True when the request was carried out; remote: asked by the room.
    bool StartOrStopRecord(bool start, bool remote);
    void FitToScreenForRecord(bool record);
    // The window size for recording on a desktop of that available size.
    static QSize RecordSizeFor(const QSize& available, int titleHeight);
    // The broadcast settings window, made by the constructor, kept hidden.
    OBSSettingWindow* BroadcastWindow() const { return m_broadcast; }
    ExtPushWidget* ExtPushPanel() const { return m_extPush; }
    int UnrecordedTicks() const { return m_unrecordedTicks; }
    qint64 CourseEnd() const { return m_courseEnd; }
    // For tests: the course end and the last activity (ms of the server
    // clock), as the room's answers set them; the share retry countdown.
    void SetCourseTimes(qint64 courseEnd, qint64 lastActivity);
    void SetShareRetryCountdown(int ticks) { m_shareRetry = ticks; }
    void SetDualTeacherForTests(const QMap<QString, QVariant>& map) { m_dualTeacher = map; }
    // How the exit sequence starts the updater (tests set their own).
    void SetUpdaterStarter(std::function<void()> start) { m_startUpdater = std::move(start); }
    // --- end of room entry and exit, tool bar, tick ---

public slots:
    void EnterRoom();
    void onTimerUpdate(int tick);
    void OnButtonClick();
    void onWBLibCmd(int cmd, const QVariant& var);
    void onClientLibCmd(int cmd, const QVariant& var);
    void toStartRecorderOrDesk(int reason);
    void slotAddNewChatMessage(const QVariantList& msg);
    void slotRtmpPushFailed(int pushStates, QString msg);
    void slotRtmpPlayFailed(int faileTimes, QString msg);
    void onControlCmd(int cmd, const QVariant& var);
    void ReDoSharePlay();
    void onSwitchLine();

    // --- Library command dispatch: mainwindow/shell/ClientCommands.cpp (the
    // table, room services, users), StreamCommands.cpp (streams, media,
    // dual-teacher classes), ToolCommands.cpp (room tools, recording, student
    // links, control commands, line switch), HttpResults.cpp (HTTP results),
    // CommandPayload.h/.cpp (payload checks).
public:
    // The user list's and chat title's online count text.
    static QString OnlineCountText(qint64 total);
    // For the room's parts and tests: what the dispatch keeps.
    qint64 LastActivity() const { return m_lastActivity; }
    bool CheckRecordingAfterLogin() const { return m_startRecording; }
    QVariantMap DualTeacherMap() const { return m_dualTeacher; }
    MsgBox* VisibilityBox() const { return m_visibilityBox; }
    MsgBox* InviteBox() const { return m_inviteBox; }
    ToastButtonWidget* VisibilityToast() const { return m_visibilityToast; }
    CTopClassWidget* ProductPanel(int index) const { return index == 0 ? m_products : m_adverts; }

private:
    // One handler per library command; code is the command's own (several
    // commands share a handler) and v its checked payload.
    using CmdHandler = void (MainWindow::*)(int code, const QVariantMap& v);
    bool DispatchClientCmd(int code, const QVariant& var);
    void OnRoomAddrFailed(int code, const QVariantMap& v);
    void OnRoomConnectFailed(int code, const QVariantMap& v);
    void OnRoomLoginResult(int code, const QVariantMap& v);
    void OnChatMessage(int code, const QVariantMap& v);
    void OnTranMessage(int code, const QVariantMap& v);
    void OnExtPushMessage(int code, const QVariantMap& v);
    void OnUserSelf(int code, const QVariantMap& v);
    void OnUserJoin(int code, const QVariantMap& v);
    void OnUserLeave(int code, const QVariantMap& v);
    void OnCourseInfo(int code, const QVariantMap& v);
    void OnCourseEnd(int code, const QVariantMap& v);
    void OnUserWebId(int code, const QVariantMap& v);
    void OnAppDeviceAuth(int code, const QVariantMap& v);
    void OnUserKicked(int code, const QVariantMap& v);
    void OnHandupSwitch(int code, const QVariantMap& v);
    void OnUserHandup(int code, const QVariantMap& v);
    void OnInviteVideo(int code, const QVariantMap& v);
    void OnInteractResult(int code, const QVariantMap& v);
    void OnUserList(int code, const QVariantMap& v);
    void OnUserCount(int code, const QVariantMap& v);
    void OnStreamStart(int code, const QVariantMap& v);
    void OnStreamStop(int code, const QVariantMap& v);
    void OnRoomMedia(int code, const QVariantMap& v);
    void OnDualTeacherCmd(int code, const QVariantMap& v);
    void OnClassType(int code, const QVariantMap& v);
    void OnDualConnect(int code, const QVariantMap& v);
    void OnDualVisibleAsk(int code, const QVariantMap& v);
    void OnCountdown(int code, const QVariantMap& v);
    void OnQuestionStart(int code, const QVariantMap& v);
    void OnQuestionResult(int code, const QVariantMap& v);
    void OnQuestionStop(int code, const QVariantMap& v);
    void OnDrawAuth(int code, const QVariantMap& v);
    void OnNotice(int code, const QVariantMap& v);
    void OnProduct(int code, const QVariantMap& v);
    void OnLotteryResult(int code, const QVariantMap& v);
    void OnLotteryStart(int code, const QVariantMap& v);
    void OnLotteryMyResult(int code, const QVariantMap& v);
    void OnLotteryClose(int code, const QVariantMap& v);
    void OnRecordRemote(int code, const QVariantMap& v);
    void OnRecordRemoteRefused(int code);
    void OnStuRtcReset(int code, const QVariantMap& v);
    void OnStuRtcStop(int code, const QVariantMap& v);
    void OnStuRtcStart(int code, const QVariantMap& v);
    void OnHttpEnterRoom(int code, const QVariantMap& v);
    void OnHttpUserHeader(int code, const QVariantMap& v);
    void OnHttpCourseInfo(int code, const QVariantMap& v);
    void OnHttpMediaUrl(int code, const QVariantMap& v);
    // Shared steps of the handlers.
    void ShowHandupToastFor(int statusKey);
    void ReplyInviteResult(const QVariantMap& v);
    void ShowRoomEntryFailure(const QString& text);
    static qint64 ParseCourseEnd(const QVariant& text);

    // GUI thread only.
    MsgBox* m_visibilityBox = nullptr;  // dual-teacher visibility question, first use, kept
    MsgBox* m_inviteBox = nullptr;      // video invitation, first use, kept

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Constructor steps (MainWindowForm.cpp).
    void MakeRoomTools();
    void ConnectButtons();
    void MakeLoginWindows();
    void ConnectHandlers();
    // MainWindowShortcuts.cpp
    void MakeShortcuts();
    // MainWindowHandlers.cpp
    void OnExitApp();
    void OnDeviceSetting(bool on);
    void OnExtPushShow(bool show);
    void OnExtPushStart(bool start, const QString& streamName);
    void OnExtPushPlay(bool on);
    void OnMediaShowChange();
    void OnMicValueChange();
    void OnSpeakerValueChange();
    void OnRoomSpeed(int level, int delayMs);
    void OnDualVisible(bool allClasses);
    // --- RoomEntry.cpp, Toolbar.cpp, Tick.cpp ---
    void InitRoomUi();
    void InitLiveRoomUi();
    void InitSmallRoomUi();
    void ResetRoomTools();
    // --- the room's user list (RoomEntry.cpp) ---
    void MakeUserList(QWidget* parent);
    // --- end ---
    void DropRoomObjects();
    bool ExtPushVisible() const;
    // aboveBottomStrips: the panel ends above the strips under the
    // whiteboard (page controls, share buttons) instead of at the bottom.
    void PlaceAtRightPanel(QWidget* panel, bool show = true, bool aboveBottomStrips = false);
    void PlaceAtButton(QWidget* panel, QWidget* button);
    void OnLiveModeButton(QObject* button);
    void OnRecorderButton();
    void AskCloudRecording();
    void AskLocalRecording();
    void StopMediaForLiveMode();
    void StopVoiceForLiveMode();
    void SetLiveModeImages(const char* video, const char* desk, const char* hcam, const char* extPush);
    void OnRecordingTick(int tick);
    void OnStudentTimeoutTick();
    void RunExitSequence(QCloseEvent* event);
    // --- end ---

    // GUI thread only, like every member below.
    TitleDrag m_drag;                                       // 1-3: anchor, dragging, draggable
    Ui::MainWindow* ui = nullptr;                           // 4, owned
    std::shared_ptr<DeviceSettingDialog> m_deviceSetting;   // 5
    std::shared_ptr<DrawToolBarCtrl> m_drawToolBar;         // 6, room set-up
    std::shared_ptr<CBarrageScreen> m_barrage;              // 7
    std::shared_ptr<DocTurnPageCtrl> m_turnPage;            // 8
    std::shared_ptr<UserListDialog> m_userList;             // 9, room set-up
    std::shared_ptr<ShowQRWidget> m_showQR;                 // 10, room set-up
    std::shared_ptr<DocWidget> m_docWidget;                 // 11
    std::shared_ptr<SwitchBKWidget> m_switchBK;             // 12
    CamDevSettingWidget* m_camSetting = nullptr;            // 13
    ExtPushWidget* m_extPush = nullptr;                     // 14
    ShowStreamWidget* m_streamWidget = nullptr;             // 15, first Ctrl+Shift+R
    StuDeviceSettingWidget* m_stuDevice = nullptr;          // 16, student side only
    ChatCtrl* m_chat = nullptr;                             // 17, lives with the window
    VerSliderWidget* m_micSlider = nullptr;                 // 18
    VerSliderWidget* m_speakerSlider = nullptr;             // 19
    MsgBox* m_msgBox = nullptr;                             // 20
    DeskFloatWidget* m_deskFloat = nullptr;                 // 21, room set-up
    ButtonFloatWidget* m_previewFloat = nullptr;            // 22, first preview
    ToastButtonWidget* m_visibilityToast = nullptr;         // 23, on demand
    MediaPlayerWidget* m_mediaPlayer = nullptr;             // 24
    SwitchLineWidget* m_switchLine = nullptr;               // 25
    ToastHandupButton* m_handupToast = nullptr;             // 26
    ToastQuestionButton* m_questionToast = nullptr;         // 27
    CHudongWidget* m_hudong = nullptr;                      // 28
    CTopMsgWidget* m_topMsg = nullptr;                      // 29
    CTopClassWidget* m_products = nullptr;                  // 30
    CTopClassWidget* m_adverts = nullptr;                   // 31
    QuestionWidget* m_question = nullptr;                   // 32
    QuestionResultWidget* m_questionResult = nullptr;       // 33
    QuestionAnswer* m_questionAnswer = nullptr;             // 34
    LotteryWidget* m_lottery = nullptr;                     // 35
    LotteryResultWidget* m_lotteryResult = nullptr;         // 36
    LotteryAnswer* m_lotteryAnswer = nullptr;               // 37
    CountdownWidget* m_countdown = nullptr;                 // 38
    QMap<QString, QVariant> m_dualTeacher;                  // 39
    LoginWidget* m_login = nullptr;                         // 40, top-level, never deleted here
    ClassListWidget* m_classList = nullptr;                 // 41, top-level, never deleted here
    qint64 m_courseEnd = 0;                                 // 42, ms of the server clock
    qint64 m_lastNetWarning = 0;                            // 43, s since the epoch
    qint64 m_roomEntryTime = 0;                             // 44, s since the epoch
    int m_shareRetry = 0;                                   // 45, ticks
    int m_unrecordedTicks = 0;                              // 46
    bool m_firstRoomLogin = true;                           // 47
    bool m_startRecording = false;                          // 48
    qint64 m_lastActivity = 0;                              // 49, ms of the server clock
    bool m_leavingRoom = false;  // ExitRoom is closing the room's dialogs: nothing resumes
    std::function<qint64()> m_wallSeconds;

    // --- room entry and exit, tool bar, tick (RoomEntry.cpp, Toolbar.cpp,
    // Tick.cpp); GUI thread only ---
    OBSSettingWindow* m_broadcast = nullptr;  // child, made by the constructor
    MsgBox* m_closeBox = nullptr;             // the one close question, made on the first close
    std::function<void()> m_startUpdater;     // AppUpdater::RunUpdater unless a test sets it
    // --- end ---

    // ---- Whiteboard and stream slots (shell/WhiteboardSlots.cpp); the room's
    // video widgets live in room/ (UserListCtrl, UserItem, BigVideoCtrl,
    // CBarrageScreen). GUI thread only. ----
public:
    CBarrageScreen* Barrage() const { return m_barrage.get(); }

private:
    MsgBox* m_pushFailBox = nullptr;  // made on the first push failure, kept for the program's life
    // ---- end of whiteboard and stream slots ----
};
