#include "media/OBSSettingWindow.h"

#include "ui_OBSSettingWindow.h"

#include "app/BroadcastAudioLink.h"
#include "media/CBroadcastEngine.h"
#include "media/CPreviewBase.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "common/DataFolder.h"
#include "libs/broadcast/ISourceProperty.h"
#include "libs/clientlib/include/ClientLib.h"
#include "widgets/MicrophoneVolumeCtrl.h"
#include "widgets/MsgBox.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace {

// Ticks that pass before the first source fill, and before the watchdog.
constexpr int kQuietTicks = 3;
// A microphone gap longer than this is logged when audio comes back.
constexpr int64_t kAudioGapLogMs = 2600;
// From this time-out on a silent microphone is shown to the teacher.
constexpr int kAlarmBoxTimeoutMs = 5000;

}  // namespace

OBSSettingWindow::OBSSettingWindow(QWidget* mainWindow)
    : QMainWindow(nullptr), ui(std::make_unique<Ui::OBSSettingForm>()), m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    ui->recordSavePath->setText(QDir::toNativeSeparators(defaultRecordFolder()));
    ui->micVolumeBeatCtrl->SetDeviceName(kInputSource);
    ui->micVolumeBeatCtrl->StartMonitor();
    ui->speakerVolumeBeatCtrl->SetDeviceName(kOutputSource);
    ui->speakerVolumeBeatCtrl->StartMonitor();
    m_timer = new QTimer(this);
    setUp();
    BroadcastAudioLink& link = BroadcastAudioLink::instance();
    link.setInputAudio = [this](const QString& name) { return SetInputAudio(name); };
    link.setInputAudioMuted = [this](bool muted) { SetInputAudioMuted(muted); };
    link.SetMixAudio([this](const QString& userId, const void* data, int bits, int rate, int channels, int frames,
                            int timestamp, int flags) {
        MixAudioData(userId, static_cast<const uchar*>(data), bits, rate, channels, frames, timestamp, flags);
    });
    RoomBroadcastWindow window;
    window.startWork = [this] { return StartWork(); };
    window.stopWork = [this] { return StopWork(); };
    window.streamKey = [this] { return GetStreamKey(); };
    window.serverAddress = [this] { return GetServerAddress(); };
    window.toggleShown = [this] { setVisible(!isVisible()); };
    Room::instance()->SetBroadcastWindow(window);
}

OBSSettingWindow::~OBSSettingWindow()
{
    BroadcastAudioLink& link = BroadcastAudioLink::instance();
    link.setInputAudio = nullptr;
    link.setInputAudioMuted = nullptr;
    link.SetMixAudio(nullptr);
    Room::instance()->SetBroadcastWindow(RoomBroadcastWindow());
    // The preview's painting reads the engine: it ends before the engine.
    ui->previewWidget->releaseView();
    if (IBroadcastEngine* engine = CBroadcastEngine::getEngine())
        engine->Stop();
    CBroadcastEngine::release();
}

QString OBSSettingWindow::defaultRecordFolder()
{
    return QString::fromStdString(datafolder::path()) + "/record";
}

void OBSSettingWindow::setUp()
{
    if (m_setUpDone)
        return;
    m_setUpDone = true;
    CBroadcastEngine* wrapper = CBroadcastEngine::instance();
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    if (engine) {
        engine->Start();
        if (auto scenes = engine->GetScenes()) {
            if (!scenes->HasScene(kSceneName))
                scenes->AddScene(kSceneName);
            scenes->SelectScene(kSceneName);
        }
        engine->SetVideoOutput(1920, 1080, 2048);
        engine->AddSource(Broadcast::kSourceAudioInput, kInputSource, kSceneName);
        engine->AddSource(Broadcast::kSourceAudioOutput, kOutputSource, kSceneName);
        engine->AddSource(Broadcast::kSourceMulAudioInput, kMulInputSource, kSceneName);
    } else {
        LOG_WARN_F("OBSSettingWindow::setUp", "no broadcast engine");
    }
    connect(wrapper, &CBroadcastEngine::signalStartPublishSuccess, this, &OBSSettingWindow::slotOnStartPublishSuccess);
    connect(wrapper, &CBroadcastEngine::signalStopPublish, this, &OBSSettingWindow::slotOnStopPublishFinished);
    connect(wrapper, &CBroadcastEngine::signalStartRecordSuccess, this, &OBSSettingWindow::slotStartRecordSuccess,
            Qt::QueuedConnection);
    connect(wrapper, &CBroadcastEngine::signalStopRecord, this, &OBSSettingWindow::slotStopRecordFinished,
            Qt::QueuedConnection);
    connect(wrapper, &CBroadcastEngine::signalAudioVolume, this, &OBSSettingWindow::onUpdateVolume);
    {
        auto mulAudio = IMulAudioSourceProperty::create(kMulInputSource);
        std::lock_guard<std::mutex> lock(m_mulAudioLock);
        m_mulAudio = std::move(mulAudio);
    }

    m_notifyRecord = false;
    recordNotifyFailed = false;
    m_lastAudioMs = 0;
    m_tickCount = 0;
    m_noAudioTimeout = kFirstTimeoutMs;
    connect(m_timer, &QTimer::timeout, this, &OBSSettingWindow::onUpdateTimer);
    m_timer->start(kTimerMs);

    if (m_mainWindow) {
        m_mainWindow->installEventFilter(this);
        m_btnRecorder = m_mainWindow->findChild<QPushButton*>("btnRecorder");
        m_btnDesk = m_mainWindow->findChild<QPushButton*>("btnDesk");
    }
}

