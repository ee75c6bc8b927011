// Answers to the program: from the library's own thread, after the operation
// returned, with the codes and payload keys the program reads; bad input.
#include "tests/libs/whiteboardlib/WBTestSupport.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace wbtest;

namespace {

class Answers : public BoardFixture
{
};

class NoServer : public BoardFixture
{
protected:
    QString urlWB() const override { return ""; }
};

class BadServer : public BoardFixture
{
protected:
    QString urlWB() const override { return "not a url"; }
};

class Fresh : public BoardFixture
{
protected:
    bool enterOnSetUp() const override { return false; }
};

} // namespace

TEST_F(Answers, RoomEntryAnswersFromTheLibraryThreadAfterTheCallReturned)
{
    settle();
    const auto all = Recorder::get().answers();
    ASSERT_FALSE(all.isEmpty());
    for (const auto& a : all) {
        EXPECT_NE(a.thread, QThread::currentThread()) << a.code;
        EXPECT_EQ(a.thread, all.first().thread) << a.code;
        EXPECT_FALSE(a.duringCall) << a.code;
    }
    EXPECT_EQ(Recorder::get().count(RsWB_AddrFailed) + Recorder::get().count(RsWB_ConnectFailed), 0);

    const auto offset = Recorder::get().ofCode(RsWB_ServerTimeOffset);
    ASSERT_EQ(offset.size(), 1);
    EXPECT_EQ(offset[0].map.value("offMs").userType(), QMetaType::LongLong);
    EXPECT_LT(offset[0].map.value("offMs").toLongLong(), 10000000);

    const auto bk = Recorder::get().ofCode(RsWB_Background);
    ASSERT_EQ(bk.size(), 1);
    EXPECT_EQ(bk[0].map.value("type").toString(), "wb");

    const auto pages = Recorder::get().ofCode(RsWB_AddPageWidget);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].map.value("roomId").toString(), "");
    EXPECT_EQ(pages[0].map.value("hide").userType(), QMetaType::Bool);
    EXPECT_FALSE(pages[0].map.value("hide").toBool());
    for (const char* key : {"pageWdg", "addWdg"}) {
        EXPECT_EQ(pages[0].map.value(key).userType(), QMetaType::LongLong) << key;
        auto* w = reinterpret_cast<QObject*>(static_cast<quintptr>(pages[0].map.value(key).toLongLong()));
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isWidgetType());
    }
    EXPECT_EQ(Recorder::get().count(RsWB_DocChanged), 1);

    // An operation's answer, too, waits for the operation to return.
    Recorder::get().clear();
    EXPECT_FALSE(call([&] { return lib->SetTool(99); }));
    ASSERT_TRUE(waitFor([] { return Recorder::get().logged("unknown tool 99"); }));
    EXPECT_FALSE(Recorder::get().answers().first().duringCall);
}

TEST_F(NoServer, AMissingServerAddressIsReportedAndTheBoardStillDraws)
{
    ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_AddrFailed) == 1; }));
    EXPECT_EQ(Recorder::get().ofCode(RsWB_AddrFailed)[0].map.value("type").toString(), "wb");
    lib->SetTool(WBTool_Line);
    drag(QPoint(10, 100), QPoint(600, 100));
    EXPECT_FALSE(isColor(pixel(300, 100), qRgb(255, 255, 255), 10));
}

TEST_F(BadServer, AnUnusableServerAddressIsAConnectionFailure)
{
    ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_ConnectFailed) == 1; }));
    EXPECT_EQ(Recorder::get().ofCode(RsWB_ConnectFailed)[0].map.value("type").toString(), "wb");
}

