// The broadcast settings window: publishing over RTMP and local recording.
#include "media/OBSSettingWindow.h"

#include "ui_OBSSettingWindow.h"

#include "media/CBroadcastEngine.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Results reported to the client library for the cloud recording.
enum RecordResult {
    kResultWindowMissing = 101,
    kResultPublished = 102,
    kResultStopped = 103,
    kResultFailed = 104,
};
// Live mode in which the whole desktop is captured.
constexpr int kDesktopLiveMode = 3;
const char* const kCloudRecordKeyPrefix = "liveRecord";

struct ButtonTexts {
    const char* publish;
    const char* record;
};
// By publish / record state.
const ButtonTexts kButtonTexts[] = {
    {"开始推流", "开始录制"},
    {"开始推流...", "开始录制..."},
    {"停止推流", "停止录制"},
    {"停止推流...", "停止录制..."},
};

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

}  // namespace

QString OBSSettingWindow::stopCodeText(int code)
{
    switch (code) {
    case Broadcast::kStopBadUrl:
        return QStringLiteral("无效的推流地址或URL。");
    case Broadcast::kStopConnectFailed:
        return QStringLiteral("无法连接到媒体服务器。");
    case Broadcast::kStopRefused:
        return QStringLiteral("无法访问指定的频道或串流密钥。或可能是连接到媒体服务器时出现问题。");
    case Broadcast::kStopError:
        return QStringLiteral("试图连接到媒体服务器时出现意外的错误。");
    case Broadcast::kStopDisconnected:
        return QStringLiteral("已从媒体服务器断开。");
    default:
        return QString();
    }
}

QString OBSSettingWindow::GetServerAddress() const
{
    return ui->addressLineEdit->text() + "/";
}

QString OBSSettingWindow::GetStreamKey() const
{
    return ui->keyLineEdit->text();
}

void OBSSettingWindow::SetPushAddress(QString url, QString key)
{
    if (url.endsWith('/'))
        url.chop(1);
    ui->addressLineEdit->setText(url);
    ui->keyLineEdit->setText(key);
}

bool OBSSettingWindow::IsWorking()
{
    return m_publishState == kRunning;
}

bool OBSSettingWindow::IsMP4Recording()
{
    return m_recordState == kRunning;
}

bool OBSSettingWindow::preparePushAddress(bool reportMissingWindow)
{
    CData* data = CData::instance();
    const QString url = data->IsRecording() ? data->GetDeskTopPushUrl() : data->GetPushUrl();
    SetPushAddress(url, data->GetStreamName(data->IsRecording()));
    if (data->GetLiveMode() == kDesktopLiveMode) {
        SetWorkType(kTypeDesktop);
        return true;
    }
    SetWorkType(kTypeAppWindow);
    if (reportMissingWindow && m_captureWndIndex == -1) {
        data->SetRecording(false);
        reportRecordResult(kResultWindowMissing, QStringLiteral("录制窗口失败，开启录制失败"));
        showWindowMissingBox(m_startWorkWindowBox, true);
        return false;
    }
    return true;
}

bool OBSSettingWindow::StartWork()
{
    if (m_publishState != kIdle) {
        LOG_WARN_F("OBSSettingWindow::StartWork", "obswork rtmp stream already start");
        return false;
    }
    if (!preparePushAddress(true))
        return false;
    const QString address = ui->addressLineEdit->text();
    const QString key = ui->keyLineEdit->text();
    if (address.isEmpty() || key.isEmpty())
        return false;
    m_publishState = kStarting;
    if (CData::instance()->IsRecording()) {
        m_notifyRecord = true;
        recordNotifyFailed = !setRecordState(key, 1);
        Room::instance()->ReportRecord(true, key);
    }
    LOG_INFO_F("OBSSettingWindow::StartWork", "obswork rtmp stream start. notifyrec %d %s/%s", int(m_notifyRecord),
               utf8(address).constData(), utf8(key).constData());
    if (IBroadcastEngine* engine = CBroadcastEngine::getEngine())
        engine->StartStreaming(utf8(address).constData(), utf8(key).constData());
    updatePublishButton();
    return true;
}

