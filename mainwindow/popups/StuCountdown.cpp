#include "mainwindow/popups/StuCountdown.h"
#include "ui_StuCountdown.h"

#include "app/CData.h"
#include "widgets/StyledBackground.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QStyle>

StuCountdown::StuCountdown(QWidget* parent) : QWidget(parent), ui(new Ui::StuCountdown)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setProperty("status", 0);
    m_effect = new QGraphicsOpacityEffect(this);
    m_effect->setOpacity(1.0);
    setGraphicsEffect(m_effect);
    m_pulse = new QSequentialAnimationGroup(this);
    auto* fade = new QPropertyAnimation(m_effect, "opacity", m_pulse);
    fade->setDuration(800);
    fade->setStartValue(1.0);
    fade->setEndValue(0.6);
    auto* back = new QPropertyAnimation(m_effect, "opacity", m_pulse);
    back->setDuration(200);
    back->setStartValue(0.6);
    back->setEndValue(1.0);
    m_pulse->addAnimation(fade);
    m_pulse->addAnimation(back);
    connect(m_pulse, &QAbstractAnimation::finished, this, &StuCountdown::onAniFinish, Qt::UniqueConnection);
    hide();
}

StuCountdown::~StuCountdown() { delete ui; }

void StuCountdown::StartCountdown(bool start, int seconds)
{
    if (!start || seconds <= 0) {
        StopCountdown(true);
        return;
    }
    const int parentWidth = parentWidget() ? parentWidget()->width() : 0;
    int x = parentWidth / 2 - width() / 2;
    int y = 165;
    if (CData::instance()->IsLiveRoom()) {
        x -= 100;
        y = 90;
    }
    move(x, y);
    show();
    raise();
    m_remaining = seconds;
    ShowTime();
    connect(CData::instance(), &CData::sgTimerUpdate, this, &StuCountdown::onTimerUpdate, Qt::UniqueConnection);
}

QString StuCountdown::TimeText() const { return ui->labTime->text(); }

void StuCountdown::ShowTime()
{
    const int t = qMax(m_remaining, 0);
    ui->labTime->setText(QString("%1:%2").arg(t / 60, 2, 10, QChar('0')).arg(t % 60, 2, 10, QChar('0')));
    raise();
}

void StuCountdown::SetStatus(int status)
{
    setProperty("status", status);
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void StuCountdown::onTimerUpdate(int)
{
    if (m_remaining <= 0)
        return;
    --m_remaining;
    ShowTime();
    if (m_remaining < 6 && m_pulse->state() != QAbstractAnimation::Running)
        StartFinalPhase();
}

void StuCountdown::StartFinalPhase()
{
    SetStatus(1);
    if (m_pulse->state() == QAbstractAnimation::Running)
        m_pulse->stop();
    m_pulse->setLoopCount(m_remaining + 5);
    m_pulse->start();
}

void StuCountdown::onAniFinish() { StopCountdown(true); }

void StuCountdown::StopCountdown(bool hideIt)
{
    disconnect(CData::instance(), &CData::sgTimerUpdate, this, &StuCountdown::onTimerUpdate);
    m_remaining = -1;
    m_pulse->stop();
    m_effect->setOpacity(1.0);
    SetStatus(0);
    if (hideIt)
        hide();
}

void StuCountdown::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
