#include "interaction/StuTopMsgWidget.h"
#include "ui_StuTopMsgWidget.h"

#include "app/CData.h"
#include "interaction/NewTopMsgWdg.h"
#include "interaction/QuestionPanel.h"
#include "widgets/StyledBackground.h"


namespace {

// Where the banner sits in its parent: centred, this far from the top; in a
// live room higher and left of the centre.
constexpr int kTop = 165;
constexpr int kLiveTop = 90;
constexpr int kLiveLeftShift = 100;

}  // namespace

StuTopMsgWidget::StuTopMsgWidget(QWidget* parent) : QWidget(parent), ui(new Ui::StuTopMsgWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    ui->textBrowser->setOpenLinks(false);
    ui->textBrowser->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->textBrowser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(ui->textBrowser, &QTextBrowser::anchorClicked, this, &StuTopMsgWidget::anchorClickedSlot);
    hide();
}

StuTopMsgWidget::~StuTopMsgWidget() { delete ui; }

bool StuTopMsgWidget::SetTopMsg(qint64 id, QString jsonMsg)
{
    m_id = id;
    m_msg = jsonMsg;
    m_html = QString::fromStdString(NewTopMsgWdg::GetHtmlMsgByJsMsg(jsonMsg));
    ui->textBrowser->setHtml(m_html);
    if (isVisible())
        AdjustHeight();
    if (m_html.isEmpty()) {
        hide();
        return true;
    }
    const int parentWidth = parentWidget() ? parentWidget()->rect().width() : 0;
    int x = parentWidth / 2 - width() / 2;
    int y = kTop;
    if (CData::instance()->IsLiveRoom()) {
        x -= kLiveLeftShift;
        y = kLiveTop;
    }
    move(x, y);
    show();
    raise();
    return true;
}

void StuTopMsgWidget::ResetData(bool hideIt)
{
    m_id = 0;
    m_msg.clear();
    m_html.clear();
    if (hideIt)
        hide();
}

void StuTopMsgWidget::on_closeBtn_clicked() { hide(); }

void StuTopMsgWidget::anchorClickedSlot(const QUrl& url)
{
    NewTopMsgWdg::OpenNoticeLink(url, "StuTopMsgWidget::anchorClickedSlot");
}

void StuTopMsgWidget::AdjustHeight()
{
    setFixedHeight(NewTopMsgWdg::FitNoticeHeight(ui->textBrowser) + 10);
}

void StuTopMsgWidget::paintEvent(QPaintEvent*) { PaintStyledBackground(this); }

void StuTopMsgWidget::showEvent(QShowEvent* event)
{
    if (!m_html.isEmpty())
        AdjustHeight();
    QWidget::showEvent(event);
}
