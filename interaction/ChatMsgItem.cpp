#include "interaction/ChatMsgItem.h"

#include "app/CData.h"
#include "interaction/ChatMsgItemDocument.h"
#include "ui_ChatMsgItem.h"

#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidgetItem>
#include <QPainter>
#include <QStyleOption>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString BadgePath(int userType)
{
    switch (userType) {
    case 1:
        return QStringLiteral(":/chat/res/chat/labteacher.png");
    case 2:
        return QStringLiteral(":/chat/res/chat/labassisent.png");
    default:
        return QString();
    }
}

// Between the name line and the thumbnail of a picture row.
constexpr int kImageColumnSpacing = 2;

// The thumbnail's frame. A status text replaces it; a picture brings it back,
// so a downloaded picture is framed as a cached one is.
const char* const kThumbnailStyle =
    "QLabel#imageLabel{background:transparent;border:4px solid rgb(83, 85, 94);color:#eeeeee;text-align:center;}";

QSpacerItem* Expanding(int w, int h) { return new QSpacerItem(w, h, QSizePolicy::Expanding, QSizePolicy::Minimum); }

// Own messages lean right: the spacer comes first. Others mirror the whole
// row, so that their spacer comes last and their items run the other way.
void Lean(QBoxLayout* box, QSpacerItem* spacer, bool own)
{
    box->insertSpacerItem(0, spacer);
    if (!own)
        box->setDirection(QBoxLayout::RightToLeft);
}

}  // namespace

ChatMsgItem::ChatMsgItem(QWidget* parent) : QWidget(parent), ui(new Ui::ChatMsgItem)
{
    ui->setupUi(this);
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
    const int width = parent ? parent->property("nChatWidth").toInt() - 4 : 0;
    if (width > 0)
        setFixedWidth(width);
}

ChatMsgItem::~ChatMsgItem() { delete ui; }

QLabel* ChatMsgItem::TimeLabel() const { return ui->timeLabel; }

void ChatMsgItem::SetMsg(QSharedPointer<MsgInfo> msg, QListWidgetItem* item)
{
    m_msg = msg;
    m_item = item;
    if (!m_msg)
        return;
    SetTime();
    switch (m_msg->msgType) {
    case kChatMsgPlain:  // plain text: the same bubble, nothing to convert
    case kChatMsgFace:
        BuildTextBody();
        break;
    case kChatMsgImage:
        BuildImageBody();
        break;
    case kChatMsgSystem:
        BuildSystemBody();
        break;
    default:
        break;
    }
}

void ChatMsgItem::SetTime()
{
    if (!m_msg->showTime) {
        ui->timeLabel->hide();
        m_timeHeight = 0;
        return;
    }
    ui->timeLabel->setText(QDateTime::fromSecsSinceEpoch(m_msg->time).toString("hh:mm:ss"));
    ui->timeLabel->setStyleSheet(CData::instance()->IsLiveRoom() ? "background:transparent; color:#ffffff;"
                                                                 : "background:transparent; color:#333333;");
    ui->timeLabel->show();
    m_timeHeight = std::max(ui->timeLabel->minimumHeight(), ui->timeLabel->sizeHint().height());
}

QTextEdit* ChatMsgItem::MakeTextView()
{
    auto* edit = new QTextEdit(ui->holdWidget);
    edit->setDocument(new ChatMsgItemDocument(edit));
    edit->setReadOnly(true);
    edit->setFrameShape(QFrame::NoFrame);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont f = edit->font();
    f.setPixelSize(14);
    edit->setFont(f);
    return edit;
}

void ChatMsgItem::FillTextView(QTextEdit* edit)
{
    m_msg->content.replace("\n", "<br/>");
    edit->document()->setDocumentMargin(6);
    edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit->textCursor().insertHtml(QString::fromUtf8(g_strMsgHead) + m_msg->content + QString::fromUtf8(g_strMsgTail));
}

