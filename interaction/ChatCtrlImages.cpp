// The chat panel's picture messages: received pictures from the download
// cache or a download, the preview of every chat picture, and a captured
// screen area sent as an uploaded picture.
#include "interaction/ChatCtrl.h"

#include "ClientLib.h"
#include "app/DownThread.h"
#include "app/Room.h"
#include "app/UploadFile.h"
#include "app/WorkerLifetime.h"
#include "interaction/ChatMsgItem.h"
#include "widgets/ImageViewer.h"
#include "widgets/MsgBox.h"
#include "widgets/ScreenshotCtrl.h"

void ChatCtrl::AddImageMsg(QSharedPointer<ImageMsgInfo> msg)
{
    if (!msg)
        return;
    std::string path;
    if (DownThread::HasCacheFile(msg->url.toStdString(), path)) {
        msg->status = kImageReady;
        msg->content = msg->localPath = QString::fromStdString(path);
    } else {
        if (!HasDownloadingImage(msg->url)) {
            // Reported after this call also when it ends at once (an empty
            // address): the row exists before its download is reported.
            WorkerLifetime::Start(new DownThread(msg->url.toStdString(), 0, true), this, &ChatCtrl::onDownFinish);
        }
        msg->status = kImageDownloading;
    }
    AddMsg(msg);
}

bool ChatCtrl::HasDownloadingImage(QString url) const
{
    for (ChatMsgItem* row : m_rows) {
        auto image = row->GetMsg().dynamicCast<ImageMsgInfo>();
        if (image && image->url == url && image->status == kImageDownloading)
            return true;
    }
    return false;
}

void ChatCtrl::onDownFinish(DownThread* down)
{
    if (!down)
        return;
    const QString url = down->GetUrl();
    std::string path;
    const int status = DownThread::HasCacheFile(url.toStdString(), path) ? kImageReady : kImageFailed;
    for (ChatMsgItem* row : m_rows) {
        auto image = row->GetMsg().dynamicCast<ImageMsgInfo>();
        if (!image || image->url != url || image->status == status)
            continue;
        image->status = status;
        image->content = image->localPath = QString::fromStdString(path);
        row->UpdateImage();
    }
}

void ChatCtrl::slotOnPreviewImage(QString path)
{
    QStringList list;
    for (ChatMsgItem* row : m_rows) {
        if (row->GetMsg() && row->GetMsg()->msgType == kChatMsgImage)
            list.append(row->GetMsg()->content);
    }
    const int index = list.indexOf(path);
    if (list.isEmpty() || index < 0)
        return;
    m_previewList = list;
    m_previewIndex = index;
    if (!m_viewer)
        m_viewer.reset(new ImageViewer(nullptr));
    m_viewer->SetImageList(m_previewList, m_previewIndex);
    m_viewer->raise();
    m_viewer->show();
}

void ChatCtrl::on_screenshotBtn_clicked()
{
    ScreenshotCtrl capture(nullptr);
    connect(&capture, &ScreenshotCtrl::sigScreenshotFinished, this, &ChatCtrl::onScreenshotFinished,
            Qt::QueuedConnection);
    capture.exec();
}

void ChatCtrl::onScreenshotFinished(QString filePath)
{
    UploadImage(filePath);
    auto msg = QSharedPointer<ImageMsgInfo>::create();
    msg->localPath = filePath;
    msg->status = kImageReady;
    msg->msgType = kChatMsgImage;
    msg->name = "aaa";
    msg->isSelf = true;
    msg->content = filePath;
    AddMsg(msg);
}

void ChatCtrl::UploadImage(QString path)
{
    WorkerLifetime::Start(new UploadFile(QVariantList{1, path}, 0), this, &ChatCtrl::onUpFileFinish);
}

void ChatCtrl::onUpFileFinish(UploadFile* up)
{
    if (!up)
        return;
    const QVariantList results = up->GetResults();
    const QString location = results.size() > 1 ? results.at(1).toString() : QString();
    if (up->IsSuccess() && !location.isEmpty()) {
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->SendChatMsg(location, 2, NowMs() / 1000);
    } else {
        auto* box = new MsgBox(this, true, 0);
        box->SetMsgText(tr("发送图片失败%1").arg(up->GetErrMsg()));
        box->SetButtonText(false, tr("确定"), tr("取消"));
        box->ShowMsg();
    }
}
