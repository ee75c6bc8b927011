#pragma once
// The teacher's step-by-step device check: a frameless window with four step
// buttons (system, camera, speaker, microphone) above a stack of check pages,
// one question per page, ending on a report of every check. The home window
// owns one and shows it again and again; closing only hides it, so the
// answers last as long as the dialog.
//
// Every device is listed, chosen, previewed and played through the current
// media engine (IMediaEngine::instance(), or the source given at
// construction).
//
// Implemented by concern:
//   DeviceCheckDialog.cpp        construction, page switching, closing, help tip,
//                                preview start and stop, watching the device lists
//   DeviceCheckSystemPage.cpp    the system facts and the network delay
//   DeviceCheckCameraPage.cpp    camera list, preview and answers
//   DeviceCheckSpeakerPage.cpp   speaker list, volume, test sounds and answers
//   DeviceCheckMicPage.cpp       microphone list, volume, level and answers
//   DeviceCheckReport.cpp        evaluation and the report panel
//
// GUI thread only: every member, timer and connection below.
#include "device/CheckBaseInfo.h"
#include "media/IMediaEngine.h"
#include "widgets/ShadowDialogBase.h"

#include <QMap>
#include <QPair>
#include <QPointer>
#include <QSharedPointer>
#include <QTimer>

#include <functional>

namespace Ui {
class CheckDeviceForm;
class CheckReporForm;
}
class MsgBox;
class NcFramelessHelper;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QPushButton;

class DeviceCheckDialog : public ShadowDialogBase {
    Q_OBJECT
public:
    enum Page { kSystemPage = 0, kCameraPage = 1, kSpeakerPage = 2, kMicrophonePage = 3 };
    static constexpr int kPlayWindowMs = 3000;     // how long a test sound may play
    static constexpr int kMicTestTickMs = 1000;    // the record test's tick
    static constexpr int kDeviceWatchMs = 2000;    // how often a device page re-lists its devices
    // The level (0..1) from which the chosen microphone counts as heard.
    static constexpr float kHeardLevel = 0.02f;

    explicit DeviceCheckDialog(QWidget* parent);
    // engine is asked at every device call; the current engine by default.
    DeviceCheckDialog(QWidget* parent, std::function<IMediaEngine*()> engine);
    ~DeviceCheckDialog() override;

    bool isAllChecked() const;

public slots:
    void on_closeBtn_clicked();
    void slotShowTipMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    IMediaEngine* engine() const;
    template <typename T>
    QSharedPointer<T> checker(int page) const
    {
        return qSharedPointerDynamicCast<T>(checkInfos.value(page));
    }
    // Fills a device combo box from the engine's list: the name shown, the id
    // as item data, or one placeholder item with no data for an empty list.
    // Selects the last entry whose id is current (else the first) without
    // signalling; answers the ids listed.
    static QStringList fillDeviceCombo(QComboBox* box, const QList<DevicePair>& devices, const QString& current,
                                       const QString& placeholder);
    // What re-listing a kind of device found.
    enum class Relisted {
        kSame,      // nothing changed, or only other devices came or went
        kLost,      // the chosen device is gone; another one (or none) is selected
        kAppeared,  // there was none and now one is selected
    };
    // Refills box from devices when their ids differ from shown (kept up to
    // date), keeping the chosen device selected while it is listed. When the
    // chosen device is gone the teacher is told: allGone when none is left,
    // else replaced.
    Relisted relistDevices(QComboBox* box, QStringList& shown, const QList<DevicePair>& devices,
                           const QString& placeholder, const QString& allGone, const QString& replaced);
    static void setStepImage(QPushButton* button, const QString& picture);
    void goToPage(int page);

    // --- shell (DeviceCheckDialog.cpp) ---
    void initCheckInfo();
    void initPageButtons();
    void initTipButtons();
    void onPageButtonClicked(int id);
    void startPreview();
    void stopPreview();
    void watchDevices();
    void noticeDeviceLost(const QString& text);

    // --- system page (DeviceCheckSystemPage.cpp) ---
    void initSystemPage();
    void onRoomSpeed(int speed, int delayMs);

    // --- camera page (DeviceCheckCameraPage.cpp) ---
    void initCameraPage();
    void onCameraChosen();
    void onPreviewPicture(quintptr window);
    void refreshCameraAnswers();
    void answerCamera(bool canSee);
    void recheckCameras();

    // --- speaker page (DeviceCheckSpeakerPage.cpp) ---
    void initSpeakerPage();
    void initTestAudioInfo();
    void resetSpeakerTest();
    void resetTestAudioInfo();
    void refreshSpeakerButtons();
    void onSpeakerChosen();
    void onPlayClicked();
    void onPlayWindowEnd();
    void onAnimalClicked(QAbstractButton* button);
    void answerSpeaker(bool canHear);
    void recheckSpeakers();

    // --- microphone page (DeviceCheckMicPage.cpp) ---
    void initMicrophonePage();
    void resetMicrophoneInfo();
    void refreshMicrophonePage();
    void onMicrophoneChosen();
    void onMicTestClicked();
    void onMicTestTick();
    void onMicrophoneLevel(float level);
    void answerMicrophone(bool levelSeen);
    void recheckMicrophones();

    // --- report (DeviceCheckReport.cpp) ---
    void showCheckReport();
    void evaluateCheckResults();
    void onRepeatCheck();

    std::function<IMediaEngine*()> m_engine;  // null: IMediaEngine::instance()
    Ui::CheckDeviceForm* ui = nullptr;         // owned
    NcFramelessHelper* framelessHelper = nullptr;  // no parent; deleted later by the destructor
    QButtonGroup* pageGroup = nullptr;         // child of the dialog
    QMap<int, QSharedPointer<CheckBaseInfo>> checkInfos;

    // Camera preview: whether one runs in previewWidget and whether its first
    // picture has arrived since it was started.
    bool previewRunning = false;
    bool previewPictureArrived = false;

    QList<QPair<QString, QString>> testAudioList;  // local sound file, display name
    int curAudioIndex = -1;
    QTimer playTimer{this};                   // the playback window of a test sound
    bool firstPlayDone = false;
    QButtonGroup* audioGroup = nullptr;  // no parent; deleted by the destructor

    QTimer micTestTimer{this};  // the record test's tick
    int micTestState = 0;  // 0 idle, 1 recording, 2 counting down, 3 finished
    int micTestCountdown = 0;
    bool micLevelSeen = false;  // the chosen microphone moved the level since it was chosen

    // The device lists last shown, to see devices come and go while a page is open.
    QStringList shownCameras;
    QStringList shownSpeakers;
    QStringList shownMicrophones;
    QTimer deviceWatchTimer{this};

    QPointer<MsgBox> leaveBox;  // the leave-early question, a child made on first need
    QWidget* reportWidget = nullptr;  // child, made with the first report
    Ui::CheckReporForm* reportForm = nullptr;  // owned
};
