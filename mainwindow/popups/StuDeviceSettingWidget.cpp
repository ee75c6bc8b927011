#include "mainwindow/popups/StuDeviceSettingWidget.h"
#include "ui_StuDeviceSettingWidget.h"

#include "app/Logger.h"
#include "widgets/StyledBackground.h"
#include "media/IMediaEngine.h"

#include <QCloseEvent>
#include <QListView>
#include <QMouseEvent>
#include <QSet>

StuDeviceSettingWidget::StuDeviceSettingWidget(QWidget* parent) : QDialog(parent), ui(new Ui::StuDeviceSettingWidget)
{
    m_engine = [] { return IMediaEngine::instance(); };
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->previewWidget->installEventFilter(this);
    for (QComboBox* box : {ui->cameraComboBox, ui->microphone, ui->speakerComboBox})
        box->setView(new QListView(box));
    setModal(false);
    for (QWidget* hidden : {static_cast<QWidget*>(ui->micLevelLabel), static_cast<QWidget*>(ui->speakerLevelLabel),
                            static_cast<QWidget*>(ui->closeBtn), ui->cameraWidget, ui->speakerWidget})
        hidden->hide();
    setFixedHeight(210);
}

StuDeviceSettingWidget::~StuDeviceSettingWidget() { delete ui; }

void StuDeviceSettingWidget::showSetting()
{
    m_accepted = false;
    initDevice();
    QMetaObject::invokeMethod(this, "slotStartPreviewVideo", Qt::QueuedConnection, Q_ARG(bool, true));
    m_closePending = true;
    show();
}

void StuDeviceSettingWidget::initDevice()
{
    for (QObject* o : {static_cast<QObject*>(ui->cameraComboBox), static_cast<QObject*>(ui->microphone),
                       static_cast<QObject*>(ui->speakerComboBox), static_cast<QObject*>(ui->micVolumeSlider),
                       static_cast<QObject*>(ui->speakerVolumeSlider), static_cast<QObject*>(ui->micLevelWidget)})
        o->disconnect(this);
    InitCameraList();
    InitMicrophoneList();
    InitSpeakerList();
    connectDevice();
}

int StuDeviceSettingWidget::FillList(QComboBox* box, const DeviceList& devices, const QString& current,
                                     const char* kind)
{
    int found = -1;
    QSet<QString> keys;
    for (const auto& device : devices) {
        // The pair is (key, label); a device without a key cannot be chosen,
        // and a key listed twice is one device.
        if (device.first.isEmpty() || keys.contains(device.first)) {
            Logger::instance()->Log(LOG_WARN, "StuDeviceSettingWidget::FillList", "%s list: %s device '%s' left out",
                                    kind, device.first.isEmpty() ? "unnamed" : "repeated",
                                    device.second.toUtf8().constData());
            continue;
        }
        keys.insert(device.first);
        box->addItem(device.second, device.first);
        if (device.first == current)
            found = box->count() - 1;
    }
    return found;
}

void StuDeviceSettingWidget::InitCameraList()
{
    IMediaEngine* engine = m_engine();
    ui->cameraComboBox->clear();
    DeviceList devices;
    engine->getVideoDevices(devices);
    const int found = FillList(ui->cameraComboBox, devices, engine->getCurVideoDevice(), "camera");
    if (ui->cameraComboBox->count() == 0) {
        ui->cameraComboBox->addItem(tr("no camera device was found!"));
        return;
    }
    int selected = found < 0 ? 0 : found;
    if (engine->canPreviewVideo() == 0)
        selected = ui->cameraComboBox->count() - 1;
    if (found < 0)
        engine->setCurVideoDevice(ui->cameraComboBox->itemData(selected).toString());
    ui->cameraComboBox->setCurrentIndex(selected);
}

void StuDeviceSettingWidget::InitMicrophoneList()
{
    IMediaEngine* engine = m_engine();
    ui->microphone->clear();
    DeviceList devices;
    engine->getInputAudioDevices(devices);
    const int found = FillList(ui->microphone, devices, engine->getCurInputAudioDevice(), "microphone");
    if (ui->microphone->count() == 0) {
        ui->microphone->addItem(tr("no microphone device was found!"));
    } else {
        int selected = found < 0 ? 0 : found;
        engine->enableMicrophoneMonitor(true);
        if (engine->queryDeviceState() != 0) {
            selected = ui->microphone->count() - 1;
            engine->enableMicrophoneMonitor(false);
        }
        if (found < 0)
            engine->setCurInputAudioDevice(ui->microphone->itemData(selected).toString());
        ui->microphone->setCurrentIndex(selected);
    }
    ui->micVolumeSlider->setRange(0, 100);
    const int volume = qBound(0, engine->getInputAudioVolume(), 100);
    ui->micVolumeSlider->setValue(volume);
    ui->micLevelLabel->setText(QString::number(volume));
}

