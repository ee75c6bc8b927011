// The device check dialog's shell: construction, page switching, closing and
// the leave-early question, the help tip, the camera preview's start and
// stop, and watching the device lists while a device page is open.
#include "device/DeviceCheckDialog.h"

#include "app/Logger.h"
#include "ui_CheckDeviceForm.h"
#include "ui_CheckReporForm.h"
#include "ui_CheckTipForm.h"
#include "widgets/MsgBox.h"
#include "widgets/NcFramelessHelper.h"
#include "widgets/Toast.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidgetAction>

namespace {

constexpr int kNoticeMs = 3000;

}  // namespace

DeviceCheckDialog::DeviceCheckDialog(QWidget* parent) : DeviceCheckDialog(parent, nullptr) {}

DeviceCheckDialog::DeviceCheckDialog(QWidget* parent, std::function<IMediaEngine*()> engine)
    : ShadowDialogBase(parent), m_engine(std::move(engine)), ui(new Ui::CheckDeviceForm)
{
    playTimer.setObjectName(QStringLiteral("playTimer"));
    micTestTimer.setObjectName(QStringLiteral("micTestTimer"));
    deviceWatchTimer.setObjectName(QStringLiteral("deviceWatchTimer"));
    ui->setupUi(this);

    framelessHelper = new NcFramelessHelper(nullptr);
    framelessHelper->attachWidget(this);
    framelessHelper->setMovable(true);
    framelessHelper->setResizable(false);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    initCheckInfo();
    initSystemPage();
    initCameraPage();
    initSpeakerPage();
    initMicrophonePage();
    initPageButtons();
    initTipButtons();

    deviceWatchTimer.setInterval(kDeviceWatchMs);
    connect(&deviceWatchTimer, &QTimer::timeout, this, &DeviceCheckDialog::watchDevices);
}

DeviceCheckDialog::~DeviceCheckDialog()
{
    stopPreview();
    if (IMediaEngine* e = engine())
        e->stopAudioFile();
    framelessHelper->detachWidget(this);
    framelessHelper->deleteLater();
    delete audioGroup;
    delete reportForm;
    delete ui;
}

IMediaEngine* DeviceCheckDialog::engine() const { return m_engine ? m_engine() : IMediaEngine::instance(); }

void DeviceCheckDialog::initCheckInfo()
{
    struct Entry {
        int page;
        QSharedPointer<CheckBaseInfo> info;
        QWidget* widget;
        const char* name;
    };
    const Entry entries[] = {
        {kSystemPage, QSharedPointer<CheckSystemInfo>::create(), ui->systemPage, QT_TR_NOOP("系统检测")},
        {kCameraPage, QSharedPointer<CheckCameraInfo>::create(), ui->cameraPage, QT_TR_NOOP("摄像头检测")},
        {kSpeakerPage, QSharedPointer<CheckSpeakerInfo>::create(), ui->speakerPage, QT_TR_NOOP("扬声器检测")},
        {kMicrophonePage, QSharedPointer<CheckMicrophoneInfo>::create(), ui->microphonePage, QT_TR_NOOP("麦克风检测")},
    };
    for (const Entry& e : entries) {
        e.info->widget = e.widget;
        e.info->name = tr(e.name);
        e.widget->setProperty("page", e.page);
        checkInfos.insert(e.page, e.info);
    }
    // The system page asks nothing: it is answered from the start. Whether
    // the network passed waits for a measured delay.
    auto system = checker<CheckSystemInfo>(kSystemPage);
    system->checked = true;
    system->networkOk = false;
}

void DeviceCheckDialog::initPageButtons()
{
    if (!pageGroup)
        pageGroup = new QButtonGroup(this);
    pageGroup->addButton(ui->systemPageBtn, kSystemPage);
    pageGroup->addButton(ui->cameraPageBtn, kCameraPage);
    pageGroup->addButton(ui->speakerPageBtn, kSpeakerPage);
    pageGroup->addButton(ui->micPageBtn, kMicrophonePage);
    connect(pageGroup, &QButtonGroup::idClicked, this, &DeviceCheckDialog::onPageButtonClicked, Qt::UniqueConnection);
    goToPage(kSystemPage);
}