bool OBSSettingWindow::eventFilter(QObject* watched, QEvent* event)
{
    return QMainWindow::eventFilter(watched, event);
}

int64_t OBSSettingWindow::nowMs() const
{
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void OBSSettingWindow::reportRecordResult(int code, const QString& msg)
{
    if (m_reporter.reportRecordResult) {
        m_reporter.reportRecordResult(code, 0, msg);
        return;
    }
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->ReportRecordResult(code, 0, msg);
}

bool OBSSettingWindow::setRecordState(const QString& key, int on)
{
    if (m_reporter.setRecordState)
        return m_reporter.setRecordState(key, on);
    ClientLib* lib = Room::instance()->GetClientLib();
    return lib && lib->SetRecordState(key, on);
}

void OBSSettingWindow::onUpdateTimer()
{
    ++m_tickCount;
    if (m_tickCount <= kQuietTicks)
        return;
    if (m_audioInited == 0) {
        initSources();
        return;
    }
    checkMicrophone();
    retryRecordNotify();
}

void OBSSettingWindow::checkMicrophone()
{
    const int64_t now = nowMs();
    const int64_t gap = now - m_lastAudioMs.load();
    if (gap <= m_noAudioTimeout)
        return;
    m_noAudioTimeout = std::min(m_noAudioTimeout + m_noAudioTimeout / 2, kMaxTimeoutMs);
    auto input = IAudioSourceProperty::create(kInputSource);
    const QString id = ui->micComboBox->currentData().toString();
    const QString name = ui->micComboBox->currentText();
    if (!id.isEmpty())
        input->SetDevice(id.toUtf8().constData(), true);
    LOG_INFO_F("OBSSettingWindow::onUpdateTimer", "no audio input %lld timeout %d. setAudioDevice %s %s",
               static_cast<long long>(gap), m_noAudioTimeout, id.toUtf8().constData(), name.toUtf8().constData());
    m_lastAudioMs = now;
    if (CData::instance()->IsRecording() && m_noAudioTimeout > kAlarmBoxTimeoutMs) {
        if (!m_micAlarmBox) {
            m_micAlarmBox = new MsgBox(m_mainWindow, false, 0);
            m_micAlarmBox->SetMsgText(QStringLiteral("检测到麦克风设备异常，请重新选择麦克风调试设备"), QString());
            m_micAlarmBox->SetButtonText(false, QStringLiteral("确定"));
        }
        m_micAlarmBox->ShowMsg();
    }
}

void OBSSettingWindow::onUpdateVolume(QString srcName, float mag, float peak, float peakHold)
{
    if (srcName != QLatin1String(kInputSource))
        return;
    const int64_t now = nowMs();
    const int64_t last = m_lastAudioMs.load();
    if (now - last > kAudioGapLogMs)
        LOG_INFO_F("OBSSettingWindow::onUpdateVolume", "onUpdateVolume times %lld, %s, %f, %f, %f",
                   static_cast<long long>(now - last), srcName.toUtf8().constData(), double(mag),
                   double(peak), double(peakHold));
    m_lastAudioMs = now;
}

void OBSSettingWindow::MixAudioData(QString userId, const uchar* data, int bitsPerSample, int sampleRate,
                                    int channels, int frames, int timestamp, int flags)
{
    if (!m_inputDeviceValid)
        m_lastAudioMs = nowMs();
    if (!data)
        return;
    bool ok = false;
    const qint64 user = userId.toLongLong(&ok, 10);
    std::lock_guard<std::mutex> lock(m_mulAudioLock);
    if (!m_mulAudio)
        return;
    m_mulAudio->PushAudioData(ok ? user : 0, data, bitsPerSample, sampleRate, channels, frames, timestamp, flags);
}

void OBSSettingWindow::on_refreshInputDeviceBtn_clicked()
{
    initAudioInputSource();
}

void OBSSettingWindow::on_refreshOutputDevice_clicked()
{
    initAudioOutputSource();
}

bool OBSSettingWindow::initAudioInputSource()
{
    auto input = IAudioSourceProperty::create(kInputSource);
    if (input->IsMuted())
        input->SetMuted(false);
    QComboBox* box = ui->micComboBox;
    box->disconnect(this);
    box->clear();
    int index = 0;
    bool found = false;
    input->EnumDevices([&](const char* name, const char* id) {
        const QString text = QString::fromUtf8(name);
        box->addItem(text, QString::fromUtf8(id));
        if (!found && text == m_wantedInputDevice) {
            found = true;
            index = box->count() - 1;
        }
        return true;
    });
    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, box, input](int) {
        const QString id = box->currentData().toString();
        LOG_INFO_F("OBSSettingWindow::initAudioInputSource", "obs setAudioDevice %s %s",
                   box->currentText().toUtf8().constData(), id.toUtf8().constData());
        input->SetDevice(id.toUtf8().constData(), true);
    });
    if (index < box->count())
        box->setCurrentIndex(index);
    ui->micVolumeSlider->disconnect(this);
    connect(ui->micVolumeSlider, &QSlider::valueChanged, this, [this, input](int value) {
        input->SetVolume(value);
        ui->micVolumeLable->setText(QString::number(value));
    });
    ui->micVolumeSlider->setValue(input->GetVolume());
    ui->micVolumeLable->setText(QString::number(ui->micVolumeSlider->value()));
    m_inputDeviceValid = found;
    return found;
}