void OBSSettingWindow::slotOnStartPublishSuccess()
{
    m_publishState = kRunning;
    updatePublishButton();
    if (!CData::instance()->IsRecording())
        return;
    if (m_curSourceType == kTypeAppWindow && m_captureWndIndex == -1) {
        reportRecordResult(kResultWindowMissing, QStringLiteral("录制窗口失败，开启录制失败"));
        showWindowMissingBox(m_publishedWindowBox, true);
    } else {
        Toast::ShowToast(QStringLiteral("已开启云端录制"), m_mainWindow, 3000);
        reportRecordResult(kResultPublished, QStringLiteral("录制推流成功"));
    }
}

bool OBSSettingWindow::StopWork()
{
    if (m_publishState != kRunning) {
        LOG_WARN_F("OBSSettingWindow::StopWork", "obswork not rtmp stream");
        return false;
    }
    LOG_INFO_F("OBSSettingWindow::StopWork", "obswork rtmp stream stop");
    m_publishState = kStopping;
    if (IBroadcastEngine* engine = CBroadcastEngine::getEngine())
        engine->StopStreaming(0);
    updatePublishButton();
    SetWorkType(kTypeArea);
    return true;
}

void OBSSettingWindow::on_startPublishBtn_clicked()
{
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    if (m_publishState == kRunning) {
        LOG_INFO_F("OBSSettingWindow::on_startPublishBtn_clicked", "rtmp recorder stop %s",
                   utf8(ui->keyLineEdit->text()).constData());
        m_publishState = kStopping;
        if (engine)
            engine->StopStreaming(0);
        updatePublishButton();
    } else if (m_publishState == kIdle) {
        preparePushAddress(false);
        const QString address = ui->addressLineEdit->text();
        const QString key = ui->keyLineEdit->text();
        if (address.isEmpty() || key.isEmpty())
            return;
        m_publishState = kStarting;
        if (engine)
            engine->StartStreaming(utf8(address).constData(), utf8(key).constData());
        updatePublishButton();
    }
}

void OBSSettingWindow::slotOnStopPublishFinished(int code, QString)
{
    QString message = QStringLiteral("录制停止推流");
    int result = kResultStopped;
    // Only the codes with a failure text are failures; any other code is
    // a normal stop.
    const QString reason = stopCodeText(code);
    if (code != Broadcast::kStopOk && !reason.isEmpty()) {
        LOG_WARN_F("OBSSettingWindow::slotOnStopPublishFinished", "obs rtmp stream failed code %d %s", code,
                   utf8(reason).constData());
        message = QStringLiteral("录制失败停止推流，%1 code=%2").arg(reason).arg(code);
        result = kResultFailed;
    }
    const QString key = ui->keyLineEdit->text();
    LOG_INFO_F("OBSSettingWindow::slotOnStopPublishFinished", "obs rtmp stream stop. code %d notifyrec %d name %s",
               code, int(m_notifyRecord), utf8(key).constData());
    if (key.startsWith(QLatin1String(kCloudRecordKeyPrefix)))
        reportRecordResult(result, message);
    if (m_notifyRecord) {
        m_notifyRecord = false;
        recordNotifyFailed = false;
        setRecordState(key, 0);
        Room::instance()->ReportRecord(false, key);
    }
    m_publishState = kIdle;
    updatePublishButton();
    emit sgStopFinish(code);
}

void OBSSettingWindow::retryRecordNotify()
{
    if (!recordNotifyFailed)
        return;
    const QString key = ui->keyLineEdit->text();
    if (CData::instance()->IsRecording() && !key.isEmpty())
        recordNotifyFailed = !setRecordState(key, 1);
}

