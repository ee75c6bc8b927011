// MainWindow: the whiteboard library's commands and the stream and chat
// slots. The client library's commands, HTTP results and control commands
// are dispatched in ClientCommands.cpp and its neighbours.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/Logger.h"
#include "courseware/DocWidget.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "WhiteBoardLib.h"

void MainWindow::onWBLibCmd(int cmd, const QVariant& var)
{
    switch (cmd) {
    case RsWB_Background:
    case RsWB_BackgroundImage:
        m_switchBK->SelectBackground(var.toMap().value("image").toString());
        break;
    default:
        break;
    }
}

void MainWindow::slotAddNewChatMessage(const QVariantList&) {}

void MainWindow::slotRtmpPushFailed(int pushStates, QString msg)
{
    Logger::instance()->Log(LOG_WARN, "MainWindow::slotRtmpPushFailed", "push state %d %s", pushStates,
                            msg.toUtf8().constData());
}

void MainWindow::slotRtmpPlayFailed(int faileTimes, QString msg)
{
    Logger::instance()->Log(LOG_WARN, "MainWindow::slotRtmpPlayFailed", "play failed %d %s", faileTimes,
                            msg.toUtf8().constData());
}
