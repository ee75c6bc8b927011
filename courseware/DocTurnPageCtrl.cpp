#include "courseware/DocTurnPageCtrl.h"

DocTurnPageCtrl::DocTurnPageCtrl(QWidget* parent) : QWidget(parent)
{
    setObjectName("DocTurnPageCtrl");
    hide();
}
