#include "interaction/QuestionAnswer.h"

QuestionAnswer::QuestionAnswer(QWidget* parent) : QWidget(parent)
{
    setObjectName("QuestionAnswer");
    hide();
}

void QuestionAnswer::ShowWidget(QVariant question)
{
    m_question = question.toMap();
    show();
    raise();
}
