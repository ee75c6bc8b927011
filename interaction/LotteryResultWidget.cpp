#include "interaction/LotteryResultWidget.h"

LotteryResultWidget::LotteryResultWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("LotteryResultWidget");
    hide();
}

void LotteryResultWidget::ShowWidget(int, qint64 lotteryId)
{
    m_lotteryId = lotteryId;
    show();
    raise();
}

void LotteryResultWidget::ResetData(bool hideIt)
{
    m_lotteryId = 0;
    m_result.clear();
    if (hideIt)
        hide();
}
