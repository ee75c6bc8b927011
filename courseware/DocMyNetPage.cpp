#include "courseware/DocMyNetPage.h"
#include "ui_DocMyNetPage.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "app/UploadDoc.h"
#include "app/WorkerLifetime.h"
#include "courseware/DocFileItem.h"
#include "courseware/DocPageShared.h"
#include "courseware/NetDirCtrl.h"
#include "widgets/MsgBox.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

constexpr int kSuccessBoxSeconds = 3;
constexpr int kConvertedDoc = 1;

}  // namespace

DocMyNetPage::DocMyNetPage(QWidget* parent)
    : DocNetPage(Disk{g_strTeacher, "1", true, "*.ppt *.pptx *.doc *.docx *.pdf *.png *.jpg *.jpeg", "DocMyNetPage"},
                 parent),
      ui(new Ui::DocMyNetPage)
{
    ui->setupUi(this);
    Bind(ui->listWidget, ui->DirWdg, ui->btnUploadDoc, ui->btnShowDocType2);
}

DocMyNetPage::~DocMyNetPage()
{
    delete ui;
}

void DocMyNetPage::ListCurrentDir() { ListDir(CurDirUuid()); }

void DocMyNetPage::ShowFailure(const QString& text, const QVariantMap& result)
{
    auto* box = new MsgBox(parentWidget(), true, 0);
    box->SetMsgText(text.arg(result.value("errMsg").toString()).arg(result.value("code").toInt()), QString());
    box->SetButtonText(false, tr("确定"), tr("取消"));
    box->ShowMsg();
}

void DocMyNetPage::onUserHttpCmd(int code, QVariant result)
{
    const QVariantMap r = result.toMap();
    const bool ok = r.value("code").toInt() == 0;
    switch (code) {
    case RsC_Http_NetFolderList:
        TakeListing(r);
        return;
    case RsC_Http_NetRename:
        ok ? ListCurrentDir() : ShowFailure(tr("重命名失败！%1 (code=%2)"), r);
        return;
    case RsC_Http_NetDelete:
        ok ? ListCurrentDir() : ShowFailure(tr("删除云盘文件失败！%1 (code=%2)"), r);
        return;
    case RsC_Http_NetMakeDir:
        ok ? ListCurrentDir() : ShowFailure(tr("创建云盘目录失败！%1 (code=%2)"), r);
        return;
    case RsC_Http_NetAddFile:
        if (ok)
            ListCurrentDir();
        return;
    case RsC_Http_NetDocStatus:
        if (ok && r.value("status").toInt() == 1)
            ListCurrentDir();
        return;
    default:
        return;
    }
}

void DocMyNetPage::on_btnMakeDir_clicked()
{
    NetFileInfo e{std::string()};
    e.name = tr("新建目录").toStdString();
    auto* item = new QListWidgetItem(ui->listWidget);
    DocFileItem* row = NewRow();
    row->InitNetFile(e, true);
    row->BeginNewDir();
    item->setSizeHint(QSize(0, row->height()));
    ui->listWidget->setItemWidget(item, row);
    ui->listWidget->scrollToItem(item);
}

void DocMyNetPage::RemoveRow(DocFileItem* row)
{
    for (int i = 0; i < ui->listWidget->count(); ++i)
        if (ui->listWidget->itemWidget(ui->listWidget->item(i)) == row) {
            delete ui->listWidget->takeItem(i);  // the row is released with its item
            return;
        }
}

void DocMyNetPage::onUpItemCmd(int cmd)
{
    auto* row = qobject_cast<DocFileItem*>(sender());
    if (!row)
        return;
    const NetFileInfo e = row->GetNetFile();
    ClientLib* lib = Room::instance()->GetClientLib();
    switch (cmd) {
    case DocFileItem::CmdDelete:
        if (row->GetMode() == DocFileItem::ModeNewDir) {
            RemoveRow(row);
        } else if (row->GetMode() == DocFileItem::ModeNetEdit && lib) {
            for (int i = 0; i < ui->listWidget->count(); ++i)
                if (ui->listWidget->itemWidget(ui->listWidget->item(i)) == row) {
                    lib->DeleteNetFile(g_strTeacher, QString::fromStdString(e.uuid), GroupId());
                    break;
                }
        }
        return;
    case DocFileItem::CmdNewDir:
        if (row->GetMode() != DocFileItem::ModeNewDir)
            return;
        if (e.name.empty())
            RemoveRow(row);
        else if (lib)
            lib->MakeNetDir(g_strTeacher, CurDirUuid(), QString::fromStdString(e.name), GroupId());
        return;
    case DocFileItem::CmdRename:
        if (!e.name.empty() && lib)
            lib->RenameNetFile(g_strTeacher, QString::fromStdString(e.uuid),
                               QString::fromStdString(UrlEncode(e.name)), GroupId());
        return;
    default:
        return;  // retry and close: this page shows no upload row
    }
}

void DocMyNetPage::TimerUpdate(int tick)
{
    if (tick % kPollEveryTicks != 0)
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        auto* row = qobject_cast<DocFileItem*>(ui->listWidget->itemWidget(ui->listWidget->item(i)));
        if (!row)
            continue;
        const NetFileInfo e = row->GetNetFile();
        if (!e.create_time.empty()) {
            const QDateTime made =
                QDateTime::fromString(QString::fromStdString(e.create_time), "yyyy-MM-dd hh:mm:ss");
            if (now - made.toSecsSinceEpoch() > kPollMaxAgeSecs)
                continue;
        }
        if (e.file_type == kConvertedDoc && e.file_url.empty())
            if (ClientLib* lib = Room::instance()->GetClientLib())
                lib->GetNetDocStatus(QVariantMap{
                    {"groupid", GroupId()}, {"userType", g_strTeacher}, {"docid", QString::fromStdString(e.guid)}});
    }
}

void DocMyNetPage::on_btnUploadDoc_clicked()
{
    const QString path = ChooseUpload(kMaxUploadBytes, tr("文件不能大于30MB, 请重新选择！"));
    if (path.isEmpty())
        return;
    ui->btnUploadDoc->setEnabled(false);
    const QString cur = CurDirUuid();
    const QVariantMap params{{"filePath", path},
                             {"fileName", QFileInfo(path).fileName()},
                             {"parent", cur},
                             {"puuid", cur}};
    auto* job = new UploadDoc(UploadDoc::CloudDoc, path, params);
    connect(job, &UploadDoc::UpProgress, this, &DocMyNetPage::UpProgress);
    WorkerLifetime::Start(job, this, &DocMyNetPage::finish);
}

void DocMyNetPage::UpProgress(UploadDoc*, double, double)
{
    // No progress is shown.
}

void DocMyNetPage::finish(UploadDoc* job)
{
    ui->btnUploadDoc->setEnabled(true);
    QVariantMap result = job->GetResult().toMap();
    const QString parent = result.value("parent").toString();
    MsgBox* box = nullptr;
    if (job->IsSuccess()) {
        result["parentid"] = parent;
        result["groupid"] = GroupId();
        result["userType"] = g_strTeacher;
        result["filetype"] = 1;
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->AddNetFile(result);
        box = new MsgBox(parentWidget(), true, kSuccessBoxSeconds);
        box->SetMsgText(tr("上传云盘成功!"), QString());
    } else {
        box = new MsgBox(parentWidget(), true, 0);
        box->SetMsgText(job->GetErrMsg(), tr("上传云盘失败，请重新上传试试!"));
    }
    box->ShowMsg();
}