TEST_F(Answers, FontSizeIsReportedForSelectedTextButNeverForSetFontSize)
{
    for (int size : {14, 18, 24, 36})
        EXPECT_TRUE(lib->SetFontSize(size));
    settle();
    EXPECT_EQ(Recorder::get().count(RsWB_FontSize), 0);

    // A 36 px text, then the size set to 14: selecting the text reports 36.
    lib->SetTool(WBTool_Text);
    ASSERT_TRUE(writeText(QPoint(100, 100), "Big"));
    lib->SetFontSize(14);
    lib->SetTool(WBTool_Select);
    click(QPoint(110, 110));
    ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_FontSize) == 1; }));
    const QVariant size = Recorder::get().ofCode(RsWB_FontSize)[0].map.value("fontSize");
    EXPECT_EQ(size.userType(), QMetaType::Int);
    EXPECT_EQ(size.toInt(), 36);

    // The program answers with SetFontSize(36): no report comes back.
    lib->SetFontSize(36);
    click(QPoint(110, 110));
    settle();
    EXPECT_EQ(Recorder::get().count(RsWB_FontSize), 1);
}

TEST_F(Answers, BackgroundChosenByTheTeacherIsRestoredOnReentry)
{
    QTemporaryDir dir;
    const QString file = writeSolidPng(dir.filePath("mine.png"), qRgb(10, 20, 30));
    ASSERT_TRUE(lib->SetBackground(file, true));
    ASSERT_TRUE(lib->SetBackground(":/wblib/res/wblib/bk1.png", false)); // not the teacher's choice
    settle();
    EXPECT_EQ(Recorder::get().count(RsWB_BackgroundImage), 0); // never an echo of SetBackground
    ASSERT_TRUE(lib->LeaveRoom());
    ASSERT_TRUE(lib->EnterRoom(QVariant(loginVars())));
    ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_BackgroundImage) == 1; }));
    EXPECT_EQ(Recorder::get().ofCode(RsWB_BackgroundImage)[0].map.value("image").toString(), file);
}

TEST_F(Answers, DualRoomGetsItsOwnPageControls)
{
    QVariantMap dual{{"roomId", "sub-7"}, {"token", "t"}, {"conn", true}};
    ASSERT_TRUE(lib->SetDualRoom(QVariant(dual)));
    ASSERT_TRUE(lib->SetDualMode("1"));
    ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_AddPageWidget) == 2; }));
    const auto pages = Recorder::get().ofCode(RsWB_AddPageWidget);
    EXPECT_EQ(pages[1].map.value("roomId").toString(), "sub-7");
    EXPECT_NE(pages[1].map.value("pageWdg").toLongLong(), 0);
    EXPECT_NE(pages[1].map.value("pageWdg").toLongLong(), pages[0].map.value("pageWdg").toLongLong());

    dual["conn"] = false;
    ASSERT_TRUE(lib->SetDualRoom(QVariant(dual)));
    ASSERT_TRUE(lib->SetDualMode(""));
    ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_AddPageWidget) == 3; }));
    EXPECT_TRUE(Recorder::get().ofCode(RsWB_AddPageWidget)[2].map.value("hide").toBool());
}

