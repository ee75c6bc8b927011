#include "interaction/CTopMsgWidget.h"
#include "ui_CTopMsgWidget.h"

#include "app/CData.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "interaction/NewTopMsgWdg.h"
#include "interaction/QuestionPanel.h"
#include "widgets/StyledBackground.h"
#include "interaction/StuTopMsgWidget.h"
#include "widgets/MsgBox.h"


CTopMsgWidget::CTopMsgWidget(QWidget* parent) : QWidget(parent), ui(new Ui::TopMsgWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedWidth(200);
    installEventFilter(this);
    ui->textBrowser->setOpenLinks(false);
    ui->textBrowser->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->textBrowser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor = new NewTopMsgWdg(parent);
    m_stuBanner = new StuTopMsgWidget(parent);
    connect(ui->textBrowser, &QTextBrowser::anchorClicked, this, &CTopMsgWidget::anchorClickedSlot);
    connect(m_editor, &NewTopMsgWdg::sgNewTopMsg, this, &CTopMsgWidget::OnMyNewTopMsg);
    hide();
}

CTopMsgWidget::~CTopMsgWidget()
{
    delete ui;
    // Without a parent nobody else frees the editor, the box and the banner.
    if (!parentWidget()) {
        delete m_editor;
        delete m_msgBox;
        delete m_stuBanner;
    }
}

std::string CTopMsgWidget::GetHtmlMsg(QString jsonMsg) { return NewTopMsgWdg::GetHtmlMsgByJsMsg(jsonMsg); }

bool CTopMsgWidget::SetTopMsg(qint64 id, QString jsonMsg)
{
    if (id == m_id && jsonMsg == m_msg)
        return false;
    m_id = id;
    m_msg = jsonMsg;
    m_html = QString::fromStdString(NewTopMsgWdg::GetHtmlMsgByJsMsg(jsonMsg));
    ui->textBrowser->setHtml(m_html);
    if (isVisible())
        AdjustHeight();
    if (!CData::instance()->IsTeacher())
        m_stuBanner->SetTopMsg(id, jsonMsg);
    RefreshView();
    return true;
}

void CTopMsgWidget::ResetData(bool hideIt)
{
    m_id = 0;
    m_msg.clear();
    m_html.clear();
    RefreshView();
    m_stuBanner->ResetData(hideIt);
    if (!hideIt)
        return;
    if (m_msgBox)
        m_msgBox->hide();
    m_editor->ResetData();
    m_editor->hide();
    hide();
}

void CTopMsgWidget::OnMyNewTopMsg(qlonglong id, QString msg)
{
    SetTopMsg(id, msg);
    show();
    raise();
}

void CTopMsgWidget::on_closeBtn_clicked() { hide(); }

void CTopMsgWidget::on_btnOk_clicked()
{
    m_editor->ResetData();
    m_editor->show();
    m_editor->raise();
}

void CTopMsgWidget::on_btnDelete_clicked()
{
    if (!m_msgBox) {
        m_msgBox = new MsgBox(parentWidget(), false, 0);
        m_msgBox->SetMsgText(tr("您确定要删除公告吗？"), QString());
        m_msgBox->SetButtonText(true, tr("删除"), tr("取消"));
        disconnect(m_msgBox, &MsgBox::sgCloseMsgBox, nullptr, nullptr);
        connect(m_msgBox, &MsgBox::sgCloseMsgBox, this, [this](bool ok, MsgBox*) { OnDeleteAnswer(ok); });
    }
    m_msgBox->ShowMsg(nullptr, nullptr);
}

void CTopMsgWidget::OnDeleteAnswer(bool ok)
{
    if (!ok)
        return;
    if (m_id > 0 || !m_msg.isEmpty() || !m_html.isEmpty()) {
        // Deleting is publishing an empty notice under the notice's id.
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->PublishNotice(m_id, QString());
        m_id = 0;
        m_msg.clear();
        m_html.clear();
        RefreshView();
        m_stuBanner->ResetData(false);
    }
    show();
    raise();
}

void CTopMsgWidget::anchorClickedSlot(const QUrl& url) { NewTopMsgWdg::OpenNoticeLink(url, "CTopMsgWidget::anchorClickedSlot"); }

void CTopMsgWidget::AdjustHeight()
{
    const int h = NewTopMsgWdg::FitNoticeHeight(ui->textBrowser);
    ui->textBrowser->setFixedHeight(h);
    ui->wdgMsg->setFixedHeight(h + 20);
}

void CTopMsgWidget::RefreshView()
{
    const bool empty = m_html.isEmpty();
    ui->wdgMsg->setVisible(!empty);
    ui->btnDelete->setVisible(!empty);
    ui->wdgNoMsg->setVisible(empty);
    ui->btnOk->show();
}

bool CTopMsgWidget::eventFilter(QObject* watched, QEvent* event)
{
    // Another window became active: the board closes.
    if (watched == this && event->type() == QEvent::WindowDeactivate)
        hide();
    return QWidget::eventFilter(watched, event);
}

void CTopMsgWidget::paintEvent(QPaintEvent*) { PaintStyledBackground(this); }

void CTopMsgWidget::showEvent(QShowEvent* event)
{
    ui->stackedWidget->setCurrentIndex(CData::instance()->IsTeacher() ? 0 : 1);
    if (!m_html.isEmpty())
        AdjustHeight();
    RefreshView();
    QWidget::showEvent(event);
}
