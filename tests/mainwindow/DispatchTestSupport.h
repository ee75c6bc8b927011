#pragma once
// The room window's command dispatch under test: one window per test
// program, commands fired through the client library's test control (so
// they take the library's thread and the queued hand-over like the real
// ones), and what they did read back from the session data, the window's
// widgets, the toasts made since the test began and the library calls.
#include "mainwindow/MainWindow.h"
#include "mainwindow/shell/MainWindowUi.h"

#include "app/CData.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "interaction/LotteryWidget.h"
#include "platform/MemoryVolumeBackend.h"
#include "QtWait.h"
#include "tests/interaction/RoomFixture.h"
#include "tests/mainwindow/ShellTestSupport.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dispatchtest {

inline MainWindow*& Window()
{
    static MainWindow* window = nullptr;
    return window;
}

inline MainWindow& W() { return *Window(); }
inline Ui::MainWindow* Form() { return Window()->Form(); }

using roomfixture::Lib;
using roomfixture::U;

inline LotteryWidget* Lottery() { return Window()->findChild<LotteryWidget*>(); }

// Fires a command through the library and waits until the window has taken
// it: a user-count command follows it, and its count marks the hand-over.
inline void Fire(int code, const QVariant& payload)
{
    static qint64 mark = 1000000;
    ++mark;
    ClientLibTestControl::InjectCommand(Lib(), code, payload);
    ClientLibTestControl::InjectCommand(Lib(), RsC_User_Count,
                                        QVariantMap{{"totalNum", 1}, {"pureStu", mark}});
    ASSERT_TRUE(testsupport::waitUntil([] { return Lottery()->OnlineNum() == mark; })) << "command " << code;
}

// The library calls of that name since the test began.
inline QList<QVariantList> CallsNamed(const QString& name) { return roomfixture::CallArgs(name); }

inline QString LabelText(QWidget* w, const char* name)
{
    QLabel* label = w->findChild<QLabel*>(name);
    return label ? label->text() : QString();
}

using roomfixture::ForgetToasts;

// Texts of the toasts made since the last ForgetToasts.
inline QStringList NewToasts()
{
    QStringList out;
    for (QWidget* w : roomfixture::NewToastWidgets())
        out.append(roomfixture::ToastText(w));
    return out;
}

inline Toast* NewestToast()
{
    const QList<QWidget*> toasts = roomfixture::NewToastWidgets();
    return toasts.isEmpty() ? nullptr : static_cast<Toast*>(toasts.first());
}

// Visible message boxes (the window's own and those made for a command).
inline QList<MsgBox*> ShownBoxes()
{
    QList<MsgBox*> out;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* box = qobject_cast<MsgBox*>(w))
            if (box->isVisible())
                out.append(box);
    return out;
}

inline QString BoxText(MsgBox* box) { return LabelText(box, "labMsg"); }

inline void ClickBox(MsgBox* box, const char* button)
{
    box->findChild<QPushButton*>(button)->click();
}

inline void CloseShownBoxes()
{
    for (MsgBox* box : ShownBoxes())
        box->hide();
}

// One window for the program; every test starts from a reset session.
class DispatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shelltest::Home();
        VolumeBackend::Install(std::make_unique<MemoryVolumeBackend>(100, true));
        if (!Window()) {
            Window() = new MainWindow;
            Window()->SetWallClock([] { return s_now; });
        }
        shelltest::UseProgramStyle();
        Window()->resize(1280, 720);
    }
    static void TearDownTestSuite()
    {
        delete Window();
        Window() = nullptr;
    }
    void SetUp() override
    {
        CData::SetStudentSideForTests(false);
        CData::instance()->ResetData(true);
        // Shown as in a room (leaving one hides it), so the tools' panels
        // inside it can be seen.
        Window()->show();
        CloseShownBoxes();
        ForgetToasts();
        ClientLibTestControl::ClearCalls(Lib());
    }
    void TearDown() override
    {
        CData::SetStudentSideForTests(false);
        CloseShownBoxes();
    }
    static qint64 s_now;
};

inline qint64 DispatchTest::s_now = 1700000000;

// One command of a table: the session it meets, the command, what it did.
struct CommandCase {
    const char* name;
    int code;
    QVariant payload;
    std::function<void()> arrange;
    std::function<void()> check;
};

// A suite over a table of command cases, one test a case named after it:
// each arranges its session, fires its command and checks the effect.
template <const std::vector<CommandCase>& (*Table)()>
class CommandTest : public DispatchTest, public ::testing::WithParamInterface<size_t> {
public:
    static auto Indexes() { return ::testing::Range<size_t>(0, Table().size()); }
    static std::string Name(const ::testing::TestParamInfo<size_t>& info) { return Table()[info.param].name; }

protected:
    void RunCase()
    {
        const CommandCase& c = Table()[GetParam()];
        if (c.arrange)
            c.arrange();
        Fire(c.code, c.payload);
        c.check();
    }
};

}  // namespace dispatchtest
