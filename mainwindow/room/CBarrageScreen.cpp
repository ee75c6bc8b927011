#include "mainwindow/room/CBarrageScreen.h"

CBarrageScreen::CBarrageScreen(QWidget* parent) : QWidget(parent)
{
    setObjectName("CBarrageScreen");
    // An overlay: clicks reach the whiteboard below it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}
