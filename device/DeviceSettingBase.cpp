#include "device/DeviceSettingBase.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "media/IMediaEngine.h"
#include "widgets/MicrophoneVolumeCtrl.h"
#include "widgets/StyledBackground.h"
#include "widgets/Toast.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>

namespace {

// Presses below this local height drag the window.
constexpr int kTitleBand = 60;
constexpr int kToastMs = 3000;

template <typename T>
T* Named(QWidget* form, const char* name)
{
    T* w = form->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        Logger::instance()->Log(LOG_ERROR, "DeviceSettingBase::BindForm", "the form has no %s", name);
    return w;
}

}  // namespace

DeviceSettingBase::DeviceSettingBase(QWidget* parent) : QDialog(parent)
{
    m_engine = [] { return IMediaEngine::instance(); };
    m_hasAppDevice = [] { return !CData::instance()->GetAuthAppDevs().empty(); };
}

DeviceSettingBase::~DeviceSettingBase() = default;

void DeviceSettingBase::BindForm()
{
    m_camera = Named<QComboBox>(this, "cameraComboBox");
    m_microphone = Named<QComboBox>(this, "microphone");
    m_speaker = Named<QComboBox>(this, "speakerComboBox");
    m_micSlider = Named<QSlider>(this, "micVolumeSlider");
    m_speakerSlider = Named<QSlider>(this, "speakerVolumeSlider");
    m_micLevelLabel = Named<QLabel>(this, "micLevelLabel");
    m_speakerLevelLabel = Named<QLabel>(this, "speakerLevelLabel");
    m_preview = Named<QWidget>(this, "previewWidget");
    m_testButton = Named<QRadioButton>(this, "radioButton");
    m_micLevel = Named<MicrophoneVolumeCtrl>(this, "micLevelWidget");

    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Popup views of their own, so that the style sheet's item rules apply.
    for (QComboBox* box : {m_camera, m_microphone, m_speaker})
        box->setView(new QListView(box));
    setModal(false);
    m_micLevelLabel->hide();
    m_speakerLevelLabel->hide();
    m_testButton->hide();
}

void DeviceSettingBase::initDevice()
{
    DisconnectDeviceSignals();
    InitCameraList();
    InitMicrophoneList();
    InitSpeakerList();
    ConnectDeviceSignals();
}

void DeviceSettingBase::DisconnectDeviceSignals()
{
    for (QObject* o : {static_cast<QObject*>(m_camera), static_cast<QObject*>(m_microphone),
                       static_cast<QObject*>(m_speaker), static_cast<QObject*>(m_micSlider),
                       static_cast<QObject*>(m_speakerSlider), static_cast<QObject*>(m_micLevel)})
        o->disconnect(this);
}

void DeviceSettingBase::ConnectDeviceSignals()
{
    using Combo = void (QComboBox::*)(int);
    connect(m_camera, static_cast<Combo>(&QComboBox::currentIndexChanged), this, &DeviceSettingBase::onCameraChanged);
    connect(m_microphone, static_cast<Combo>(&QComboBox::currentIndexChanged), this,
            &DeviceSettingBase::onMicrophoneChanged);
    connect(m_speaker, static_cast<Combo>(&QComboBox::currentIndexChanged), this, &DeviceSettingBase::onSpeakerChanged);
    connect(m_micSlider, &QSlider::valueChanged, this, &DeviceSettingBase::onMicrophoneVolumeChanged);
    connect(m_speakerSlider, &QSlider::valueChanged, this, &DeviceSettingBase::onSpeakerVolumeChanged);
    m_micLevel->StartMonitorDefaultDevice();
}

int DeviceSettingBase::FillList(QComboBox* box, const DeviceList& devices, const QString& current,
                                const QString& placeholder)
{
    box->clear();
    if (devices.isEmpty()) {
        box->addItem(placeholder);
        return -1;
    }
    int found = -1;
    for (const auto& device : devices) {
        box->addItem(QIcon(), device.second, device.first);
        if (device.first == current)
            found = box->count() - 1;
    }
    return found;
}

