#include "courseware/DocGroupNetPage.h"
#include "ui_DocGroupNetPage.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "courseware/DocFileItem.h"
#include "courseware/DocPageShared.h"
#include "courseware/NetDirCtrl.h"

#include <QFileDialog>
#include <QGuiApplication>

namespace {

const char* const kRootUuid = "0";
const char* const kCloudType = "0";
constexpr int kLoginVarGroup = 4;
constexpr int kFolder = 0;

}  // namespace

DocGroupNetPage::DocGroupNetPage(QWidget* parent) : QWidget(parent), ui(new Ui::DocGroupNetPage)
{
    ui->setupUi(this);
    docpage::SetUpList(ui->listWidget);
    m_dirBar = new NetDirCtrl(ui->DirWdg);
    connect(m_dirBar, &NetDirCtrl::sgNetDirCmd, this, &DocGroupNetPage::onNetDirCmd);
    connect(ui->listWidget, &QListWidget::itemDoubleClicked, this, &DocGroupNetPage::onItemPressed);
    ui->UpFileWdg->hide();  // nothing is uploaded to the group's disk from here
}

DocGroupNetPage::~DocGroupNetPage()
{
    delete ui;
}

QFileDialog* DocGroupNetPage::FileDialog() { return docpage::FileDialog(this, m_fileDialog, "*.ppt *.pptx *.doc *.docx *.pdf"); }

QListWidget* DocGroupNetPage::List() const
{
    return ui->listWidget;
}

QString DocGroupNetPage::GroupId() const
{
    return CData::instance()->GetLoginVar().value(kLoginVarGroup);
}

void DocGroupNetPage::Clear()
{
    ui->btnUploadDoc->setEnabled(true);
    ui->listWidget->setCurrentItem(nullptr);
    ui->listWidget->clear();
}

void DocGroupNetPage::Init()
{
    ui->btnUploadDoc->setEnabled(true);
    ui->listWidget->setCurrentItem(nullptr);
    ui->listWidget->clear();
    m_dirBar->Clear();
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->ListNetFolder(g_strGroup, GroupId(), kRootUuid);
    const QString root = tr("全部资料");
    m_dirBar->AddDir(root, QVariantMap{{"uuid", kRootUuid}, {"name", root}}, false);
}

void DocGroupNetPage::RefreshDir()
{
    onNetDirCmd(m_dirBar->GetCurDir());
}

void DocGroupNetPage::onItemPressed(QListWidgetItem* item)
{
    auto* row = item ? qobject_cast<DocFileItem*>(ui->listWidget->itemWidget(item)) : nullptr;
    if (!row)
        return;
    const NetFileInfo e = row->GetNetFile();
    const QString name = QString::fromStdString(e.name);
    if (e.file_type == kFolder) {
        docpage::SetWaiting(true);
        const QString uuid = QString::fromStdString(e.uuid);
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->ListNetFolder(g_strGroup, GroupId(), uuid);
        m_dirBar->AddDir(name, QVariantMap{{"name", name}, {"uuid", uuid}}, true);
        return;
    }
    if (e.file_url.empty())
        return;  // still being converted
    emit sgSelectNetFile(
        QVariantMap{{"guid", QString::fromStdString(e.guid)}, {"cloudType", kCloudType}, {"name", name}});
}

void DocGroupNetPage::onNetDirCmd(QVariant dirObj)
{
    const QVariantMap dir = dirObj.toMap();
    const QString name = dir.value("name").toString();
    const QString uuid = dir.value("uuid").toString();
    Logger::instance()->Log(LOG_INFO, "DocGroupNetPage::onNetDirCmd", "open dir %s, %s", name.toUtf8().constData(),
                            uuid.toUtf8().constData());
    docpage::SetWaiting(true);
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->ListNetFolder(g_strGroup, GroupId(), uuid);
}

void DocGroupNetPage::onUserHttpCmd(int code, QVariant result)
{
    if (code != RsC_Http_NetFolderList)
        return;
    if (docpage::TakeListing(m_dirBar, result.toMap(), "DocGroupNetPage::onUserHttpCmd", &m_entries)) {
        ShowFileList(m_entries);
        m_dirBar->EndLoad(true);
    }
}

void DocGroupNetPage::ShowFileList(std::vector<NetFileInfo> entries)
{
    ui->btnUploadDoc->setEnabled(true);
    ui->listWidget->setCurrentItem(nullptr);
    ui->listWidget->clear();
    for (const NetFileInfo& e : entries) {
        auto* item = new QListWidgetItem(ui->listWidget);
        auto* row = new DocFileItem();
        connect(row, &DocFileItem::sgItemCmd, this, &DocGroupNetPage::onUpItemCmd);
        item->setSizeHint(QSize(0, row->height()));
        row->InitNetFile(e, false);
        ui->listWidget->setItemWidget(item, row);
    }
}

void DocGroupNetPage::onUpItemCmd(int)
{
    // Read-only rows raise no commands.
}

void DocGroupNetPage::on_btnShowDocType_clicked()
{
    docpage::Show(this, ui->btnShowDocType2);
}

void DocGroupNetPage::on_btnShowDocType2_clicked()
{
    docpage::Show(this, ui->btnShowDocType2);
}

void DocGroupNetPage::on_btnUploadDoc_clicked()
{
    if (FileDialog()->exec() != QDialog::Accepted || FileDialog()->selectedFiles().isEmpty())
        return;
    const QString path = FileDialog()->selectedFiles().first();
    const QString refusal = docpage::RefusalOf(path, kMaxUploadBytes + 1, tr("文件不能大于50MB, 请重新选择！"));
    if (!refusal.isEmpty()) {
        docpage::ShowRefusal(this, refusal);
        return;
    }
    // The group's disk takes no uploads from here; the button waits for the
    // next listing.
    ui->btnUploadDoc->setEnabled(false);
}

void DocGroupNetPage::UpProgress(UploadDoc*, double, double) {}

void DocGroupNetPage::finish(UploadDoc*) {}
