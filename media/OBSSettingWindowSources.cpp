// The broadcast settings window: the capture sources and their pages.
#include "media/OBSSettingWindow.h"

#include "ui_OBSSettingWindow.h"

#include "media/CBroadcastEngine.h"

#include "app/Logger.h"
#include "libs/broadcast/ISourceProperty.h"
#include "widgets/MsgBox.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The order value that keeps the capture source above the others.
constexpr int kCaptureSourceOrder = 10;
// The title of the program's main window.
const char* const kMainWindowTitle = "vtmaintea";

// The text under which the program's main window is listed: its program
// (this executable's file name) and its title.
QString mainWindowEntry()
{
    return "[" + QFileInfo(QCoreApplication::applicationFilePath()).fileName() + "]: " + kMainWindowTitle;
}

// Reads a capture property's two flags into the check boxes and writes the
// boxes' later changes back.
template <typename Property>
void wireCaptureChecks(QObject* owner, QCheckBox* cursor, QCheckBox* compat, const std::shared_ptr<Property>& prop)
{
    struct Flag {
        QCheckBox* box;
        bool on;
        std::function<void(bool)> set;
    };
    const Flag flags[] = {
        {cursor, prop->IsCaptureCursor(), [prop](bool on) { prop->SetCaptureCursor(on); }},
        {compat, prop->IsCompatibility(), [prop](bool on) { prop->SetCompatibility(on); }},
    };
    for (const Flag& f : flags) {
        f.box->disconnect(owner);
        f.box->setChecked(f.on);
        emit f.box->clicked(f.on);
        auto set = f.set;
        QObject::connect(f.box, &QCheckBox::stateChanged, owner, [set](int state) { set(state == Qt::Checked); });
    }
}

}  // namespace

void OBSSettingWindow::initSources()
{
    m_audioInited = 1;
    QComboBox* box = ui->allSrcCombox;
    box->disconnect(this);
    box->clear();
    m_sourceNames = {
        {kTypeCamera, QStringLiteral("摄像头")},
        {kTypeDesktop, QStringLiteral("桌面捕获")},
        {kTypeAppWindow, QStringLiteral("应用程序捕获")},
        {kTypeArea, QStringLiteral("区域捕获")},
    };
    for (auto it = m_sourceNames.cbegin(); it != m_sourceNames.cend(); ++it)
        box->addItem(it.value(), it.key());
    box->setCurrentIndex(box->findData(int(kTypeArea)));
    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this, box](int) { SwitchSource(box->currentData().toInt()); });
    SwitchSource(kTypeArea);
    initAudioInputSource();
    initAudioOutputSource();
}

void OBSSettingWindow::SwitchSource(int type)
{
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    if (!engine)
        return;
    if (type != m_curSourceType && m_curSourceType != kTypeNone)
        engine->RemoveSource(m_sourceNames.value(m_curSourceType).toUtf8().constData());
    if (!m_sourceNames.contains(type))
        return;
    m_curSourceType = type;
    const QByteArray name = m_sourceNames.value(type).toUtf8();
    if (!engine->HasSource(name.constData()))
        engine->AddSource(static_cast<Broadcast::ESourceType>(type), name.constData(), kSceneName);
    engine->SetSourceOrder(name.constData(), kCaptureSourceOrder);
    switch (type) {
    case kTypeCamera:
        updateCameraSrcPage();
        break;
    case kTypeDesktop:
        updateMonitorSrcPage();
        break;
    case kTypeAppWindow:
        updateAppWindowSrcPage();
        break;
    default:
        break;
    }
}

bool OBSSettingWindow::SetWorkType(int type)
{
    // Asked before the first ticks made the sources (a recording started
    // at once): they are made now, and the tick leaves them alone.
    if (m_audioInited == 0)
        initSources();
    const int index = ui->allSrcCombox->findData(type);
    if (index < 0) {
        LOG_WARN_F("OBSSettingWindow::SetWorkType", "obs SetWorkType failed %d", type);
        return false;
    }
    ui->allSrcCombox->setCurrentIndex(index);
    return true;
}

void OBSSettingWindow::updateCameraSrcPage()
{
    ui->stackedWidget->setCurrentWidget(ui->videoSrcPage);
    QComboBox* box = ui->deviceComboBox;
    box->disconnect(this);
    box->clear();
    auto camera = IVideoSourceProperty::create(m_sourceNames.value(kTypeCamera).toUtf8().constData(), true);
    QString currentId;
    camera->GetCurrentDevice([&](const char*, const char* id) { currentId = QString::fromUtf8(id ? id : ""); });
    int index = 0;
    camera->EnumDevices([&](const char* name, const char* id) {
        const QString devId = QString::fromUtf8(id);
        box->addItem(QString::fromUtf8(name), devId);
        if (devId == currentId)
            index = box->count() - 1;
        return true;
    });
    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [box, camera](int) {
        camera->SetDevice(box->currentData().toString().toUtf8().constData(), true);
    });
    box->setCurrentIndex(index);
}

void OBSSettingWindow::updateMonitorSrcPage()
{
    ui->stackedWidget->setCurrentWidget(ui->monitorSrcPage);
    auto monitor = IMonitorCaptureSourceProperty::create(m_sourceNames.value(kTypeDesktop).toUtf8().constData(), true);
    wireCaptureChecks(this, ui->monitorCaptureCursorChk, ui->monitorCompatibilityChk, monitor);
}

void OBSSettingWindow::updateAppWindowSrcPage()
{
    ui->stackedWidget->setCurrentWidget(ui->appWndSrcPage);
    auto window = IAppWindowCaptureSourceProperty::create(m_sourceNames.value(kTypeAppWindow).toUtf8().constData(),
                                                          true);
    QComboBox* box = ui->appComboBox;
    box->blockSignals(true);
    box->disconnect(this);
    box->clear();
    const QString wanted = mainWindowEntry();
    int found = -1;
    window->EnumWindows([&](const char* title, const char*) {
        const QString text = QString::fromUtf8(title);
        box->addItem(text, text);
        if (text.contains(wanted)) {
            found = box->count() - 1;
            LOG_INFO_F("OBSSettingWindow::updateAppWindowSrcPage", "record window %s main %s", title,
                       wanted.toUtf8().constData());
        }
        return true;
    });
    connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [box, window](int) {
        window->SetWindow(box->currentData().toString().toUtf8().constData());
    });
    m_captureWndIndex = found;
    if (found == -1) {
        reportRecordResult(100, QStringLiteral("查找录制窗口失败，录制失败"));
        LOG_WARN_F("OBSSettingWindow::updateAppWindowSrcPage", "not found window %s", wanted.toUtf8().constData());
        QPointer<MsgBox> box;
        showWindowMissingBox(box, false);
    } else {
        box->setCurrentIndex(found);
    }
    window->SetWindow(box->currentData().toString().toUtf8().constData());
    box->blockSignals(false);
    wireCaptureChecks(this, ui->appCaptureCursorChk, ui->appCompatibilityChk, window);
}

void OBSSettingWindow::showWindowMissingBox(QPointer<MsgBox>& box, bool keep)
{
    if (!box) {
        box = new MsgBox(m_mainWindow, !keep, 0);
        box->SetMsgText(QStringLiteral("录制窗口失败，请使用分享屏幕进行录制!"), QString());
        box->SetButtonText(false, QStringLiteral("确定"));
    }
    box->ShowMsg();
}