void StuDeviceSettingWidget::InitSpeakerList()
{
    IMediaEngine* engine = m_engine();
    ui->speakerComboBox->clear();
    DeviceList devices;
    engine->getOutputAudioDevices(devices);
    const int found = FillList(ui->speakerComboBox, devices, engine->getCurOutputAudioDevice(), "speaker");
    if (ui->speakerComboBox->count() == 0) {
        ui->speakerComboBox->addItem(tr("no speaker device was found!"));
    } else {
        if (found < 0)
            engine->setCurOutputAudioDevice(ui->speakerComboBox->itemData(0).toString());
        ui->speakerComboBox->setCurrentIndex(found < 0 ? 0 : found);
    }
    ui->speakerVolumeSlider->setRange(0, 100);
    const int volume = qBound(0, engine->getOutputAudioVolume(), 100);
    ui->speakerVolumeSlider->setValue(volume);
    ui->speakerLevelLabel->setText(QString::number(volume));
}

void StuDeviceSettingWidget::connectDevice()
{
    using Combo = void (QComboBox::*)(int);
    connect(ui->cameraComboBox, static_cast<Combo>(&QComboBox::currentIndexChanged), this,
            &StuDeviceSettingWidget::OnCameraChanged);
    connect(ui->microphone, static_cast<Combo>(&QComboBox::currentIndexChanged), this,
            &StuDeviceSettingWidget::OnMicrophoneChanged);
    connect(ui->speakerComboBox, static_cast<Combo>(&QComboBox::currentIndexChanged), this,
            &StuDeviceSettingWidget::OnSpeakerChanged);
    connect(ui->micVolumeSlider, &QSlider::valueChanged, this, &StuDeviceSettingWidget::OnMicVolume);
    connect(ui->speakerVolumeSlider, &QSlider::valueChanged, this, &StuDeviceSettingWidget::OnSpeakerVolume);
    ui->micLevelWidget->StartMonitorDefaultDevice();
}

void StuDeviceSettingWidget::OnCameraChanged(int)
{
    const QString key = ui->cameraComboBox->currentData().toString();
    if (key.isEmpty())
        return;
    m_engine()->prepareVideoChange(true);
    m_engine()->setCurVideoDevice(key);
}

void StuDeviceSettingWidget::OnMicrophoneChanged(int)
{
    const QString key = ui->microphone->currentData().toString();
    if (key.isEmpty())
        return;
    IMediaEngine* engine = m_engine();
    engine->prepareInputAudioChange(false);
    engine->setCurInputAudioDevice(key);
    engine->enableMicrophoneMonitor(true);
}

void StuDeviceSettingWidget::OnSpeakerChanged(int)
{
    const QString key = ui->speakerComboBox->currentData().toString();
    if (key.isEmpty())
        return;
    m_engine()->setCurOutputAudioDevice(key);
}

void StuDeviceSettingWidget::OnMicVolume(int value)
{
    m_engine()->setInputAudioVolume(value);
    ui->micLevelLabel->setText(QString::number(value));
}

void StuDeviceSettingWidget::OnSpeakerVolume(int value)
{
    m_engine()->setOutputAudioVolume(value);
    ui->speakerLevelLabel->setText(QString::number(value));
}

void StuDeviceSettingWidget::on_btnOk_clicked()
{
    m_accepted = true;
    hide();
    close();
}

void StuDeviceSettingWidget::on_btnCancel_clicked()
{
    m_accepted = false;
    hide();
    close();
}

void StuDeviceSettingWidget::on_closeBtn_clicked() { on_btnCancel_clicked(); }

void StuDeviceSettingWidget::slotStartPreviewVideo(bool) {}

bool StuDeviceSettingWidget::eventFilter(QObject*, QEvent*) { return false; }

void StuDeviceSettingWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}

void StuDeviceSettingWidget::closeEvent(QCloseEvent* event)
{
    if (m_closePending) {
        m_closePending = false;
        emit sgWidgetClose(m_accepted);
    }
    QDialog::closeEvent(event);
}
