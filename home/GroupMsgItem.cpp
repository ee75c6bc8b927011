#include "home/GroupMsgItem.h"

#include "ui_GroupMsgItem.h"

#include "home/RowPicture.h"

#include <QImage>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace {

const char* const kSystemGroupId = "1";
const char* const kSystemPicture = ":/class/res/class/messageDefalut.png";
const char* const kGroupPicture = ":/class/res/class/groupDefalut.png";
constexpr int kGroupRowHeight = 70;
constexpr int kPreviewWidth = 300;

// Messages are server HTML: shown formatted, but nothing they name is ever
// loaded (no local files, no other schemes). Every image they name gets an
// empty placeholder: an unanswered image would be read from the file by the
// text layout itself.
class MessageDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl&) override
    {
        if (type != QTextDocument::ImageResource)
            return QVariant();
        QImage placeholder(1, 1, QImage::Format_ARGB32);
        placeholder.fill(Qt::transparent);
        return placeholder;
    }
};

}  // namespace

GroupMsgItem::GroupMsgItem(QWidget* parent) : QWidget(parent), ui(new Ui::GroupMsgItem)
{
    ui->setupUi(this);
    ui->mtextEdit->setDocument(new MessageDocument(ui->mtextEdit));
    ui->mtextEdit->setReadOnly(true);
    ui->mtextEdit->setEnabled(false);
    ui->mtextEdit->setStyleSheet(
        "QTextEdit{ background-color:transparent;border:0px;margin:1px;color: #666666; }");
    ui->mtextEdit->setFrameShape(QFrame::NoFrame);
    ui->mtextEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->mtextEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->mtextEdit->setWordWrapMode(QTextOption::WrapAnywhere);
    QFont f = ui->mtextEdit->font();
    f.setFamily("Microsoft YaHei");
    f.setPixelSize(14);
    ui->mtextEdit->setFont(f);
}

GroupMsgItem::~GroupMsgItem() { delete ui; }

void GroupMsgItem::SetGroup(GroupInfo group)
{
    if (!m_group.groupId.empty()) {
        m_group = std::move(group);
        // The newest message as plain text: its markup is not shown.
        const QString newest = m_group.msgs.empty() ? QString()
            : QTextDocumentFragment::fromHtml(QString::fromStdString(m_group.msgs.front().msg)).toPlainText();
        ui->gLabText->setText(
            ui->gLabText->fontMetrics().elidedText(newest, Qt::ElideRight, kPreviewWidth, Qt::TextShowMnemonic));
        return;
    }
    m_group = std::move(group);
    ui->stackedWidget->setCurrentIndex(0);
    ui->gLabName->setText(QString::fromStdString(m_group.name));
    if (m_group.groupId == kSystemGroupId) {
        ui->gLabImage->setPixmap(
            QPixmap(kSystemPicture).scaled(ui->gLabImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        // The designed group picture stands until the logo is there; a group
        // without a logo (or with one that is no web address) keeps it.
        QPixmap logo = rowpicture::Cached(m_group.logo);
        if (logo.isNull()) {
            logo.load(kGroupPicture);
            rowpicture::Start(m_group.logo, this, &GroupMsgItem::OnDownFinish);
        }
        ui->gLabImage->setPixmap(logo.scaled(ui->gLabImage->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
    }
    setFixedHeight(kGroupRowHeight);
}

// The worker frees itself after reporting.
void GroupMsgItem::OnDownFinish(DownThread* d)
{
    if (d->type == rowpicture::kPictureDownload)
        rowpicture::Show(ui->gLabImage, d->GetLocalFile(), kGroupPicture, Qt::SmoothTransformation);
}

void GroupMsgItem::SetMessage(GroupMsgInfo message)
{
    m_message = std::move(message);
    ui->stackedWidget->setCurrentIndex(1);
    ui->mLabTime->setText(QString::fromStdString(m_message.createTime));
    ui->mtextEdit->clear();
    ui->mtextEdit->insertHtml(QString::fromStdString(m_message.msg));
    ui->mtextEdit->setMaximumSize(width() - 10, height() - 30);
    QTextDocument* doc = ui->mtextEdit->document();
    doc->adjustSize();
    const QMargins m = ui->mtextEdit->contentsMargins();
    const int h = int(doc->size().height() + 0.5) + m.top() + m.bottom();
    if (ui->mtextEdit->height() != h)
        ui->mtextEdit->setFixedHeight(h);
    setFixedHeight(ui->timeWidget->height() + h + 5);
}
