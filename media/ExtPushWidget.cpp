// ExtPushWidget: the form, the line buttons, start and stop, the preview,
// the device list and the device's relayed messages.
#include "media/ExtPushWidget.h"

#include "ui_ExtPushWidget.h"

#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "media/RtmpLivePlayer.h"
#include "widgets/MsgBox.h"
#include "widgets/RoundedMask.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QStyleOption>

#include <nlohmann/json.hpp>

namespace {

constexpr int kToastMs = 3000;
constexpr int kCornerRadius = 4;

const char* const kStyleNormal = "color: #333333;";
const char* const kStyleAbnormal = "color: #eb7675;";
const char* const kStyleLive = "color: #5DC0BA;";

// A device message's value as text: anything but a JSON string reads as
// empty text (so a numeric "code" never equals "0").
QString messageText(const nlohmann::json& msg, const char* key)
{
    if (!msg.is_object() || !msg.contains(key))
        return QString();
    const nlohmann::json& v = msg.at(key);
    if (!v.is_string()) {
        Logger::instance()->Log(LOG_WARN, "ExtPushWidget::OnExtPushTranMsg", "tran msg %s is no text: %s", key,
                                v.dump().c_str());
        return QString();
    }
    return QString::fromStdString(v.get<std::string>());
}

RtmpLivePlayer* livePlayer() { return Room::instance()->GetLivePlayer(); }

bool previewPlaying()
{
    RtmpLivePlayer* player = livePlayer();
    return player && player->IsPlaying();
}

}  // namespace

const char* const ExtPushWidget::kStartStyle =
    "QPushButton{color: #FFFFFF; font: 14px; background-color: #5DC0BA; border: none; border-radius: 4px;"
    " min-height: 28px; max-height: 28px; min-width: 120px; max-width: 120px;}"
    "QPushButton:hover, QPushButton:pressed{background-color: #67c0ba;}"
    "QPushButton:disabled{background-color: #999999;}";
const char* const ExtPushWidget::kStopStyle =
    "QPushButton{color: #FFFFFF; font: 14px; background-color: #eb7675; border: none; border-radius: 4px;"
    " min-height: 28px; max-height: 28px; min-width: 120px; max-width: 120px;}"
    "QPushButton:hover, QPushButton:pressed{background-color: #eb7675;}"
    "QPushButton:disabled{background-color: #999999;}";

ExtPushWidget::ExtPushWidget(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::ExtPushWidget>())
{
    if (objectName().isEmpty())
        setObjectName("ExtPushWidget");
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->btnOk->setStyleSheet(kStartStyle);
    ui->btnPreview->setStyleSheet(kStartStyle);
    ui->mainStackWdg->setCurrentWidget(ui->pageAutoWdg);
    // The state label's style sheet is only its colour: its size is a font.
    QFont statusFont = ui->labDevStatus->font();
    statusFont.setPixelSize(14);
    ui->labDevStatus->setFont(statusFont);
    connect(ui->cmbDevice, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ExtPushWidget::OnDeviceSelected, Qt::DirectConnection);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), this);
    connect(shortcut, &QShortcut::activated, this, &ExtPushWidget::SwitchMode);
}

ExtPushWidget::~ExtPushWidget() = default;

qint64 ExtPushWidget::NowMs() const { return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch(); }

bool ExtPushWidget::OnDevicePage() const { return ui->mainStackWdg->currentWidget() == ui->pageAutoWdg; }

void ExtPushWidget::ShowMessage(const QString& text)
{
    auto* box = new MsgBox(this, true, 0);
    box->SetMsgText(text, QString());
    box->SetButtonText(false, QStringLiteral("确定"), QStringLiteral("取消"));
    box->ShowMsg();
}

void ExtPushWidget::ShowToast(const QString& text) { Toast::ShowToast(text, this, kToastMs); }

void ExtPushWidget::SetDevStatus(const QString& text, const char* style)
{
    ui->labDevStatus->setText(text);
    ui->labDevStatus->setStyleSheet(style);
}

void ExtPushWidget::SwitchMode()
{
    if (CData::instance()->IsExtPush()) {
        ShowToast(QStringLiteral("请先结束直播后，再切换串流方式!"));
        return;
    }
    ui->mainStackWdg->setCurrentWidget(OnDevicePage() ? ui->pageManualWdg : ui->pageAutoWdg);
}

