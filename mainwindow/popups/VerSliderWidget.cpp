#include "mainwindow/popups/VerSliderWidget.h"
#include "ui_VerSliderWidget.h"

#include "app/CMixerInfo.h"
#include "app/SystemInfo.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTimer>

VerSliderWidget::VerSliderWidget(QWidget* parent) : QWidget(parent), ui(new Ui::VerSliderWidget)
{
    ui->setupUi(this);
    // A pop-up: a click anywhere else closes it, also where no window
    // manager sends activation changes.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(24, 126);
    setStyleSheet("QWidget{ border-image: url(:/main/res/main/volumebkslider.png); }");
    installEventFilter(this);
    ui->labDev->installEventFilter(this);
    SetMode(true);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &VerSliderWidget::onUpdateTimer);
}

VerSliderWidget::~VerSliderWidget() { delete ui; }

void VerSliderWidget::SetMode(bool speaker)
{
    m_speakerMode = speaker;
    ui->labDev->setStyleSheet(speaker ? "border-image: url(:/main/res/main/volume2.png);"
                                      : "border-image: url(:/main/res/main/mic2.png);");
    ui->verticalSlider->setRange(0, 100);
    m_value = speaker ? GetVolume() : GetMicVolume();
    ui->verticalSlider->setValue(m_value);
    connect(ui->verticalSlider, &QSlider::valueChanged, this, &VerSliderWidget::onUpdateTimer,
            Qt::UniqueConnection);
}

void VerSliderWidget::onUpdateTimer()
{
    const int slider = ui->verticalSlider->value();
    if (slider == m_value)
        return;
    m_value = slider;
    if (m_speakerMode)
        SetVolume(m_value);
    else
        SetMicVolume(m_value);
    emit sgValueChange(m_value);
}

bool VerSliderWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->labDev && event->type() == QEvent::MouseButtonRelease) {
        if (ui->verticalSlider->value() < 2) {
            ui->verticalSlider->setValue(qMax(property("preValue").toInt(), 5));
        } else {
            setProperty("preValue", ui->verticalSlider->value());
            ui->verticalSlider->setValue(0);
        }
        onUpdateTimer();
    } else if (watched == this && event->type() == QEvent::Show) {
        SetMode(m_speakerMode);
        raise();
    } else if (watched == this && event->type() == QEvent::WindowDeactivate) {
        onUpdateTimer();
        hide();
    } else if (watched == this && event->type() == QEvent::Hide) {
        onUpdateTimer();
    }
    return QWidget::eventFilter(watched, event);
}

void VerSliderWidget::ShowAbove(QWidget* button)
{
    m_button = button;
    const QPoint at = button->mapToGlobal(QPoint(button->width() / 2, 0));
    move(at.x() - width() / 2, at.y() - height() - 2);
    show();
}

void VerSliderWidget::mousePressEvent(QMouseEvent* event)
{
    // A press outside a pop-up reaches the pop-up first and closes it; on its
    // own button it must not be handed on, or the button opens it again.
    if (m_button && !rect().contains(event->pos())
        && m_button->rect().contains(m_button->mapFromGlobal(event->globalPos())))
        setAttribute(Qt::WA_NoMouseReplay);
    QWidget::mousePressEvent(event);
}
