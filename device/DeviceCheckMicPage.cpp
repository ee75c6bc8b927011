// The device check's microphone page: the microphone list and volume, the
// level of the chosen microphone as the engine monitors it, the timed record
// test behind the hidden test button, and the two answers that end the check.
// "可以看到音量波动" needs a level the chosen microphone really produced.
#include "device/DeviceCheckDialog.h"

#include "ui_CheckDeviceForm.h"

#include <QComboBox>
#include <QListView>

namespace {

constexpr int kCountdownSeconds = 5;

}  // namespace

void DeviceCheckDialog::initMicrophonePage()
{
    ui->micVolumeCtrl->SetBarStyle(12, 48, false);
    ui->microphoneDevicesCombox->setView(new QListView(ui->microphoneDevicesCombox));
    ui->testMicrophoneBtn->hide();
    // The no-device note is white text on the dark panel: it must not take
    // the pages' white background, and it needs its whole text's width.
    ui->label_25->setStyleSheet(ui->label_25->styleSheet() + QStringLiteral("background:transparent;"));
    ui->label_25->adjustSize();

    IMediaEngine* e = engine();
    QList<DevicePair> mics;
    e->getInputAudioDevices(mics);
    shownMicrophones =
        fillDeviceCombo(ui->microphoneDevicesCombox, mics, e->getCurInputAudioDevice(), tr("没有找到麦克风"));
    auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage);
    if (mics.isEmpty())
        mic->noDevice = true;
    else
        e->enableMicrophoneMonitor(true);

    ui->microhoneVolumeSlider->setRange(0, 100);
    mic->answerEnabled = true;
    const int volume = qBound(0, e->getInputAudioVolume(), 100);
    {
        const QSignalBlocker blocker(ui->microhoneVolumeSlider);
        ui->microhoneVolumeSlider->setValue(volume);
    }
    ui->micVolumeLevelLabel->setText(QString::number(volume));

    connect(ui->microhoneVolumeSlider, &QSlider::valueChanged, this, [this](int value) {
        engine()->setInputAudioVolume(value);
        ui->micVolumeLevelLabel->setText(QString::number(value));
    });
    connect(ui->microphoneDevicesCombox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DeviceCheckDialog::onMicrophoneChosen, Qt::UniqueConnection);
    connect(ui->testMicrophoneBtn, &QPushButton::clicked, this, &DeviceCheckDialog::onMicTestClicked,
            Qt::UniqueConnection);
    connect(&micTestTimer, &QTimer::timeout, this, &DeviceCheckDialog::onMicTestTick, Qt::UniqueConnection);
    connect(ui->micEnableBtn, &QPushButton::clicked, this, [this] { answerMicrophone(true); });
    connect(ui->micDisableBtn, &QPushButton::clicked, this, [this] { answerMicrophone(false); });
}

void DeviceCheckDialog::onMicrophoneChosen()
{
    const QString id = ui->microphoneDevicesCombox->currentData().toString();
    if (id.isEmpty())
        return;
    IMediaEngine* e = engine();
    e->prepareInputAudioChange(false);
    e->enableMicrophoneMonitor(true);
    e->setCurInputAudioDevice(id);
    // Levels of the previous microphone prove nothing about this one.
    micLevelSeen = false;
    ui->micVolumeCtrl->slotUpdateVolume(0.0f);
    if (auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage))
        mic->answerEnabled = true;
    refreshMicrophonePage();
}

void DeviceCheckDialog::resetMicrophoneInfo()
{
    micTestState = 0;
    if (auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage))
        mic->answerEnabled = true;
    if (micTestTimer.isActive())
        micTestTimer.stop();
    micLevelSeen = false;
    ui->micVolumeCtrl->slotUpdateVolume(0.0f);
    // The bar follows the microphone the engine monitors: the chosen one.
    connect(engine(), &IMediaEngine::sigMicrophoneVolumeChange, this, &DeviceCheckDialog::onMicrophoneLevel,
            Qt::UniqueConnection);
    connect(engine(), &IMediaEngine::sigLocalDeviceLost, this, &DeviceCheckDialog::noticeDeviceLost,
            Qt::UniqueConnection);
}

void DeviceCheckDialog::refreshMicrophonePage()
{
    auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage);
    if (!mic)
        return;
    const bool usable = !mic->noDevice && engine()->queryDeviceState() == 0;
    ui->microphoneStackedWidget->setCurrentWidget(usable ? ui->normalWidget : ui->noDevicePageWidget);
    ui->micEnableBtn->setVisible(usable);
    ui->micEnableBtn->setEnabled(mic->answerEnabled && micLevelSeen);
    ui->micDisableBtn->setEnabled(mic->answerEnabled);
    switch (micTestState) {
    case 0: ui->testMicrophoneBtn->setText(tr("StartRecord")); break;
    case 1: ui->testMicrophoneBtn->setText(tr("Recording...")); break;
    case 2: ui->testMicrophoneBtn->setText(QString::number(micTestCountdown) + tr("Sec")); break;
    default: ui->testMicrophoneBtn->setText(tr("Restart Test")); break;
    }
}

void DeviceCheckDialog::onMicTestClicked()
{
    if (micTestState != 0 && micTestState != 3)
        return;
    micTestState = 1;
    micTestTimer.start(kMicTestTickMs);
    if (auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage))
        mic->answerEnabled = false;
    refreshMicrophonePage();
}

void DeviceCheckDialog::onMicTestTick()
{
    switch (micTestState) {
    case 1:
        micTestState = 2;
        micTestCountdown = kCountdownSeconds;
        break;
    case 2:
        if (--micTestCountdown <= 0) {
            micTestState = 3;
            if (auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage))
                mic->answerEnabled = true;
        }
        break;
    default:
        micTestTimer.stop();
        break;
    }
    refreshMicrophonePage();
}

void DeviceCheckDialog::onMicrophoneLevel(float level)
{
    ui->micVolumeCtrl->slotUpdateVolume(level);
    if (!micLevelSeen && level >= kHeardLevel && ui->rightStackedWidget->currentWidget() == ui->microphonePage) {
        micLevelSeen = true;
        refreshMicrophonePage();
    }
}

void DeviceCheckDialog::answerMicrophone(bool levelSeen)
{
    if (auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage)) {
        mic->cannotSeeLevel = !levelSeen;
        mic->checked = true;
    }
    setStepImage(ui->micPageBtn, levelSeen ? QStringLiteral("checkmic3.png") : QStringLiteral("checkmic2.png"));
    showCheckReport();
}

void DeviceCheckDialog::recheckMicrophones()
{
    QList<DevicePair> mics;
    engine()->getInputAudioDevices(mics);
    const Relisted found = relistDevices(ui->microphoneDevicesCombox, shownMicrophones, mics, tr("没有找到麦克风"),
                                         tr("麦克风已断开，请检查麦克风或声音服务"),
                                         tr("所选麦克风已断开，已换用其他麦克风"));
    if (auto mic = checker<CheckMicrophoneInfo>(kMicrophonePage))
        mic->noDevice = mics.isEmpty();
    if (found != Relisted::kSame)
        onMicrophoneChosen();
    refreshMicrophonePage();
}