void ExtPushWidget::ShowExtPush()
{
    CData* data = CData::instance();
    const QVariantMap info = data->GetMgLineInfo();
    const int count = info.value("count").toInt();
    m_curLine = info.value("line").toInt();
    if (count < 2)
        return;
    emit sgExtPushShow(true);
    QRadioButton* lines[kLineCount] = {ui->radioButton_1, ui->radioButton_2, ui->radioButton_3,
                                       ui->radioButton_4, ui->radioButton_5, ui->radioButton_6};
    for (int i = 0; i < kLineCount; ++i) {
        lines[i]->installEventFilter(this);
        lines[i]->setProperty("index", i);
        lines[i]->setVisible(i < count);
        if (i == m_curLine)
            lines[i]->setChecked(true);
    }
    if (data->IsExtPush()) {
        ui->btnClose->hide();
        ui->btnOk->setText(QStringLiteral("结束直播"));
        ui->btnOk->setStyleSheet(kStopStyle);
    } else {
        ui->btnClose->show();
        ui->btnOk->setText(QStringLiteral("开始直播"));
        ui->btnOk->setStyleSheet(kStartStyle);
        const QString addr = data->GetDeskTopPushUrl();
        ui->lineAddr->setText(addr);
        ui->lineAddr->setToolTip(addr);
        const QString name = data->GetStreamName(true);
        ui->lineName->setText(name);
        ui->lineName->setToolTip(name);
    }
    ui->lineGuid->setText(CSettings::instance()->GetValue("App/AppExtGuid", "").toString());
    show();
}

