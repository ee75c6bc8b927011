#include "widgets/Toast.h"

#include "ui_Toast.h"

#include "widgets/AnimationHold.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSequentialAnimationGroup>

Toast::Toast(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput),
      ui(new Ui::ToastClass)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
}

Toast::~Toast()
{
    delete ui;
}

void Toast::ShowToast(const QString& text, QWidget* parent, int msec)
{
    auto* toast = new Toast(parent);
    toast->ui->label->setText(text);
    toast->adjustSize();
    toast->placeOn(parent);
    toast->startLifetime(msec);
    toast->show();
    toast->raise();
}

void Toast::placeOn(QWidget* parent)
{
    if (parent) {
        QWidget* top = parent->window();
        const QPoint corner = top->rect().center() - QPoint(width() / 2, height() / 2);
        move(top->mapToGlobal(corner));
        return;
    }
    QScreen* screen = QGuiApplication::screenAt(pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    if (width() < area.width() && height() < area.height())
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    else
        move(0, 0);
}

void Toast::startLifetime(int msec)
{
    // Two animations side by side: the fade-in, and the stay followed by the
    // fade-out, which ends the toast. When the stay is shorter than the
    // fade-in, starting the fade-out stops the fade-in (Qt lets one animation
    // at a time drive a property).
    auto* fadeIn = new QPropertyAnimation(this, "windowOpacity", this);
    fadeIn->setDuration(FadeMs);
    fadeIn->setStartValue(0.0);
    fadeIn->setEndValue(1.0);
    auto* fadeOut = new QPropertyAnimation(this, "windowOpacity", this);
    fadeOut->setDuration(FadeMs);
    fadeOut->setStartValue(1.0);
    fadeOut->setEndValue(0.0);
    auto* stayThenOut = new QSequentialAnimationGroup(this);
    stayThenOut->addAnimation(new AnimationHold(msec, stayThenOut));
    stayThenOut->addAnimation(fadeOut);
    connect(stayThenOut, &QAbstractAnimation::finished, this, &QWidget::close);
    fadeIn->start();
    stayThenOut->start();
}

void Toast::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 0));
    painter.drawRect(rect());
}
