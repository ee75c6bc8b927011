#include "courseware/DocWidget.h"
#include "ui_DocWidget.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "app/WorkerLifetime.h"
#include "courseware/DocFilePage.h"
#include "courseware/DocGroupNetPage.h"
#include "courseware/DocMyNetPage.h"
#include "courseware/DocPageShared.h"
#include "courseware/NetFileInfo.h"
#include "widgets/MsgBox.h"
#include "widgets/RoundedMask.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

#include <algorithm>

namespace {

constexpr int kLoginVarGroup = 4;
constexpr qreal kMaskRadius = 4.0;

// The document's extension: its own field, else the name after the last "."
// (the whole name when it has none).
QString extensionOf(const WBDocInfo& doc)
{
    if (!doc.extName.empty())
        return QString::fromStdString(doc.extName);
    const QString name = QString::fromStdString(doc.fileName);
    return name.mid(name.lastIndexOf('.') + 1);
}

}  // namespace

DocWidget::DocWidget(QWidget* parent) : QDialog(parent), ui(new Ui::DocWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    connect(ui->closeBtn, &QPushButton::clicked, this, &QWidget::hide);
    connect(ui->docMyNetPage, &DocMyNetPage::sgSelectNetFile, this, &DocWidget::onDoSelectNetFile);
    connect(ui->docGroupNetPage, &DocGroupNetPage::sgSelectNetFile, this, &DocWidget::onDoSelectNetFile);
    connect(ui->docFilePage, &DocFilePage::sgOpenDocFile, this, &DocWidget::openDocRequested);
    on_btnDoc_clicked();
}

DocWidget::~DocWidget()
{
    delete ui;
}

DocFilePage* DocWidget::FilePage() const { return ui->docFilePage; }
DocMyNetPage* DocWidget::MyNetPage() const { return ui->docMyNetPage; }
DocGroupNetPage* DocWidget::GroupNetPage() const { return ui->docGroupNetPage; }

void DocWidget::SelectTab(int index)
{
    QFrame* lines[] = {ui->lineTab1, ui->lineTab2, ui->lineTab3};
    for (int i = 0; i < 3; ++i)
        lines[i]->setStyleSheet(i == index ? "border-top: 1px;background-color: #5DC0BA;"
                                           : "border-top: 1px;background-color: #FFFFFF;");
    ui->stackedWidget->setCurrentIndex(index);
}

void DocWidget::on_btnDoc_clicked() { SelectTab(0); }
void DocWidget::on_btnMyNet_clicked() { SelectTab(1); }
void DocWidget::on_btnGroupNet_clicked() { SelectTab(2); }

void DocWidget::Clear()
{
    m_docList.clear();
    m_pendingFileNames.clear();
    ui->docFilePage->Clear();
    ui->docMyNetPage->Clear();
    ui->docGroupNetPage->Clear();
}

void DocWidget::InitPages()
{
    ui->docFilePage->Init();
    ui->docMyNetPage->Init();
    ui->docGroupNetPage->Init();
}

void DocWidget::TimerUpdate(int tick)
{
    ui->docMyNetPage->TimerUpdate(tick);  // the room page and the group page take no tick
    if (!isVisible())
        docpage::SetWaiting(false);
}

bool DocWidget::FindDoc(const std::string& docId, WBDocInfo* doc) const
{
    const auto it = std::find(m_docList.begin(), m_docList.end(), WBDocInfo(docId));
    if (it == m_docList.end())
        return false;
    *doc = *it;
    return true;
}

void DocWidget::onOpenDocFile(WBDocInfo doc)
{
    const QString ext = extensionOf(doc);
    const QString docId = QString::fromStdString(doc.docId);
    if (doc.docType == "media") {
        bool ok = false;
        const qint64 secs = QString::fromStdString(doc.duration).toLongLong(&ok);
        const QVariantMap cmd{{"docid", docId},
                              {"ts", 0},
                              {"totalTs", (ok ? secs : 0) * 1000},
                              {"fileName", QString::fromStdString(doc.fileName)},
                              {"type", ext == "mp3" ? "audio" : "video"},
                              {"cmd", "open"}};
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->OpenDocCmd(docId, cmd);
    } else if (QStringList{"png", "jpg", "jpeg", "bmp"}.contains(ext, Qt::CaseInsensitive)) {
        const QString url = QString::fromStdString(doc.pageUrl).replace("xxxx", "0001");
        std::string cached;
        if (url.isEmpty()) {
            Logger::instance()->Log(LOG_WARN, "DocWidget::onOpenDocFile", "add image url null docid %s",
                                    doc.docId.c_str());
        } else if (DownThread::HasCacheFile(url.toStdString(), cached)) {
            addWBImage(url, QString::fromStdString(cached));
        } else {
            WorkerLifetime::Start(new DownThread(url.toStdString(), 0, true), this, &DocWidget::onDownFinish);
        }
    } else if (CWhiteBoardLib* wb = Room::instance()->GetWBLib()) {
        wb->OpenDocPages(docId, QString("%1").arg(1, 4, 10, QChar('0')));
    }
    hide();
}