void OBSSettingWindow::startRecording()
{
    // The preset folder is the program's own and is made on first use; a
    // folder the teacher typed or chose must exist already.
    const QString folder = ui->recordSavePath->text();
    if (QDir::cleanPath(QDir::fromNativeSeparators(folder)) == QDir::cleanPath(defaultRecordFolder()) &&
        !QDir().mkpath(defaultRecordFolder()))
        LOG_WARN_F("OBSSettingWindow::startRecording", "cannot make the record folder %s", utf8(folder).constData());
    if (IBroadcastEngine* engine = CBroadcastEngine::getEngine()) {
        engine->SetRecordPath(utf8(folder).constData());
        engine->SetRecordFormat(utf8(ui->recordFormatCombox->currentText()).constData());
        engine->StartRecording();
    }
    m_recordState = kStarting;
    updateRecordButton();
}

bool OBSSettingWindow::StartRecord(QString path)
{
    if (m_recordState != kIdle) {
        LOG_WARN_F("OBSSettingWindow::StartRecord", "obswork local recorder already start %d", m_recordState);
        return false;
    }
    if (path.isEmpty())
        path = ui->recordSavePath->text();
    else
        ui->recordSavePath->setText(path);
    LOG_INFO_F("OBSSettingWindow::StartRecord", "obswork local recorder start %s", utf8(path).constData());
    SetWorkType(CData::instance()->GetLiveMode() == kDesktopLiveMode ? kTypeDesktop : kTypeAppWindow);
    startRecording();
    return true;
}

bool OBSSettingWindow::StopRecord()
{
    if (m_recordState == kIdle) {
        LOG_INFO_F("OBSSettingWindow::StopRecord", "obswork local recorder already stop");
        return true;
    }
    if (m_recordState != kRunning) {
        LOG_WARN_F("OBSSettingWindow::StopRecord", "obswork local recorder already stop %d", m_recordState);
        return false;
    }
    m_recordState = kStopping;
    updateRecordButton();
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    if (engine)
        engine->StopRecording();
    SetWorkType(kTypeArea);
    LOG_INFO_F("OBSSettingWindow::StopRecord", "obswork local recorder stop %s",
               engine ? engine->GetRecordPath().c_str() : "");
    return true;
}

void OBSSettingWindow::on_startRecordBtn_clicked()
{
    if (m_recordState == kIdle && !ui->recordSavePath->text().isEmpty()) {
        startRecording();
    } else if (m_recordState == kRunning) {
        m_recordState = kStopping;
        updateRecordButton();
        if (IBroadcastEngine* engine = CBroadcastEngine::getEngine())
            engine->StopRecording();
    }
}

void OBSSettingWindow::slotStartRecordSuccess()
{
    m_recordState = kRunning;
    updateRecordButton();
}

void OBSSettingWindow::slotStopRecordFinished(int code, QString msg)
{
    if (code != Broadcast::kStopOk && !msg.isEmpty())
        QMessageBox::warning(this, QStringLiteral("录制失败"), msg, QMessageBox::Ok);
    m_recordState = kIdle;
    updateRecordButton();
}

void OBSSettingWindow::on_browserBtn_clicked()
{
    QFileDialog dialog(this, QStringLiteral("选择视频保存目录"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString folder = dialog.selectedFiles().first();
    ui->recordSavePath->setText(folder);
    LOG_INFO_F("OBSSettingWindow::on_browserBtn_clicked", "local recorder path %s", utf8(folder).constData());
}

void OBSSettingWindow::updatePublishButton()
{
    ui->startPublishBtn->setText(QString::fromUtf8(kButtonTexts[m_publishState].publish));
    applyButtonState(ui->startPublishBtn, m_publishState);
}

void OBSSettingWindow::updateRecordButton()
{
    ui->startRecordBtn->setText(QString::fromUtf8(kButtonTexts[m_recordState].record));
    applyButtonState(ui->startRecordBtn, m_recordState);
}

void OBSSettingWindow::applyButtonState(QPushButton* button, int state)
{
    // While a publish or a recording starts or stops, the main window's
    // recorder and desktop buttons wait with this one.
    const bool enabled = state == kIdle || state == kRunning;
    button->setEnabled(enabled);
    for (QPushButton* mainButton : {m_btnRecorder.data(), m_btnDesk.data()})
        if (mainButton)
            mainButton->setEnabled(enabled);
}
