#include "widgets/ToastButtonWidget.h"

#include "ui_ToastButtonWidget.h"

#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"

#include <QEvent>

ToastButtonWidget::ToastButtonWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::ToastButtonWidget), m_parent(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);  // the form's own style sheet paints the strip
    setFixedSize(300, 35);
    if (m_parent) {
        m_parent->installEventFilter(this);
        placeOnParent();
    }
}

ToastButtonWidget::~ToastButtonWidget()
{
    delete ui;
}

void ToastButtonWidget::SetText(const QString& labelText, const QString& buttonText)
{
    ui->label->setText(labelText);
    ui->pushButton->setText(buttonText);
}

void ToastButtonWidget::on_pushButton_clicked()
{
    const bool in = property("in").toBool();
    ClientLib* lib = Room::instance()->GetClientLib();
    if (lib)
        lib->SetDualVisible(in, true);
    else
        LOG_WARN_F("ToastButtonWidget::on_pushButton_clicked", "no client library: visibility not changed");
    hide();
    emit sgClickButton();
}

bool ToastButtonWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parent && event->type() == QEvent::Resize)
        placeOnParent();
    return QWidget::eventFilter(watched, event);
}

void ToastButtonWidget::placeOnParent()
{
    move(m_parent->width() / 2 - width() / 2, TopOffset);
}