void DocWidget::addWBImage(QString url, QString localFile)
{
    if (localFile.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "DocWidget::addWBImage", "add image url %s down failed",
                                url.toUtf8().constData());
        return;
    }
    const QPixmap picture = DownThread::GetLoadPixmap(url.toStdString());
    if (picture.isNull()) {
        Logger::instance()->Log(LOG_WARN, "DocWidget::addWBImage", "add image url %s load pixmap failed",
                                url.toUtf8().constData());
        return;
    }
    if (CWhiteBoardLib* wb = Room::instance()->GetWBLib())
        wb->InsertObject(WBObject_Picture, url, QVariantMap{{"width", picture.width()}, {"height", picture.height()}});
}

void DocWidget::onDownFinish(DownThread* down)
{
    addWBImage(down->GetUrl(), down->GetLocalFile());
}

void DocWidget::onDoSelectNetFile(QVariant v)
{
    docpage::SetWaiting(true);
    const QVariantMap m = v.toMap();
    const QString guid = m.value("guid").toString();
    WBDocInfo doc;
    if (FindDoc(guid.toStdString(), &doc)) {
        onOpenDocFile(doc);
        return;
    }
    CData* data = CData::instance();
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->OpenNetFile(guid, data->GetLoginVar().value(kLoginVarGroup), m.value("cloudType").toString(),
                         data->GetStatusText(kStatusToken), m.value("name").toString());
}

void DocWidget::openDocRequested(QVariant v)
{
    WBDocInfo doc;
    if (FindDoc(v.toMap().value("docid").toString().toStdString(), &doc))
        onOpenDocFile(doc);
}

void DocWidget::SetDocList(std::vector<WBDocInfo> docs)
{
    m_docList = docs;
    ui->docFilePage->SetDocList(docs);
    if (m_pendingFileNames.empty())
        return;
    for (const WBDocInfo& doc : docs) {
        const QString name = QString::fromStdString(doc.fileName);
        if (std::find(m_pendingFileNames.begin(), m_pendingFileNames.end(), name) != m_pendingFileNames.end()) {
            m_pendingFileNames.clear();
            onOpenDocFile(doc);
            return;
        }
    }
}

void DocWidget::onUserHttpCmd(int type, QVariant data)
{
    const QVariantMap m = data.toMap();
    const QVariantMap userData = m.value("user_data").toMap();
    const bool teacher = userData.value("userType").toString() == g_strTeacher;
    switch (type) {
    case RsC_Http_NetFolderList:
        if (teacher)
            ui->docMyNetPage->onUserHttpCmd(type, data);
        else
            ui->docGroupNetPage->onUserHttpCmd(type, data);
        docpage::SetWaiting(false);
        break;
    case RsC_Http_OpenNetFile: {
        const QString fileName = userData.value("fileName").toString();
        const int code = m.value("code").toInt();
        if (code == 0) {
            m_pendingFileNames.push_back(fileName);
            break;
        }
        docpage::SetWaiting(false);
        const QString text = teacher ? tr("选择云盘文件失败！%1 %2 (code=%3)") : tr("选择课件文件失败！%1 %2 (code=%3)");
        auto* box = new MsgBox(parentWidget(), true, 0);
        box->SetMsgText(text.arg(fileName, m.value("errMsg").toString()).arg(code), QString());
        box->SetButtonText(false, tr("确定"), tr("取消"));
        box->ShowMsg();
        break;
    }
    case RsC_Http_NetDocStatus:
        if (teacher)
            ui->docMyNetPage->onUserHttpCmd(type, data);
        else
            ui->docFilePage->onUserHttpCmd(type, data);
        break;
    case RsC_Http_NetAddr:
        Logger::instance()->Log(LOG_INFO, "DocWidget::onUserHttpCmd", "addr %s %s",
                                m.value("addr").toString().toUtf8().constData(),
                                m.value("token").toString().toUtf8().constData());
        break;
    default:
        ui->docMyNetPage->onUserHttpCmd(type, data);
        break;
    }
}

void DocWidget::resizeEvent(QResizeEvent* e)
{
    SetRoundedMask(this, kMaskRadius);
    QDialog::resizeEvent(e);
}

void DocWidget::showEvent(QShowEvent* e)
{
    ui->docGroupNetPage->RefreshDir();
    docpage::SetWaiting(false);
    QDialog::showEvent(e);
}

void DocWidget::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    docpage::SetWaiting(false);
}

void DocWidget::paintEvent(QPaintEvent*)
{
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}
