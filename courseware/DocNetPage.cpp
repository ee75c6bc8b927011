#include "courseware/DocNetPage.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "courseware/DocFileItem.h"
#include "courseware/DocPageShared.h"
#include "courseware/NetDirCtrl.h"

#include <QFileDialog>
#include <QListWidget>
#include <QPushButton>

namespace {

const char* const kRootUuid = "0";
constexpr int kLoginVarGroup = 4;
constexpr int kFolder = 0;
constexpr int kConvertedDoc = 1;

}  // namespace

DocNetPage::DocNetPage(const Disk& disk, QWidget* parent) : QWidget(parent), m_disk(disk) {}

void DocNetPage::Bind(QListWidget* list, QWidget* dirHost, QPushButton* upload, QPushButton* formatAnchor)
{
    m_list = list;
    m_upload = upload;
    m_formatAnchor = formatAnchor;
    docpage::SetUpList(m_list);
    m_dirBar = new NetDirCtrl(dirHost);
    connect(m_dirBar, &NetDirCtrl::sgNetDirCmd, this, &DocNetPage::onNetDirCmd);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &DocNetPage::onItemPressed);
}

QFileDialog* DocNetPage::FileDialog() { return docpage::FileDialog(this, m_fileDialog, m_disk.fileFilter); }

QString DocNetPage::GroupId() const { return CData::instance()->GetLoginVar().value(kLoginVarGroup); }

QString DocNetPage::CurDirUuid() const { return m_dirBar->GetCurDir().toMap().value("uuid").toString(); }

void DocNetPage::ListDir(const QString& uuid)
{
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->ListNetFolder(m_disk.userType, GroupId(), uuid);
}

void DocNetPage::Clear()
{
    m_upload->setEnabled(true);
    m_list->setCurrentItem(nullptr);
    m_list->clear();
}

void DocNetPage::Init()
{
    Clear();
    m_dirBar->Clear();
    ListDir(kRootUuid);
    const QString root = tr("全部资料");
    m_dirBar->AddDir(root, QVariantMap{{"uuid", kRootUuid}, {"name", root}}, false);
}

void DocNetPage::RefreshDir() { onNetDirCmd(m_dirBar->GetCurDir()); }

void DocNetPage::onItemPressed(QListWidgetItem* item)
{
    auto* row = item ? qobject_cast<DocFileItem*>(m_list->itemWidget(item)) : nullptr;
    if (!row || (m_disk.editable && row->GetMode() != DocFileItem::ModeNetEdit))
        return;
    const NetFileInfo e = row->GetNetFile();
    const QString name = QString::fromStdString(e.name);
    if (e.file_type == kFolder) {
        docpage::SetWaiting(true);
        const QString uuid = QString::fromStdString(e.uuid);
        ListDir(uuid);
        m_dirBar->AddDir(name, QVariantMap{{"name", name}, {"uuid", uuid}}, true);
        return;
    }
    if (e.file_url.empty())
        return;  // still being converted
    emit sgSelectNetFile(
        QVariantMap{{"guid", QString::fromStdString(e.guid)}, {"cloudType", m_disk.cloudType}, {"name", name}});
}

void DocNetPage::onNetDirCmd(QVariant dirObj)
{
    const QVariantMap dir = dirObj.toMap();
    const QString name = dir.value("name").toString();
    const QString uuid = dir.value("uuid").toString();
    const QByteArray func = QByteArray(m_disk.logName) + "::onNetDirCmd";
    Logger::instance()->Log(LOG_INFO, func.constData(), "open dir %s, %s", name.toUtf8().constData(),
                            uuid.toUtf8().constData());
    docpage::SetWaiting(true);
    ListDir(uuid);
}

void DocNetPage::TakeListing(const QVariantMap& result)
{
    const QByteArray func = QByteArray(m_disk.logName) + "::onUserHttpCmd";
    if (docpage::TakeListing(m_dirBar, result, func.constData(), &m_entries)) {
        ShowFileList(m_entries);
        m_dirBar->EndLoad(true);
    }
}

DocFileItem* DocNetPage::NewRow()
{
    auto* row = new DocFileItem();
    connect(row, &DocFileItem::sgItemCmd, this, &DocNetPage::onUpItemCmd);
    return row;
}

void DocNetPage::ShowFileList(std::vector<NetFileInfo> entries)
{
    m_upload->setEnabled(true);
    docpage::HeldDeleteQuestion question(m_list);
    m_list->setCurrentItem(nullptr);
    m_list->clear();
    for (const NetFileInfo& e : entries) {
        auto* item = new QListWidgetItem(m_list);
        DocFileItem* row = NewRow();
        if (m_disk.editable && e.file_type == kConvertedDoc && e.file_url.empty())
            row->ShowTip(tr("课件转换中"), false);
        item->setSizeHint(QSize(0, row->height()));
        row->InitNetFile(e, m_disk.editable);
        m_list->setItemWidget(item, row);
        question.Offer(row);
    }
}

void DocNetPage::onUpItemCmd(int) {}

QString DocNetPage::ChooseUpload(qint64 firstRefusedBytes, const QString& tooBigText)
{
    if (FileDialog()->exec() != QDialog::Accepted || FileDialog()->selectedFiles().isEmpty())
        return QString();
    const QString path = FileDialog()->selectedFiles().first();
    const QString refusal = docpage::RefusalOf(path, firstRefusedBytes, tooBigText);
    if (refusal.isEmpty())
        return path;
    docpage::ShowRefusal(this, refusal);
    return QString();
}

void DocNetPage::on_btnShowDocType_clicked() { docpage::Show(this, m_formatAnchor); }

void DocNetPage::on_btnShowDocType2_clicked() { docpage::Show(this, m_formatAnchor); }
