#include "widgets/MsgBox.h"

#include "ui_MsgBox.h"

#include "widgets/RoundedMask.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QTimer>

MsgBox::MsgBox(QWidget* parent, bool deleteOnClose, int autoCloseSeconds)
    : QDialog(parent), ui(new Ui::msgbox), m_autoCloseSeconds(autoCloseSeconds)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(size());
    setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    if (autoCloseSeconds > 0) {
        // Runs from construction: a box shown later closes that much sooner.
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &MsgBox::onUpdateTimer);
        m_timer->start(autoCloseSeconds * 1000);
    }
    ui->labMsg->setWordWrap(true);
    ui->labMsg->setAlignment(Qt::AlignCenter);
    connect(ui->btnOk, &QPushButton::clicked, this, &MsgBox::onButtonClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &MsgBox::onButtonClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &MsgBox::onButtonClick);
}

MsgBox::~MsgBox()
{
    if (m_timer && m_timer->isActive())
        m_timer->stop();
    delete ui;
}

void MsgBox::SetMsgText(const QString& text, const QString& title)
{
    ui->labMsg->setText(text);
    if (!title.isEmpty())
        setWindowTitle(title);
    setFixedHeight(text.size() < LongTextChars ? ShortHeight : LongHeight);
}

void MsgBox::SetButtonText(bool showCancel, const QString& okText, const QString& cancelText)
{
    if (!okText.isEmpty())
        ui->btnOk->setText(okText);
    if (!cancelText.isEmpty())
        ui->btnCancel->setText(cancelText);
    ui->btnCancel->setVisible(showCancel);
    ui->btnOk->show();
}

void MsgBox::ShowMsg(Callback callback, void* userData)
{
    m_callback = callback;
    m_userData = userData;
    show();
    raise();
}

void MsgBox::onButtonClick()
{
    QObject* from = sender();
    if (from == ui->btnOk)
        m_bOk = true;
    else if (from == ui->btnCancel || from == ui->btnClose)
        m_bOk = false;
    hide();
    close();
}

void MsgBox::onUpdateTimer()
{
    close();
}

void MsgBox::closeEvent(QCloseEvent* event)
{
    // The first close ends the time-out, so a box answered by a button is
    // never answered again by its timer.
    if (m_timer)
        m_timer->stop();
    const bool ok = m_bOk;
    m_bOk = false;
    emit sgCloseMsgBox(ok, this);
    if (m_callback)
        m_callback(ok, m_userData);
    hide();  // so that the dialog's own handling does not reject() again
    QDialog::closeEvent(event);
    event->accept();
}

void MsgBox::reject()
{
    // Escape: answered like the close button instead of hiding unanswered.
    close();
}

void MsgBox::resizeEvent(QResizeEvent* event)
{
    SetRoundedMask(this, 4.0);
    QDialog::resizeEvent(event);
}
