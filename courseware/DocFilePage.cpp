#include "courseware/DocFilePage.h"
#include "ui_DocFilePage.h"

#include "app/PubUtils.h"
#include "app/Room.h"
#include "app/UploadDoc.h"
#include "app/WorkerLifetime.h"
#include "courseware/DocFileItem.h"
#include "courseware/DocPageShared.h"
#include "widgets/MsgBox.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// Seconds after which the success box closes by itself.
constexpr int kSuccessBoxSeconds = 3;

}  // namespace

DocFilePage::DocFilePage(QWidget* parent) : QWidget(parent), ui(new Ui::DocFilePage)
{
    ui->setupUi(this);
    docpage::SetUpList(ui->listWidget);
    connect(ui->listWidget, &QListWidget::itemDoubleClicked, this, &DocFilePage::onItemPressed);
}

DocFilePage::~DocFilePage()
{
    delete ui;
}

QFileDialog* DocFilePage::FileDialog() { return docpage::FileDialog(this, m_fileDialog, "*.ppt *.pptx *.doc *.docx *.pdf *.png *.jpg *.jpeg"); }

void DocFilePage::Init()
{
    m_uploadRow = nullptr;
    ui->btnUploadDoc->setEnabled(true);
    ui->listWidget->setCurrentItem(nullptr);
    ui->listWidget->clear();
}

void DocFilePage::Clear()
{
    ui->listWidget->setCurrentItem(nullptr);
    ui->listWidget->clear();
    m_uploadRow = nullptr;  // went with the list
}

void DocFilePage::SetDocList(std::vector<WBDocInfo> docs)
{
    QString uploaded;
    bool hadUpload = false;
    if (m_uploadRow) {
        uploaded = QString::fromStdString(m_uploadRow->GetDocInfo().fileName);
        hadUpload = true;
        m_uploadRow = nullptr;
    }
    docpage::HeldDeleteQuestion question(ui->listWidget);
    ui->listWidget->setCurrentItem(nullptr);
    ui->listWidget->clear();
    for (const WBDocInfo& doc : docs) {
        WBDocInfo shown = doc;
        bool ok = false;
        const qint64 secs = QString::fromStdString(doc.createTime).toLongLong(&ok);
        shown.createTime = QDateTime::fromSecsSinceEpoch(ok ? secs : 0)
                               .toLocalTime()
                               .toString("yyyy-MM-dd hh:mm:ss")
                               .toStdString();
        auto* item = new QListWidgetItem(ui->listWidget);
        auto* row = new DocFileItem();
        connect(row, &DocFileItem::sgItemCmd, this, &DocFilePage::onUpItemCmd);
        item->setSizeHint(QSize(0, row->height()));
        row->InitUI(shown);
        ui->listWidget->setItemWidget(item, row);
        question.Offer(row);
        // The document just uploaded opens as soon as the room lists it.
        if (hadUpload && QString::fromStdString(doc.fileName) == uploaded)
            onItemPressed(item);
    }
}

void DocFilePage::onUserHttpCmd(int, QVariant)
{
    // No result changes the room's list: it follows the whiteboard library.
}

void DocFilePage::onItemPressed(QListWidgetItem* item)
{
    auto* row = item ? qobject_cast<DocFileItem*>(ui->listWidget->itemWidget(item)) : nullptr;
    if (!row || row == m_uploadRow)
        return;
    emit sgOpenDocFile(QVariantMap{{"docid", QString::fromStdString(row->GetDocInfo().docId)}});
}

void DocFilePage::ShowDocTypeMenu()
{
    docpage::Show(this, ui->btnShowDocType2);
}

void DocFilePage::on_btnShowDocType_clicked()
{
    ShowDocTypeMenu();
}

void DocFilePage::on_btnShowDocType2_clicked()
{
    ShowDocTypeMenu();
}

QString DocFilePage::RefusalOf(const QString& path)
{
    return docpage::RefusalOf(path, kMaxUploadBytes, tr("文件不能大于30MB, 请重新选择！"));
}

void DocFilePage::RefuseFile(const QString& text)
{
    docpage::ShowRefusal(this, text);
}

void DocFilePage::StartUpload(const QString& path)
{
    ui->btnUploadDoc->setEnabled(false);
    const QVariantMap params{{"filePath", path},
                             {"fileName", QFileInfo(path).fileName()},
                             {"parent", "0"},
                             {"puuid", "0"}};
    auto* job = new UploadDoc(UploadDoc::RoomDoc, path, params);
    connect(job, &UploadDoc::UpProgress, this, &DocFilePage::UpProgress);
    WorkerLifetime::Start(job, this, &DocFilePage::finish);
}

