#pragma once
// Helpers of the room entry, tool bar and tick tests: one room window per
// test process on a private data folder, the toasts on screen, the client
// library's recorded calls and the log.
#include "mainwindow/MainWindow.h"
#include "platform/MemoryVolumeBackend.h"
#include "tests/interaction/RoomFixture.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>

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

using roomfixture::ClearToasts;
using roomfixture::Lib;
using roomfixture::LogText;
using roomfixture::ToastTexts;

inline QList<ClientLibCall> CallsNamed(const QString& name) { return roomfixture::Calls(name); }

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