void DeviceCheckDialog::initTipButtons()
{
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(ui->badNetworkHelpBtn),
                               static_cast<QAbstractButton*>(ui->camerExceptHelpBtn),
                               static_cast<QAbstractButton*>(ui->btnNoCamTip),
                               static_cast<QAbstractButton*>(ui->microphoneExceptHelpBtn),
                               static_cast<QAbstractButton*>(ui->speakerExceptHelpBtn)})
        connect(b, &QAbstractButton::clicked, this, &DeviceCheckDialog::slotShowTipMenu);
    ui->badNetworkHelpBtn->hide();
    ui->camerExceptHelpBtn->hide();
    ui->microphoneExceptHelpBtn->hide();
    ui->speakerExceptHelpBtn->hide();
}

void DeviceCheckDialog::goToPage(int page)
{
    if (QAbstractButton* b = pageGroup->button(page)) {
        b->setChecked(true);
        emit pageGroup->idClicked(page);
    }
}

void DeviceCheckDialog::onPageButtonClicked(int id)
{
    const int cur = ui->rightStackedWidget->currentWidget()->property("page").toInt();
    if (cur == id)
        return;
    auto target = checkInfos.value(id);
    if (!target || !target->widget)
        return;
    ui->rightStackedWidget->setCurrentWidget(target->widget);

    IMediaEngine* e = engine();
    switch (cur) {
    case kCameraPage:
        stopPreview();
        ui->previewWidget->setUpdatesEnabled(true);
        ui->previewWidget->update();
        break;
    case kSpeakerPage:
        e->stopAudioFile();
        if (playTimer.isActive())
            playTimer.stop();
        break;
    case kMicrophonePage:
        if (micTestTimer.isActive())
            micTestTimer.stop();
        e->enableMicrophoneMonitor(false);
        break;
    default:
        break;
    }

    switch (id) {
    case kCameraPage:
        recheckCameras();
        break;
    case kSpeakerPage:
        recheckSpeakers();
        resetSpeakerTest();
        break;
    case kMicrophonePage:
        e->enableMicrophoneMonitor(true);
        recheckMicrophones();
        resetMicrophoneInfo();
        refreshMicrophonePage();
        break;
    default:
        break;
    }
    if (id == kSystemPage)
        deviceWatchTimer.stop();
    else
        deviceWatchTimer.start();
}

bool DeviceCheckDialog::isAllChecked() const
{
    for (const auto& info : checkInfos) {
        if (info && !info->checked)
            return false;
    }
    return true;
}

void DeviceCheckDialog::on_closeBtn_clicked()
{
    if (isAllChecked()) {
        close();
        return;
    }
    // One question box per dialog, kept with it: a second dialog or the end
    // of the program never reaches a box another dialog made.
    if (!leaveBox) {
        leaveBox = new MsgBox(this, false, 0);
        leaveBox->setObjectName(QStringLiteral("leaveCheckBox"));
    }
    leaveBox->SetMsgText(tr("设备检测尚未完成，您确定要离开吗？"), QString());
    leaveBox->SetButtonText(true, tr("确定"), tr("取消"));
    leaveBox->ShowMsg(
        [](bool ok, void* dialog) {
            if (ok)
                static_cast<DeviceCheckDialog*>(dialog)->close();
        },
        this);
}

void DeviceCheckDialog::slotShowTipMenu()
{
    auto* source = qobject_cast<QWidget*>(sender());
    if (!source)
        return;
    QMenu menu;
    menu.setObjectName(QStringLiteral("tipMenu"));
    menu.setAttribute(Qt::WA_TranslucentBackground);
    menu.setWindowFlags(menu.windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    menu.setStyleSheet(QStringLiteral("QWidget{background:rgba(0,0,0,100);color:white;}QLabel{background:transparent;}"));
    auto* tip = new QWidget(&menu);
    Ui::Form tipForm;
    tipForm.setupUi(tip);
    auto* action = new QWidgetAction(&menu);
    action->setDefaultWidget(tip);
    menu.addAction(action);
    menu.exec(source->mapToGlobal(QPoint(0, -tip->height())));
}

bool DeviceCheckDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->previewWidget && event->type() == QEvent::Show) {
        QTimer::singleShot(1, this, [this] {
            if (ui->previewWidget->isVisible() && engine()->canPreviewVideo() != 0)
                startPreview();
        });
    }
    return ShadowDialogBase::eventFilter(watched, event);
}

