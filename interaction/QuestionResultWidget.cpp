#include "interaction/QuestionResultWidget.h"

QuestionResultWidget::QuestionResultWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("QuestionResultWidget");
    hide();
}

void QuestionResultWidget::InitQuestion(int, int, QVariant listRes, bool)
{
    m_started = true;
    m_result = listRes.toMap();
}

void QuestionResultWidget::ResetData(bool hideIt)
{
    m_started = false;
    m_result.clear();
    if (hideIt)
        hide();
}
