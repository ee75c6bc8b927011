// MainWindow: library commands, HTTP results and control commands. The
// command tables come with the dispatch; what stands here is what the room
// shell's own pop-ups need.
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

void MainWindow::onClientLibCmd(int, const QVariant&) {}

void MainWindow::onUserHttpCmd(int type, const QVariant& data)
{
    m_login->LoginResult(type, data);
    m_classList->ClassResult(type, data);
    m_docWidget->onUserHttpCmd(type, data);
}

void MainWindow::onControlCmd(int cmd, const QVariant&)
{
    Logger::instance()->Log(LOG_INFO, "MainWindow::onControlCmd", "control command %d", cmd);
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

void MainWindow::onSwitchLine()
{
    Logger::instance()->Log(LOG_INFO, "MainWindow::onSwitchLine", "media line switched");
}