void DeviceCheckDialog::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void DeviceCheckDialog::hideEvent(QHideEvent* event)
{
    // A hidden dialog keeps no camera open; showing the camera page again
    // restarts the preview through its show event.
    stopPreview();
    deviceWatchTimer.stop();
    // Nor a microphone or a test sound.
    engine()->enableMicrophoneMonitor(false);
    engine()->stopAudioFile();
    ShadowDialogBase::hideEvent(event);
}

void DeviceCheckDialog::showEvent(QShowEvent* event)
{
    ShadowDialogBase::showEvent(event);
    if (ui->rightStackedWidget->currentWidget() != ui->systemPage)
        deviceWatchTimer.start();
}

void DeviceCheckDialog::startPreview()
{
    IMediaEngine* e = engine();
    previewPictureArrived = false;
    connect(e, &IMediaEngine::sigPreviewPictureArrived, this, &DeviceCheckDialog::onPreviewPicture,
            Qt::UniqueConnection);
    connect(e, &IMediaEngine::sigLocalDeviceLost, this, &DeviceCheckDialog::noticeDeviceLost, Qt::UniqueConnection);
    e->previewVideo(reinterpret_cast<quintptr>(ui->previewWidget), true);
    previewRunning = true;
    refreshCameraAnswers();
}

void DeviceCheckDialog::stopPreview()
{
    if (!previewRunning)
        return;
    previewRunning = false;
    previewPictureArrived = false;
    engine()->previewVideo(reinterpret_cast<quintptr>(this), false);
    refreshCameraAnswers();
}

void DeviceCheckDialog::watchDevices()
{
    if (!isVisible()) {
        deviceWatchTimer.stop();
        return;
    }
    const int page = ui->rightStackedWidget->currentWidget()->property("page").toInt();
    if (page == kCameraPage)
        recheckCameras();
    else if (page == kSpeakerPage)
        recheckSpeakers();
    else if (page == kMicrophonePage)
        recheckMicrophones();
}

void DeviceCheckDialog::noticeDeviceLost(const QString& text)
{
    Logger::instance()->Log(LOG_WARN, "DeviceCheckDialog::noticeDeviceLost", "%s", text.toUtf8().constData());
    Toast::ShowToast(text, this, kNoticeMs);
}

QStringList DeviceCheckDialog::fillDeviceCombo(QComboBox* box, const QList<DevicePair>& devices,
                                               const QString& current, const QString& placeholder)
{
    const QSignalBlocker blocker(box);
    box->clear();
    QStringList ids;
    if (devices.isEmpty()) {
        box->addItem(placeholder, QVariant());
        return ids;
    }
    int selected = 0;
    for (const DevicePair& d : devices) {
        if (d.first == current)
            selected = ids.size();
        ids << d.first;
        box->addItem(QIcon(), d.second, d.first);
    }
    box->setCurrentIndex(selected);
    return ids;
}

DeviceCheckDialog::Relisted DeviceCheckDialog::relistDevices(QComboBox* box, QStringList& shown,
                                                             const QList<DevicePair>& devices,
                                                             const QString& placeholder, const QString& allGone,
                                                             const QString& replaced)
{
    QStringList ids;
    for (const DevicePair& d : devices)
        ids << d.first;
    if (ids == shown)
        return Relisted::kSame;
    const QString chosen = box->currentData().toString();
    shown = fillDeviceCombo(box, devices, chosen, placeholder);
    if (chosen.isEmpty())
        return ids.isEmpty() ? Relisted::kSame : Relisted::kAppeared;
    if (ids.contains(chosen))
        return Relisted::kSame;
    noticeDeviceLost(ids.isEmpty() ? allGone : replaced);
    return Relisted::kLost;
}

void DeviceCheckDialog::setStepImage(QPushButton* button, const QString& picture)
{
    const QString url = QStringLiteral("border-image: url(:/setting/res/setting/%1);").arg(picture);
    button->setStyleSheet(QStringLiteral("QPushButton\n{\n    min-width:82px;\n    min-height:82px;\n\tmax-height:82px;\n"
                                         "\tbackground:transparent;\n\t%1\n}\nQPushButton::hover\n{\n"
                                         "\tbackground:transparent;\n\t%1\n}\nQPushButton::pressed\n{\n"
                                         "\tbackground:transparent;\n\t%1\n}")
                              .arg(url));
}