bool ExtPushWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != this && event->type() == QEvent::MouseButtonRelease) {
        const int index = watched->property("index").toInt();
        if (index != m_curLine) {
            m_curLine = index;
            CData::instance()->SwitchMgLine(index);
            const QString addr = CData::instance()->GetDeskTopPushUrl();
            ui->lineAddr->setText(addr);
            ui->lineAddr->setToolTip(addr);
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ExtPushWidget::TakeClick(QWidget* button, qint64 guardMs)
{
    const qint64 last = button->property("clickTime").toLongLong();
    const qint64 now = NowMs();
    const qint64 gap = now - last;
    if (gap < guardMs || gap < 0)
        return false;
    button->setProperty("clickTime", now);
    return true;
}

void ExtPushWidget::on_btnOk_clicked()
{
    if (!TakeClick(ui->btnOk, kOkGuardMs))
        return;
    if (OnDevicePage() && !CData::instance()->IsExtPush() && m_curDevId.isEmpty()) {
        ShowToast(QStringLiteral("当前无obs设备在线，无法开始直播"));
        return;
    }
    TogglePush(false);
}

void ExtPushWidget::TogglePush(bool exitRoom)
{
    CData* data = CData::instance();
    const QString addr = ui->lineAddr->text();
    const QString name = ui->lineName->text();
    const bool pushing = !data->IsExtPush();
    data->SetExtPush(pushing);
    ui->btnClose->setVisible(!pushing);
    ui->btnOk->setText(pushing ? QStringLiteral("结束直播") : QStringLiteral("开始直播"));
    ui->btnOk->setStyleSheet(pushing ? kStopStyle : kStartStyle);

    if (OnDevicePage()) {
        QVariantMap cmd;
        cmd["desId"] = m_curDevId;
        if (pushing) {
            cmd["command"] = "StartStreamRq";
            cmd["rtmpAddr"] = addr;
            cmd["rtmpName"] = name;
            ui->cmbDevice->setEnabled(false);
        } else {
            cmd["command"] = "StopStreamRq";
            ui->cmbDevice->setEnabled(true);
            // Leaving the room: no confirmation of the device reaches this
            // window any more, so the stop is announced now.
            if (m_curDevId.isEmpty() || exitRoom) {
                if (m_curDevId.isEmpty())
                    SetDevStatus(QStringLiteral("设备异常"), kStyleAbnormal);
                emit sgExtPushStart(false, name);
            }
        }
        if (!m_curDevId.isEmpty()) {
            if (ClientLib* lib = Room::instance()->GetClientLib())
                lib->SendCommand(QVariant(cmd));
        }
    } else {
        emit sgExtPushStart(pushing, name);
    }

    if (RtmpLivePlayer* player = livePlayer()) {
        RtmpPlayParam p = player->GetPlayParam();
        p.playUrl = addr + name;
        if (!pushing) {
            p.playUrl.clear();
            if (player->IsPlaying())
                TogglePreview();
        }
        player->SetPlayParam(p);
    }
}

void ExtPushWidget::on_btnPreview_clicked()
{
    if (!TakeClick(ui->btnPreview, kPreviewGuardMs))
        return;
    TogglePreview();
}

void ExtPushWidget::TogglePreview()
{
    if (previewPlaying()) {
        Room::instance()->StopPlay(false);
        emit sgExtPushPlay(false);
        ui->btnPreview->setText(QStringLiteral("开始直播预览"));
    } else if (CData::instance()->IsExtPush()) {
        Room::instance()->StartPlay(4, ui->lineName->text());
        emit sgExtPushPlay(true);
        ui->btnPreview->setText(QStringLiteral("停止直播预览"));
    } else {
        ShowToast(QStringLiteral("请开始直播后，再开始直播预览"));
    }
}

void ExtPushWidget::on_btnClose_clicked()
{
    if (previewPlaying())
        TogglePreview();
    hide();
    emit sgExtPushShow(false);
}

void ExtPushWidget::on_btnCopyAddr_clicked()
{
    ui->lineName->deselect();
    ui->lineAddr->selectAll();
    QApplication::clipboard()->setText(ui->lineAddr->text());
}

void ExtPushWidget::on_btnCopyName_clicked()
{
    ui->lineAddr->deselect();
    ui->lineName->selectAll();
    QApplication::clipboard()->setText(ui->lineName->text());
}

void ExtPushWidget::on_btnCopyGuid_clicked()
{
    ui->lineGuid->selectAll();
    QApplication::clipboard()->setText(ui->lineGuid->text());
}

void ExtPushWidget::SetConnectState(bool ok, QString reason)
{
    ui->labConInfo->setText(ok ? QString() : QStringLiteral("连接服务失败 ") + reason);
}

void ExtPushWidget::ReStartPush()
{
    if (CData::instance()->IsExtPush() && !ui->lineName->text().isEmpty())
        emit sgExtPushStart(true, ui->lineName->text());
}

void ExtPushWidget::ResetData(bool exitRoom)
{
    // Leaving the room always ends a running push, whatever the window
    // shows: the flag is cleared and the stop announced (and, on the device
    // page, the device told).
    if (exitRoom && CData::instance()->IsExtPush()) {
        Logger::instance()->Log(LOG_WARN, "ExtPushWidget::ResetData", "exit room notify StopStreamRq");
        TogglePush(true);
    }
    m_curDevId.clear();
    m_devices.clear();
    m_rebuilding = true;
    ui->cmbDevice->clear();
    m_rebuilding = false;
    ui->labObsNum->setText(QStringLiteral("0台"));
    SetDevStatus(QStringLiteral("设备异常"), kStyleAbnormal);
    if (exitRoom)
        hide();
}

void ExtPushWidget::OnDeviceSelected(int index)
{
    if (m_rebuilding)
        return;
    m_curDevId = index < 0 ? QString() : ui->cmbDevice->itemData(index).toString();
    Logger::instance()->Log(LOG_INFO, "ExtPushWidget::OnDeviceSelected", "combox select set cur dev %s",
                            m_curDevId.toUtf8().constData());
}

void ExtPushWidget::OnExtPushTranMsg(const QVariant& payload)
{
    const QVariantMap map = payload.toMap();
    const QString command = map.value("command").toString();
    if (command == "DeviceList")
        OnDeviceList(map);
    else if (command == "TransMsg")
        OnDeviceMessage(map);
}

void ExtPushWidget::OnDeviceList(const QVariantMap& payload)
{
    const char* func = "ExtPushWidget::OnExtPushTranMsg";
    Logger* log = Logger::instance();
    const QVariant devicesValue = payload.value("devices");
    const QVariantMap devices = devicesValue.canConvert<QVariantMap>() ? devicesValue.toMap() : QVariantMap();
    const bool pushing = CData::instance()->IsExtPush();
    bool found = false;
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        const QString id = it.value().toString();
        if (m_curDevId.isEmpty()) {
            m_curDevId = id;
            log->Log(LOG_INFO, func, "init set cur dev %s", id.toUtf8().constData());
        }
        if (id == m_curDevId)
            found = true;
    }
    ui->labObsNum->setText(QString::number(devices.size()) + QStringLiteral("台"));
    if (found) {
        if (!pushing)
            SetDevStatus(QStringLiteral("设备正常"), kStyleNormal);
    } else {
        if (pushing) {
            SetDevStatus(QStringLiteral("设备异常"), kStyleAbnormal);
            log->Log(LOG_WARN, func, "%s offline. but is streaming.", m_curDevId.toUtf8().constData());
            if (isVisible() && OnDevicePage())
                ShowMessage(m_curDevId + QStringLiteral(" 掉线，请重新开始直播。"));
        } else if (devices.isEmpty()) {
            log->Log(LOG_INFO, func, "%s offline. no dev", m_curDevId.toUtf8().constData());
            SetDevStatus(QStringLiteral("设备异常"), kStyleAbnormal);
        } else {
            SetDevStatus(QStringLiteral("设备正常"), kStyleNormal);
        }
        m_curDevId.clear();
        if (!devices.isEmpty()) {
            m_curDevId = devices.cbegin().value().toString();
            log->Log(LOG_INFO, func, "dev offline. set cur dev %s", m_curDevId.toUtf8().constData());
        }
    }
    if (devices == m_devices && m_curDevId == ui->cmbDevice->currentData().toString())
        return;
    m_rebuilding = true;
    ui->cmbDevice->clear();
    m_devices = devices;
    for (auto it = devices.cbegin(); it != devices.cend(); ++it)
        ui->cmbDevice->addItem(it.key(), it.value().toString());
    ui->cmbDevice->setCurrentIndex(ui->cmbDevice->findData(m_curDevId));
    m_rebuilding = false;
}

void ExtPushWidget::OnDeviceMessage(const QVariantMap& payload)
{
    const char* func = "ExtPushWidget::OnExtPushTranMsg";
    Logger* log = Logger::instance();
    const QString text = payload.value("msgJson").toString();
    nlohmann::json msg;
    if (!text.isEmpty()) {
        try {
            msg = nlohmann::json::parse(text.toStdString());
        } catch (const nlohmann::json::exception& e) {
            log->Log(LOG_WARN, func, "tran json parse %s err %s", text.toUtf8().constData(), e.what());
            return;
        }
        if (!msg.is_object()) {
            log->Log(LOG_WARN, func, "tran json parse %s err no object", text.toUtf8().constData());
            return;
        }
    }
    const QString command = messageText(msg, "command");
    const QString code = messageText(msg, "code");
    const QString message = messageText(msg, "message");
    const bool visible = isVisible();
    const bool pushing = CData::instance()->IsExtPush();
    if (command == "StartStreamRs" || command == "StopStreamRs") {
        if (code != "0" && visible && OnDevicePage())
            ShowMessage(message);
    } else if (command == "StartStreamBc") {
        const QString addr = messageText(msg, "rtmpAddr");
        const QString name = messageText(msg, "rtmpName");
        if (name == ui->lineName->text() && addr == ui->lineAddr->text()) {
            SetDevStatus(QStringLiteral("设备直播中"), kStyleLive);
            if (!visible)
                return;
            if (OnDevicePage()) {
                if (pushing)
                    emit sgExtPushStart(true, name);
                else
                    log->Log(LOG_WARN, func, "extpush status is not start. drop %s", command.toUtf8().constData());
            }
            ShowToast(m_curDevId + QStringLiteral(" 开始推流。"));
        } else if (visible) {
            ShowMessage(QStringLiteral("rtmp流名称校验失败，开始直播失败。"));
        }
    } else if (command == "StopStreamBc") {
        SetDevStatus(QStringLiteral("设备正常"), kStyleNormal);
        if (!visible)
            return;
        if (OnDevicePage()) {
            if (!pushing)
                emit sgExtPushStart(false, QString());
            else
                log->Log(LOG_WARN, func, "extpush status is start. drop %s", command.toUtf8().constData());
        }
        if (code != "0")
            ShowMessage(QStringLiteral("停止推流。") + message);
        else
            ShowToast(m_curDevId + QStringLiteral(" 停止推流。"));
    } else if (command == "SendMessage") {
        if (!visible)
            return;
        if (code == "0")
            ShowMessage(m_curDevId + message);
        else if (code == "1")
            ShowToast(m_curDevId + message);
    }
}

void ExtPushWidget::closeEvent(QCloseEvent* event) { QWidget::closeEvent(event); }

void ExtPushWidget::paintEvent(QPaintEvent*)
{
    QStyleOption opt;
    opt.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &painter, this);
}

void ExtPushWidget::resizeEvent(QResizeEvent* event)
{
    SetRoundedMask(this, kCornerRadius);
    QWidget::resizeEvent(event);
}
