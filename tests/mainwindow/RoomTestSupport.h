#pragma once
// Helpers of the room entry, tool bar and tick tests: one room window per
// test process on a private data folder, the toasts on screen, the client
// library's recorded calls and the log.
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "mainwindow/MainWindow.h"
#include "platform/MemoryVolumeBackend.h"
#include "tests/mainwindow/ShellTestSupport.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <QLabel>
#include <QPointer>
#include <QStringList>

namespace roomtest {

inline MainWindow*& Window()
{
    static MainWindow* w = nullptr;
    return w;
}

// Deletes the room window after the last test, as the program does before
// it ends, so its broadcast engine stops before the process goes.
class WindowTearDown : public ::testing::Environment {
public:
    void TearDown() override
    {
        delete Window();
        Window() = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// The room window, made on first use with the program's style.
inline MainWindow* MakeWindow()
{
    if (!Window()) {
        ::testing::AddGlobalTestEnvironment(new WindowTearDown);
        shelltest::Home();
        shelltest::UseProgramStyle();
        VolumeBackend::Install(std::make_unique<MemoryVolumeBackend>(100, true));
        Window() = new MainWindow;
    }
    return Window();
}

inline ClientLib* Lib() { return Room::instance()->GetClientLib(); }

// Texts of the toasts now on screen; ClearToasts deletes them.
inline QStringList ToastTexts()
{
    QStringList texts;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w))
            for (QLabel* label : w->findChildren<QLabel*>())
                texts << label->text();
    return texts;
}

inline void ClearToasts()
{
    QList<QPointer<QWidget>> toasts;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w))
            toasts << w;
    for (const QPointer<QWidget>& t : toasts)
        delete t.data();
}

inline QList<ClientLibCall> CallsNamed(const QString& name)
{
    QList<ClientLibCall> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        if (c.name == name)
            out << c;
    return out;
}

inline QString LogText()
{
    return QString::fromStdString(testsupport::readFile(Logger::instance()->fileName().toStdString()));
}

// A signed-in session with the room's login variables (see SetSession).
inline void SignIn(bool liveRoom)
{
    shelltest::SetSession(liveRoom);
    CData::instance()->SetStatus(kStatusSignedIn, 1);
    // The demo service refuses these rooms' login, and the window leaves a
    // room whose login is refused: the answer to the room login that follows
    // comes only after the test.
    ClientLibTestControl::SetRequestTimeout(Lib(), 600000);
    ClientLibTestControl::DelayNextRequest(Lib(), 300000);
}

// Deferred deletes run, so pointers to dropped widgets read null.
inline void RunDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace roomtest
