// MainWindow: room entry and exit, the form's buttons, the tick and closing.
// Room entry and the tool bar's full behaviour come with their own work; what
// stands opens the room shell's pop-ups and ends the program cleanly.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "courseware/DocWidget.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"
#include "mainwindow/popups/ShowStreamWidget.h"
#include "media/IMediaEngine.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "mainwindow/popups/SwitchLineWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"

#include <QApplication>
#include <QCloseEvent>

void MainWindow::EnterRoom()
{
    Logger::instance()->Log(LOG_INFO, "MainWindow::EnterRoom", "enter room");
    IMediaEngine::selectEngine(CData::instance()->IsLiveRoom() ? kMediaEngineBigRoom : kMediaEngineClientLib);
}

void MainWindow::ExitRoom()
{
    if (m_streamWidget)
        m_streamWidget->ClickClose(true);
    m_dualTeacher.clear();
    m_courseEnd = 0;
    m_lastNetWarning = 0;
    ui->labTitle->clear();
}

void MainWindow::toStartRecorderOrDesk(int) {}

void MainWindow::ReDoSharePlay() {}

void MainWindow::onTimerUpdate(int tick)
{
    m_login->OnTimerUpdate(tick);
    m_classList->OnTimerUpdate(tick);
    m_docWidget->TimerUpdate(tick);
}

// A pop-up of the tool bar shown just above (or beside) its button.
static void ShowBesideButton(QWidget* popup, QWidget* button)
{
    const QPoint anchor = button->mapToGlobal(QPoint(button->width() / 2, 0));
    popup->move(anchor.x() - popup->width() / 2, anchor.y() - popup->height() - 4);
    popup->show();
    popup->raise();
    popup->activateWindow();
}

void MainWindow::OnButtonClick()
{
    QObject* from = sender();
    if (from == ui->btnMin) {
        showMinimized();
    } else if (from == ui->btnMax) {
        ui->btnMax->isChecked() ? showMaximized() : showNormal();
    } else if (from == ui->btnClose) {
        close();
    } else if (from == ui->btnSwitchLine) {
        m_switchLine->UpdateHeight();
        m_switchLine->ShowLines();
    } else if (from == ui->btnMicSet) {
        ShowBesideButton(m_micSlider, ui->btnMicSet);
    } else if (from == ui->btnVolSet) {
        ShowBesideButton(m_speakerSlider, ui->btnVolSet);
    } else if (from == ui->btnSwitchBK) {
        const QPoint at = ui->rightWidget->mapToGlobal(QPoint(0, 0));
        m_switchBK->move(at.x() - m_switchBK->width(), at.y());
        m_switchBK->show();
        m_switchBK->raise();
        m_switchBK->activateWindow();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The program ends only once the login or home window (or the session's
    // exit) has set the exiting flag; otherwise closing only leaves the room.
    if (CData::instance()->IsAppExiting()) {
        Logger::instance()->Log(LOG_INFO, "MainWindow::closeEvent", "exit");
        event->accept();
        QApplication::quit();
        return;
    }
    event->ignore();
    ExitRoom();
    hide();
}
