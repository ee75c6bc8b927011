#include "courseware/DocWidget.h"

DocWidget::DocWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("DocWidget");
    hide();
}

void DocWidget::InitPages() {}

void DocWidget::Clear() {}

void DocWidget::onUserHttpCmd(int, QVariant) {}

void DocWidget::TimerUpdate(int) {}
