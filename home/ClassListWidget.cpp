#include "home/ClassListWidget.h"

ClassListWidget::ClassListWidget(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("vtclasstea");
    hide();
}

bool ClassListWidget::ClassResult(int, const QVariant&) { return false; }

void ClassListWidget::OnTimerUpdate(int) {}
