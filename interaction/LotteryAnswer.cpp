#include "interaction/LotteryAnswer.h"
#include "app/Logger.h"

LotteryAnswer::LotteryAnswer(QWidget* parent) : QWidget(parent)
{
    setObjectName("LotteryAnswer");
    hide();
}

void LotteryAnswer::ShowWidget(qint64 lotteryId)
{
    if (lotteryId == 0) {
        Logger::instance()->Log(LOG_WARN, "LotteryAnswer::ShowWidget", "lottery id 0 refused");
        return;
    }
    m_lotteryId = lotteryId;
    show();
    raise();
}

void LotteryAnswer::ResetData(bool hideIt)
{
    m_lotteryId = 0;
    m_won = false;
    if (hideIt)
        hide();
}