// A stored device that is missing now (unplugged, or another machine's) is
// not replaced here: the dialog shows the first entry, and the stored
// choice changes only when the teacher picks a device.
void DeviceSettingBase::InitCameraList()
{
    IMediaEngine* engine = Engine();
    DeviceList devices;
    engine->getVideoDevices(devices);
    const int found = FillList(m_camera, devices, engine->getCurVideoDevice(), tr("no camera device was found!"));
    if (devices.isEmpty()) {
        m_lastCamera = 0;
        return;
    }
    int selected = found < 0 ? 0 : found;
    if (engine->canPreviewVideo() == 0)
        selected = m_camera->count() - 1;
    m_camera->setCurrentIndex(selected);
    m_lastCamera = selected;
}

QList<QPair<QString, QString>> DeviceSettingBase::MicrophoneDevices()
{
    DeviceList devices;
    Engine()->getInputAudioDevices(devices);
    return devices;
}

void DeviceSettingBase::InitMicrophoneList()
{
    IMediaEngine* engine = Engine();
    const DeviceList devices = MicrophoneDevices();
    const int found =
        FillList(m_microphone, devices, engine->getCurInputAudioDevice(), tr("no microphone device was found!"));
    m_lastMicrophone = 0;
    if (!devices.isEmpty()) {
        int selected = found < 0 ? 0 : found;
        engine->enableMicrophoneMonitor(true);
        if (engine->queryDeviceState() != 0) {
            selected = m_microphone->count() - 1;
            engine->enableMicrophoneMonitor(false);
        }
        m_microphone->setCurrentIndex(selected);
        m_lastMicrophone = selected;
    }
    InitVolume(m_micSlider, m_micLevelLabel, engine->getInputAudioVolume());
}

void DeviceSettingBase::InitSpeakerList()
{
    IMediaEngine* engine = Engine();
    DeviceList devices;
    engine->getOutputAudioDevices(devices);
    const int found =
        FillList(m_speaker, devices, engine->getCurOutputAudioDevice(), tr("no speaker device was found!"));
    m_lastSpeaker = found < 0 ? 0 : found;
    m_speaker->setCurrentIndex(m_lastSpeaker);
    InitVolume(m_speakerSlider, m_speakerLevelLabel, engine->getOutputAudioVolume());
}

void DeviceSettingBase::InitVolume(QSlider* slider, QLabel* label, int volume)
{
    volume = qBound(0, volume, 100);
    slider->setRange(0, 100);
    slider->setValue(volume);
    label->setText(QString::number(volume));
}

bool DeviceSettingBase::ApplyChoice(QComboBox* box, int& lastIndex, const std::function<bool(const QString&)>& set,
                                    const QString& refusedText)
{
    const QString id = box->currentData().toString();
    if (id.isEmpty())
        return false;
    if (set(id)) {
        lastIndex = box->currentIndex();
        return true;
    }
    Logger::instance()->Log(LOG_WARN, "DeviceSettingBase::ApplyChoice", "device refused: %s",
                            id.toUtf8().constData());
    {
        const QSignalBlocker blocker(box);
        box->setCurrentIndex(lastIndex);
    }
    // The engine may have stored the refused device already: the previous
    // one is applied again, so the stored choice is what the list shows.
    const QString previous = box->itemData(lastIndex).toString();
    if (!previous.isEmpty() && previous != id)
        set(previous);
    Toast::ShowToast(refusedText, this, kToastMs);
    return false;
}

void DeviceSettingBase::onCameraChanged(int)
{
    IMediaEngine* engine = Engine();
    if (m_camera->currentData().toString().isEmpty())
        return;
    engine->prepareVideoChange(true);
    if (ApplyChoice(m_camera, m_lastCamera, [engine](const QString& id) { return engine->setCurVideoDevice(id); },
                    tr("无法使用该摄像头，已恢复原来的选择")))
        engine->previewVideo(reinterpret_cast<quintptr>(m_preview), true);
}

