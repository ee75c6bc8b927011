#include "interaction/LotteryWidget.h"

LotteryWidget::LotteryWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("LotteryWidget");
    hide();
}

void LotteryWidget::ResetData(bool hideIt)
{
    if (hideIt)
        hide();
}
