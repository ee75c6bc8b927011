#include "home/AppAuthWidget.h"

#include "ui_AppAuthWidget.h"

#include "ClientLib.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "widgets/RoundedMask.h"

AppAuthWidget::AppAuthWidget(QWidget* parent) : QDialog(parent), ui(new Ui::AppAuthWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    for (QPushButton* b : {ui->btnOk, ui->btnCancel, ui->btnClose})
        connect(b, &QPushButton::clicked, this, &AppAuthWidget::onButtonClick);
}

AppAuthWidget::~AppAuthWidget() { delete ui; }

void AppAuthWidget::showAppDev(QVariant appDev)
{
    m_appDev = appDev;
    show();
}

void AppAuthWidget::onButtonClick()
{
    const QString userId = m_appDev.toMap().value("userId").toString();
    bool accept = false;
    if (sender() == ui->btnOk)
        accept = true;
    else if (sender() != ui->btnCancel && sender() != ui->btnClose)
        return;
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib || !lib->ReplyAppAuth(userId, accept)) {
        // Not taken: the dialog stays for another press.
        Logger::instance()->Log(200, "AppAuthWidget", "reply for device of %s not taken", userId.toUtf8().constData());
        return;
    }
    emit sgAuthAppDev(m_appDev, accept);
    hide();
    close();
}

void AppAuthWidget::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    SetRoundedMask(this, 4);
}
