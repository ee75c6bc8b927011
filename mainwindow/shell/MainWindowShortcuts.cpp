// MainWindow: the hidden keyboard shortcuts.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "mainwindow/popups/ShowStreamWidget.h"
#include "media/OBSSettingWindow.h"

#include <QDesktopServices>
#include <QShortcut>
#include <QUrl>

void MainWindow::MakeShortcuts()
{
    // The data folder in the system's file browser.
    connect(new QShortcut(QKeySequence("Ctrl+Shift+L"), this), &QShortcut::activated, this, [] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(PubUtils::GetAppData())));
    });
    // The broadcast settings window shown or hidden.
    connect(new QShortcut(QKeySequence("Ctrl+Shift+X"), this), &QShortcut::activated, this, [this] {
        if (m_broadcast)
            m_broadcast->setVisible(!m_broadcast->isVisible());
    });
    // The external push button of a live room.
    connect(new QShortcut(QKeySequence("Ctrl+Shift+A"), this), &QShortcut::activated, this, [this] {
        if (CData::instance()->IsLiveRoom() && CData::instance()->IsTeacher())
            ui->btnExtPush->show();
    });
    // The recording stream address, once the live configuration allows it.
    connect(new QShortcut(QKeySequence("Ctrl+Shift+R"), this), &QShortcut::activated, this, [this] {
        if (!CData::instance()->GetStatus(kStatusOpenSyncLive))
            return;
        if (!m_streamWidget) {
            m_streamWidget = new ShowStreamWidget(this);
            // The key of the stream the room's recorder publishes.
            m_streamWidget->SetStreamKeySource([this] { return m_broadcast ? m_broadcast->GetStreamKey() : QString(); });
        }
        m_streamWidget->ShowStream();
    });
}