QHBoxLayout* ChatMsgItem::MakeNameRow(QWidget* parent)
{
    m_badgeLabel = new QLabel(parent);
    m_badgeLabel->setFixedSize(40, 18);
    m_badgeLabel->setScaledContents(true);
    const QString badge = BadgePath(m_msg->userType);
    if (!badge.isEmpty())
        m_badgeLabel->setPixmap(QPixmap(badge));
    m_nameLabel = new QLabel(m_msg->name, parent);
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setStyleSheet(CData::instance()->IsLiveRoom() ? "font-size:14px;color:#ffffff;"
                                                               : "font-size:14px;color:#333333;");
    auto* row = new QHBoxLayout;
    row->addWidget(m_badgeLabel);
    row->addWidget(m_nameLabel);
    Lean(row, Expanding(1, 10), m_msg->isSelf);
    return row;
}

void ChatMsgItem::BuildTextBody()
{
    auto* column = new QVBoxLayout;
    column->setSpacing(3);
    column->addLayout(MakeNameRow(ui->holdWidget));

    m_textEdit = MakeTextView();
    FillTextView(m_textEdit);
    m_textEdit->setStyleSheet(m_msg->isSelf ? "QTextEdit{ color: #333333; background: #D3F7F6; border-radius: 4px;}"
                                            : "QTextEdit{ color: #293239; background: #ECF6F5; border-radius: 4px;}");
    auto* content = new QHBoxLayout;
    content->setContentsMargins(5, 0, 0, 0);
    content->addWidget(m_textEdit);
    Lean(content, Expanding(40, 20), m_msg->isSelf);
    column->addLayout(content);

    auto* outer = new QHBoxLayout(ui->holdWidget);
    outer->setContentsMargins(5, 0, 10, 0);
    outer->addLayout(column);
    Lean(outer, Expanding(10, 20), m_msg->isSelf);
}

void ChatMsgItem::BuildSystemBody()
{
    m_textEdit = MakeTextView();
    FillTextView(m_textEdit);
    m_textEdit->setStyleSheet(CData::instance()->IsLiveRoom() ? "QTextEdit{ color: #ffffff; background: #7c858c; }"
                                                              : "QTextEdit{ color: #333333; background: #ffffff; }");
    auto* layout = new QVBoxLayout(ui->holdWidget);
    layout->setContentsMargins(5, 1, 5, 1);
    layout->addWidget(m_textEdit);
}

void ChatMsgItem::BuildImageBody()
{
    auto* nameWidget = new QWidget(ui->holdWidget);
    nameWidget->setObjectName("userNameLabel");
    QHBoxLayout* nameRow = MakeNameRow(nameWidget);
    nameRow->setContentsMargins(0, 0, 0, 0);
    nameWidget->setLayout(nameRow);

    m_imageLabel = new QLabel(ui->holdWidget);
    m_imageLabel->setObjectName("imageLabel");
    m_imageLabel->setStyleSheet(kThumbnailStyle);
    // The picture is drawn inside the frame, whole: at its own size the frame
    // would cover its edges.
    m_imageLabel->setScaledContents(true);
    m_imageLabel->installEventFilter(this);
    m_imageLabel->setCursor(Qt::PointingHandCursor);

    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kImageColumnSpacing);
    column->addWidget(nameWidget);
    column->addWidget(m_imageLabel, 0, m_msg->isSelf ? Qt::AlignRight : Qt::AlignLeft);
    auto* outer = new QHBoxLayout(ui->holdWidget);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->addLayout(column);
    Lean(outer, Expanding(40, 20), m_msg->isSelf);
    UpdateImage();
}

QSize ChatMsgItem::ThumbnailSize(const QSize& picture)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return QSize();
    // A picture that fits is shown at its own size; a larger one is reduced
    // into 160 x 90 keeping its proportions.
    const double f = std::max({picture.width() / 160.0, picture.height() / 90.0, 1.0});
    return QSize(static_cast<int>(std::lround(picture.width() / f)), static_cast<int>(std::lround(picture.height() / f)));
}