void DeviceSettingBase::onMicrophoneChanged(int)
{
    IMediaEngine* engine = Engine();
    if (m_microphone->currentData().toString().isEmpty())
        return;
    engine->prepareInputAudioChange(false);
    if (ApplyChoice(m_microphone, m_lastMicrophone,
                    [engine](const QString& id) { return engine->setCurInputAudioDevice(id); },
                    tr("无法使用该麦克风，已恢复原来的选择")))
        engine->enableMicrophoneMonitor(true);
}

void DeviceSettingBase::onSpeakerChanged(int)
{
    IMediaEngine* engine = Engine();
    ApplyChoice(m_speaker, m_lastSpeaker, [engine](const QString& id) { return engine->setCurOutputAudioDevice(id); },
                tr("无法使用该扬声器，已恢复原来的选择"));
}

void DeviceSettingBase::onMicrophoneVolumeChanged(int value)
{
    Engine()->setInputAudioVolume(value);
    m_micLevelLabel->setText(QString::number(value));
}

void DeviceSettingBase::onSpeakerVolumeChanged(int value)
{
    Engine()->setOutputAudioVolume(value);
    m_speakerLevelLabel->setText(QString::number(value));
}

void DeviceSettingBase::showSetting()
{
    emit sgStartDeviceSetting(true);
    Engine()->enableVideoCapture(true);
    QMetaObject::invokeMethod(this, "slotStartPreviewVideo", Qt::QueuedConnection, Q_ARG(bool, true));
    m_settingOpen = true;
    show();
}

void DeviceSettingBase::slotStartPreviewVideo(bool on)
{
    // A preview queued by showSetting must not start after the dialog closed.
    if (on && !m_settingOpen)
        return;
    Engine()->previewVideo(reinterpret_cast<quintptr>(m_preview), on);
}

void DeviceSettingBase::on_closeBtn_clicked()
{
    hide();
    close();
}

void DeviceSettingBase::on_finishedBtn_clicked()
{
    hide();
    close();
}

void DeviceSettingBase::on_radioButton_clicked(bool checked)
{
    IMediaEngine* engine = Engine();
    if (checked) {
        engine->enableMicrophoneMonitor(false);
        engine->playAudioFile(QCoreApplication::applicationDirPath() + "/cat.mp3");
    } else {
        engine->stopAudioFile();
    }
}

void DeviceSettingBase::closeEvent(QCloseEvent* event)
{
    if (m_settingOpen) {
        m_settingOpen = false;
        IMediaEngine* engine = Engine();
        engine->previewVideo(reinterpret_cast<quintptr>(m_preview), false);
        // The level monitor the dialog started holds the microphone open.
        engine->enableMicrophoneMonitor(false);
        if (m_testButton->isChecked()) {
            m_testButton->setChecked(false);
            engine->stopAudioFile();
        }
        OnClosing();
        // The device setting ends for the room in every case; an authorised
        // app device only keeps the capture running.
        emit sgStartDeviceSetting(false);
        if (!m_hasAppDevice())
            engine->enableVideoCapture(false);
    }
    QDialog::closeEvent(event);
}

void DeviceSettingBase::reject()
{
    if (m_settingOpen)
        close();
    else
        QDialog::reject();
}

void DeviceSettingBase::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}

void DeviceSettingBase::mousePressEvent(QMouseEvent* event)
{
    m_drag.Press(this, event, kTitleBand);
    QDialog::mousePressEvent(event);
}

void DeviceSettingBase::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.Move(this, event);
    QDialog::mouseMoveEvent(event);
}

void DeviceSettingBase::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.Release(event);
    QDialog::mouseReleaseEvent(event);
}