void DocFilePage::on_btnUploadDoc_clicked()
{
    if (FileDialog()->exec() != QDialog::Accepted || FileDialog()->selectedFiles().isEmpty())
        return;
    const QString path = FileDialog()->selectedFiles().first();
    const QString refusal = RefusalOf(path);
    if (!refusal.isEmpty()) {
        RefuseFile(refusal);
        return;
    }
    StartUpload(path);
    m_uploadPath = path;

    WBDocInfo placeholder{std::string()};
    placeholder.fileName = QFileInfo(path).fileName().toStdString();
    placeholder.fileSize = std::to_string(QFileInfo(path).size());
    placeholder.createTime = "-";
    auto* item = new QListWidgetItem(ui->listWidget);
    m_uploadRow = new DocFileItem();
    connect(m_uploadRow, &DocFileItem::sgItemCmd, this, &DocFilePage::onUpItemCmd);
    m_uploadRow->InitUI(placeholder);
    m_uploadRow->ShowTip(tr("上传课件中"), false);
    item->setSizeHint(QSize(0, DocFileItem::kTipRowHeight));
    ui->listWidget->setItemWidget(item, m_uploadRow);
}

void DocFilePage::UpProgress(UploadDoc*, double, double)
{
    // The upload's progress is not shown.
}

void DocFilePage::finish(UploadDoc* job)
{
    ui->btnUploadDoc->setEnabled(true);
    const QVariantMap result = job->GetResult().toMap();
    const QString docId = result.value("docid").toString();
    if (result.value("exist").toLongLong() != 0) {
        // The server already held the file: open it when the room lists it.
        if (!docId.isEmpty()) {
            for (int i = 0; i < ui->listWidget->count(); ++i) {
                auto* row = qobject_cast<DocFileItem*>(ui->listWidget->itemWidget(ui->listWidget->item(i)));
                if (!row || row == m_uploadRow || QString::fromStdString(row->GetDocInfo().docId) != docId)
                    continue;
                if (m_uploadRow)
                    RemoveRow(m_uploadRow);
                m_uploadRow = nullptr;
                emit sgOpenDocFile(QVariantMap{{"docid", docId}});
                break;
            }
        }
        return;
    }
    MsgBox* box = nullptr;
    if (job->IsSuccess()) {
        if (m_uploadRow)
            m_uploadRow->ShowTip(tr("课件转换中!"), false);
        box = new MsgBox(parentWidget(), true, kSuccessBoxSeconds);
        box->SetMsgText(tr("上传文档成功!"), QString());
    } else {
        box = new MsgBox(parentWidget(), true, 0);
        box->SetMsgText(job->GetErrMsg(), tr("上传文档失败，请重新上传试试!"));
        if (m_uploadRow)
            m_uploadRow->ShowTip(tr("上传失败，请重新上传"), true);
    }
    box->SetButtonText(false);
    box->ShowMsg();
}

void DocFilePage::RemoveRow(DocFileItem* row)
{
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        QListWidgetItem* item = ui->listWidget->item(i);
        if (ui->listWidget->itemWidget(item) == row) {
            delete ui->listWidget->takeItem(i);  // the row goes with its item
            return;
        }
    }
}

void DocFilePage::onUpItemCmd(int cmd)
{
    auto* row = qobject_cast<DocFileItem*>(sender());
    if (!row)
        return;
    switch (cmd) {
    case DocFileItem::CmdRetry: {
        if (row != m_uploadRow)
            return;
        // The row's own file again, with its parameters, held to the same
        // limits as at the first try (it may have changed since).
        const QString path = m_uploadPath;
        const QString refusal = RefusalOf(path);
        if (!refusal.isEmpty()) {
            RefuseFile(refusal);
            row->ShowTip(tr("上传失败，请重新上传"), true);  // still retryable
            return;
        }
        row->ShowTip(tr("上传课件中"), false);
        StartUpload(path);
        break;
    }
    case DocFileItem::CmdClose:
        if (row != m_uploadRow)
            return;
        RemoveRow(row);
        m_uploadRow = nullptr;
        break;
    case DocFileItem::CmdDelete: {
        const QString docId = QString::fromStdString(row->GetDocInfo().docId);
        if (CWhiteBoardLib* wb = Room::instance()->GetWBLib())
            wb->DeleteDoc(docId);
        if (row == m_uploadRow)
            m_uploadRow = nullptr;
        RemoveRow(row);
        break;
    }
    default:
        break;
    }
}