void ChatMsgItem::UpdateImage()
{
    auto image = m_msg.dynamicCast<ImageMsgInfo>();
    if (!image || !m_imageLabel)
        return;
    QString text;
    QString style = "color:#666666";
    switch (image->status) {
    case kImageDownloading:
        text = tr("Downloading ...");
        break;
    case kImageReady: {
        // The size is read from the header first: a picture that claims
        // enormous dimensions is never decoded.
        QImageReader reader(image->localPath);
        const QSize size = reader.size();
        QImage picture;
        if (size.isValid() && size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide)
            picture = reader.read();
        if (picture.isNull()) {
            text = tr("Image is broken");
            style = "color:red;";
            break;
        }
        const QSize thumb = ThumbnailSize(picture.size());
        m_imageLabel->setStyleSheet(kThumbnailStyle);
        m_imageLabel->setFixedSize(thumb);
        m_imageLabel->setText(QString());
        m_imageLabel->setPixmap(
            QPixmap::fromImage(picture.scaled(thumb, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
        break;
    }
    case kImageFailed:
        text = tr("Download failed!");
        style = "color:red;";
        break;
    default:
        break;
    }
    if (!text.isEmpty()) {
        m_imageLabel->setStyleSheet(style);
        m_imageLabel->setFixedSize(80, 80);
        m_imageLabel->setPixmap(QPixmap());
        m_imageLabel->setText(text);
        m_imageLabel->setAlignment(Qt::AlignCenter);
        m_imageLabel->setWordWrap(true);  // the texts are wider than the 80 px box
    }
    // Never lower than the name line, the thumbnail and the margins need.
    const int nameHeight = std::max(18, m_nameLabel ? m_nameLabel->sizeHint().height() : 0);
    const int needed = 8 + nameHeight + kImageColumnSpacing + m_imageLabel->height() + 8 + m_timeHeight;
    SetRowHeight(std::max(m_imageLabel->height() + m_timeHeight + 30, needed));
}

void ChatMsgItem::SetRowHeight(int height)
{
    m_rowHeight = height;
    if (m_item && m_item->sizeHint().height() != height)
        m_item->setSizeHint(QSize(m_item->sizeHint().width(), height));
}

void ChatMsgItem::slotAdjustTextEditSize()
{
    QWidget* host = parentWidget();
    const int hostWidth = host ? host->width() : width();
    if (m_msg && m_msg->showTime)
        ui->timeLabel->setFixedWidth(hostWidth);
    if (!m_textEdit || !m_msg)
        return;
    const bool system = m_msg->msgType == kChatMsgSystem;
    // The bubble also leaves room for the row's side margins and spacer.
    const int maxWidth = std::max(40, system ? hostWidth - 10 : hostWidth - 40);
    m_textEdit->setMaximumWidth(maxWidth);
    QTextDocument* doc = m_textEdit->document();
    const QMargins m = m_textEdit->contentsMargins();
    doc->setTextWidth(maxWidth - m.left() - m.right());
    const int ideal = static_cast<int>(std::ceil(doc->idealWidth()));
    const int w = std::min(maxWidth, ideal + m.left() + m.right() + 5);
    if (m_textEdit->width() != w)
        m_textEdit->setFixedWidth(w);
    doc->setTextWidth(w - m.left() - m.right());
    const int h = static_cast<int>(std::ceil(doc->size().height()));
    if (m_textEdit->height() != h)
        m_textEdit->setFixedHeight(h);
    SetRowHeight(h + m_timeHeight + (system ? 20 : 30));
}

void ChatMsgItem::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_sized) {
        m_sized = true;
        slotAdjustTextEditSize();
    }
}

bool ChatMsgItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_imageLabel && event->type() == QEvent::MouseButtonPress && m_msg) {
        emit sigImageThumbnailClicked(m_msg->content);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ChatMsgItem::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
