#include "home/AppUpdateWidget.h"

#include "ui_AppUpdateWidget.h"


#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

AppUpdateWidget::AppUpdateWidget(QWidget* parent, bool deleteOnClose, int autoCloseSeconds)
    : QDialog(parent), ui(new Ui::AppUpdateWidget), m_seconds(autoCloseSeconds)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    ui->wdgTitle->setAttribute(Qt::WA_TranslucentBackground, true);
    ui->wdgTitle->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    ui->wdgMain->setAttribute(Qt::WA_TranslucentBackground, false);
    ui->wdgMain->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
    setFocusPolicy(Qt::NoFocus);

    m_logo = new QLabel(this);
    m_logo->setObjectName("labUpLogo");
    m_logo->setStyleSheet("border-image: url(:/logo/res/logo/uplogo.png);background:transparent;");
    m_logo->setFixedSize(48, 67);

    setFixedSize(size());
    setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    if (m_seconds > 0) {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &AppUpdateWidget::onUpdateTimer);
        m_timer->start(m_seconds * 1000);
    }
    ui->labMsg->setWordWrap(true);
    ui->labMsg->setAlignment(Qt::AlignCenter);
    connect(ui->btnOk, &QPushButton::clicked, this, &AppUpdateWidget::onButtonClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &AppUpdateWidget::onButtonClick);
}

AppUpdateWidget::~AppUpdateWidget()
{
    if (m_timer && m_timer->isActive())
        m_timer->stop();
    delete ui;
}

void AppUpdateWidget::SetMsgText(const QString& text, const QString& title)
{
    ui->labMsg->setText(text);
    if (!title.isEmpty())
        setWindowTitle(title);
    raise();
}

void AppUpdateWidget::SetButtonText(bool showCancel, const QString& okText, const QString& cancelText)
{
    if (!okText.isEmpty())
        ui->btnOk->setText(okText);
    if (!cancelText.isEmpty())
        ui->btnCancel->setText(cancelText);
    ui->btnCancel->setVisible(showCancel);
    ui->line->setVisible(showCancel);
}

void AppUpdateWidget::onButtonClick()
{
    if (sender() == ui->btnOk)
        bOk = true;
    else if (sender() == ui->btnCancel)
        bOk = false;
    hide();
    close();
}

void AppUpdateWidget::onUpdateTimer() { close(); }

void AppUpdateWidget::reject()
{
    // Escape: a close like any other, answered "not now" (or, for a
    // mandatory update, ending the program) instead of hiding unanswered.
    close();
}

void AppUpdateWidget::closeEvent(QCloseEvent* event)
{
    if (m_timer)
        m_timer->stop();
    emit sgCloseWidget(bOk, this);
    hide();  // so that the dialog's own handling does not reject() again
    QDialog::closeEvent(event);
    event->accept();
}

void AppUpdateWidget::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_logo->move((width() - m_logo->width()) / 2, 0);
}
