#include "interaction/QuestionWidget.h"

QuestionWidget::QuestionWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("QuestionWidget");
    hide();
}
