#pragma once
// The room the tool tests work in: a private data folder, the program's
// style sheet, the client library over the demo school, signed in as the
// demo teacher and logged into today's running lesson, so the tools' calls
// are accepted as in a class. Commands are fired through the library's test
// control and reach the tools through Room::sgClientLibCmd as in the
// program; the calls the tools make are read back from the test control.
#include "tests/interaction/RoomFixture.h"

#include <QCoreApplication>

namespace toolroom {

using roomfixture::ForgetToasts;
using roomfixture::Lib;
using roomfixture::Screenshot;
using roomfixture::U;

struct World {
    QWidget board;
    QMap<int, QVariantMap> answers;  // the last payload of each code, GUI thread only
    QStringList vars;                // the room's login variables
    bool inRoom = false;

    World()
    {
        roomfixture::UseProgramStyle();
        QObject::connect(Room::instance(), &Room::sgClientLibCmd, &board,
                         [this](int code, QVariant payload) { answers[code] = payload.toMap(); });
        vars = roomfixture::EnterTodaysLesson(
            &board, "13800138000", "veltora123",
            [](const QVariantMap& lesson) { return lesson.value("status").toInt() == 0; }, true);
        inRoom = !vars.isEmpty();
    }
};

inline World& TheWorld() { return roomfixture::Shared<World>(); }

// The library calls of that name since the last ClearCalls.
inline QList<QVariantList> CallsNamed(const QString& name) { return roomfixture::CallArgs(name); }

// Fires a command through the library and waits until it has reached the
// GUI thread (and so every receiver of Room::sgClientLibCmd).
inline bool Fire(int code, const QVariant& payload)
{
    World& w = TheWorld();
    w.answers.remove(code);
    ClientLibTestControl::InjectCommand(Lib(), code, payload);
    // The library may still deliver an earlier command of this code (the
    // echo of a tool's own call): wait for the one that carries this payload.
    const QVariantMap want = payload.toMap();
    const auto arrived = [&] {
        if (!w.answers.contains(code))
            return false;
        const QVariantMap got = w.answers.value(code);
        for (auto it = want.begin(); it != want.end(); ++it) {
            if (got.value(it.key()) != it.value())
                return false;
        }
        return true;
    };
    if (!testsupport::waitUntil(arrived))
        return false;
    // The command reaches each receiver through its own queued call, all
    // posted at once: deliver the others too before the test looks.
    QCoreApplication::sendPostedEvents();
    return true;
}

// Toasts made since the last ForgetToasts: their texts and parents.
struct ShownToast {
    QString text;
    QWidget* toast;
};

inline QList<ShownToast> NewToasts()
{
    QList<ShownToast> out;
    for (QWidget* w : roomfixture::NewToastWidgets())
        out.append({roomfixture::ToastText(w), w});
    return out;
}

inline QStringList NewToastTexts()
{
    QStringList out;
    for (const ShownToast& t : NewToasts())
        out << t.text;
    return out;
}

// Every test starts in the room with no calls recorded and no toasts seen.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().inRoom) << "the demo teacher is in today's lesson";
        CData::SetStudentSideForTests(false);
        // The session as the room left it: its login variables, no users, no
        // status keys of the room.
        CData::instance()->ResetData(false);
        CData::instance()->SetLoginVar(TheWorld().vars);
        ClientLibTestControl::ClearCalls(Lib());
        ForgetToasts();
    }
    void TearDown() override { CData::SetStudentSideForTests(false); }
};

}  // namespace toolroom