TEST_F(Fresh, BadInputIsRefusedWithALogLine)
{
    QTemporaryDir dir;
    const QString pic = writeSolidPng(dir.filePath("p.png"), qRgb(1, 2, 3));
    struct Case { const char* what; std::function<bool()> op; };
    const std::vector<Case> cases = {
        {"login variables not a list", [&] { return lib->EnterRoom(QVariant(42)); }},
        {"no room id", [&] { return lib->EnterRoom(QVariant(QStringList{"token"})); }},
        {"empty room id", [&] { return lib->EnterRoom(QVariant(QStringList{"token", ""})); }},
        {"leave outside a room", [&] { return lib->LeaveRoom(); }},
        {"dual room not a map", [&] { return lib->SetDualRoom(QVariant("x")); }},
        {"dual room without id", [&] { return lib->SetDualRoom(QVariant(QVariantMap{{"conn", true}})); }},
        {"dual room conn not bool", [&] { return lib->SetDualRoom(QVariant(QVariantMap{{"roomId", "r"}, {"conn", "yes"}})); }},
        {"unknown dual mode", [&] { return lib->SetDualMode("2"); }},
        {"empty background", [&] { return lib->SetBackground("", false); }},
        {"unknown tool", [&] { return lib->SetTool(6); }},
        {"unknown object kind", [&] { return lib->InsertObject(11, pic, QVariant(0)); }},
        {"object without file", [&] { return lib->InsertObject(WBObject_Picture, "", QVariant(0)); }},
        {"missing object file", [&] { return lib->InsertObject(WBObject_Video, dir.filePath("none.mp4"), QVariant(0)); }},
        {"extra of wrong type", [&] { return lib->InsertObject(WBObject_Picture, pic, QVariant("big")); }},
        {"extra not zero", [&] { return lib->InsertObject(WBObject_Picture, pic, QVariant(5)); }},
        {"extra size not numbers", [&] { return lib->InsertObject(WBObject_Picture, pic, QVariant(QVariantMap{{"width", "w"}, {"height", 2}})); }},
        {"pen width", [&] { return lib->SetPenWidth(0); }},
        {"pen colour", [&] { return lib->SetPenColor(-1); }},
        {"text colour", [&] { return lib->SetTextColor(0x1000000); }},
        {"font size", [&] { return lib->SetFontSize(0); }},
        {"open without room", [&] { return lib->OpenDocPages("d", "0001"); }},
        {"delete without room", [&] { return lib->DeleteDoc("d"); }},
    };
    for (const auto& c : cases) {
        const int logs = Recorder::get().count(RsWB_Log);
        EXPECT_FALSE(c.op()) << c.what;
        EXPECT_TRUE(waitFor([&] { return Recorder::get().count(RsWB_Log) > logs; })) << c.what;
    }
    // A refused room entry is also a connection failure for the program.
    EXPECT_EQ(Recorder::get().count(RsWB_ConnectFailed), 3);
    EXPECT_TRUE(lib->GetCurDocInfo().empty());
    // And the board still works afterwards.
    EXPECT_TRUE(lib->EnterRoom(QVariant(loginVars())));
    EXPECT_TRUE(lib->SetTool(WBTool_Pen));
}

TEST(Factory, RefusesUnusableArguments)
{
    QWidget host;
    const QVariant cfg(config());
    EXPECT_EQ(WBCreateLib(nullptr, recordAnswer, cfg), nullptr);
    EXPECT_EQ(WBCreateLib(&host, nullptr, cfg), nullptr);
    EXPECT_EQ(WBCreateLib(&host, recordAnswer, QVariant()), nullptr);
    EXPECT_EQ(WBCreateLib(&host, recordAnswer, QVariant(QStringList{"a"})), nullptr);
    WBReleaseLib(nullptr);

    // The board is a child of the given parent and fills it.
    host.resize(300, 200);
    CWhiteBoardLib* lib = WBCreateLib(&host, recordAnswer, cfg);
    ASSERT_NE(lib, nullptr);
    ASSERT_NE(lib->GetWBWidget(), nullptr);
    EXPECT_EQ(lib->GetWBWidget()->parentWidget(), &host);
    EXPECT_EQ(lib->GetWBWidget()->size(), QSize(300, 200));
    host.show();
    host.resize(500, 400);
    EXPECT_TRUE(waitFor([&] { return lib->GetWBWidget()->size() == QSize(500, 400); }));
    WBReleaseLib(lib);
}

TEST_F(Answers, AfterReleaseTheWidgetsStayButNothingIsAnswered)
{
    // A text to select later, and the page controls the program would hold.
    lib->SetTool(WBTool_Text);
    lib->SetFontSize(36);
    ASSERT_TRUE(writeText(QPoint(100, 100), "Big"));
    lib->SetFontSize(14);
    lib->SetTool(WBTool_Select);
    const auto pages = Recorder::get().ofCode(RsWB_AddPageWidget).first().map;
    QPointer<QWidget> add = reinterpret_cast<QWidget*>(static_cast<quintptr>(pages.value("addWdg").toLongLong()));
    QPointer<QWidget> widget = board();
    for (int i = 0; i < 20; ++i)
        lib->SetTool(100 + i); // each queues a log line

    WBReleaseLib(lib);
    lib = nullptr;
    const int seen = Recorder::get().answers().size();
    ASSERT_FALSE(widget.isNull());
    ASSERT_FALSE(add.isNull());
    EXPECT_EQ(widget->parentWidget(), host.get());
    // Using them reaches no library: no crash, no answer.
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(110, 110));
    QTest::mouseClick(static_cast<QAbstractButton*>(add.data()), Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_EQ(Recorder::get().answers().size(), seen);
}
