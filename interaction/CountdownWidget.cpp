#include "interaction/CountdownWidget.h"

CountdownWidget::CountdownWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("CountdownWidget");
    hide();
}

void CountdownWidget::StartCountdown(bool start, int seconds) { m_seconds = start && seconds > 0 ? seconds : 0; }

void CountdownWidget::StopCountdown(bool hideIt)
{
    m_seconds = 0;
    if (hideIt)
        hide();
}