void OBSSettingWindow::initAudioOutputSource()
{
    auto output = IAudioSourceProperty::create(kOutputSource);
    QString currentId;
    output->GetCurrentDevice([&](const char*, const char* id) { currentId = QString::fromUtf8(id ? id : ""); });
    QComboBox* box = ui->speakerCombox;
    box->disconnect(this);
    box->clear();
    int index = 0;
    output->EnumDevices([&](const char* name, const char* id) {
        const QString devId = QString::fromUtf8(id);
        box->addItem(QString::fromUtf8(name), devId);
        if (devId == currentId) {
            index = box->count() - 1;
            LOG_INFO_F("OBSSettingWindow::initAudioOutputSource", "select audio output dev %s, %s", name, id);
        }
        return true;
    });
    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [box, output](int) {
        output->SetDevice(box->currentData().toString().toUtf8().constData(), true);
    });
    if (index < box->count())
        box->setCurrentIndex(index);

    QCheckBox* chk = ui->captureSystemAudioChk;
    chk->disconnect(this);
    chk->setChecked(!output->IsMuted());
    emit chk->clicked(chk->isChecked());
    connect(chk, &QCheckBox::stateChanged, this, [output](int state) { output->SetMuted(state == Qt::Unchecked); });
    chk->setChecked(false);
    emit chk->clicked(false);

    ui->speakerVolumeSlider->disconnect(this);
    connect(ui->speakerVolumeSlider, &QSlider::valueChanged, this, [this, output](int value) {
        output->SetVolume(value);
        ui->speakerVolumeLabel->setText(QString::number(value));
    });
    ui->speakerVolumeSlider->setValue(output->GetVolume());
    ui->speakerVolumeLabel->setText(QString::number(ui->speakerVolumeSlider->value()));
}

bool OBSSettingWindow::SetInputAudio(QString name)
{
    m_wantedInputDevice = name;
    const bool filled = m_audioInited != 0;
    LOG_INFO_F("OBSSettingWindow::SetInputAudio", "obs %s %s ", filled ? "SetInputAudio" : "no init SetInputAudio",
               name.toUtf8().constData());
    if (!filled)
        return true;
    const int index = ui->micComboBox->findText(name, Qt::MatchExactly);
    if (index >= 0) {
        ui->micComboBox->setCurrentIndex(index);
        m_inputDeviceValid = true;
        return true;
    }
    if (initAudioInputSource()) {
        m_inputDeviceValid = true;
        return true;
    }
    LOG_WARN_F("OBSSettingWindow::SetInputAudio", "obs SetInputAudio failed %s may be dshow dev",
               name.toUtf8().constData());
    m_inputDeviceValid = false;
    return false;
}

bool OBSSettingWindow::SetInputAudioMuted(bool mute)
{
    auto input = IAudioSourceProperty::create(kInputSource);
    if (input->IsMuted() != mute) {
        LOG_INFO_F("OBSSettingWindow::SetInputAudioMuted", "obs mic set %s", mute ? "mute" : "unmute");
        input->SetMuted(mute);
    }
    return true;
}
