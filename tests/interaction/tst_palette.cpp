// The interaction palette: the control commands of its buttons, which
// buttons a room shows, and the students' doodle board and voice
// interaction switched through the client library (accepted, refused by the
// library, refused by the palette itself), with status 1009 and the button
// looks following the state.
#include "tests/interaction/tst_palette_room.h"

#include "interaction/CHudongWidget.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>

using namespace toolroom;

namespace {

class PaletteTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        room.resize(1000, 700);
        palette = new CHudongWidget(&room);
    }
    void TearDown() override
    {
        delete palette;
        ToolTest::TearDown();
    }
    QPushButton* Button(const char* name) { return palette->findChild<QPushButton*>(name); }
    int Status(const char* name) { return Button(name)->property("status").toInt(); }

    QWidget room;
    CHudongWidget* palette = nullptr;
};

TEST_F(PaletteTest, ToolButtonsSendTheirControlCommandWithTheIntegerZero)
{
    QSignalSpy spy(palette, &CHudongWidget::sgControlCmd);
    const struct {
        const char* button;
        int cmd;
    } cases[] = {{"btnQuestion", 1}, {"btnLottery", 4}, {"btnCountdown", 6}, {"btnHDAD", 7}};
    for (const auto& c : cases) {
        spy.clear();
        Button(c.button)->click();
        ASSERT_EQ(spy.size(), 1) << c.button;
        EXPECT_EQ(spy[0][0].toInt(), c.cmd) << c.button;
        const QVariant var = spy[0][1].value<QVariant>();
        EXPECT_EQ(var.type(), QVariant::Int) << c.button << ": never an empty variant";
        EXPECT_EQ(var.toInt(), 0) << c.button;
    }
    EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty()) << "opening a tool calls no library operation";
}

TEST_F(PaletteTest, ShowsTheButtonsTheRoomAllows)
{
    const struct {
        const char* name;
        QStringList vars;
        bool graffiti, tools;
    } cases[] = {
        {"live room", {"sid|42|1", "42", "20001", "T", "7", "1"}, true, true},
        {"small room of login role 6", {"sid|42|6", "42", "20001", "T", "7", "3"}, false, true},
        {"small room", {"sid|42|1", "42", "20001", "T", "7", "3"}, false, false},
    };
    for (const auto& c : cases) {
        CData::instance()->SetLoginVar(c.vars);
        palette->show();
        EXPECT_TRUE(Button("btnQuestion")->isVisible()) << c.name;
        EXPECT_EQ(Button("btnGraffiti")->isVisible(), c.graffiti) << c.name;
        for (const char* b : {"btnCountdown", "btnLottery", "btnHDAD"})
            EXPECT_EQ(Button(b)->isVisible(), c.tools) << c.name << " " << b;
        EXPECT_FALSE(Button("btnBigOpenMedia")->isVisible()) << c.name << ": switched from the user list";
        if (c.graffiti)
            Screenshot(palette, "palette_live_room.png");
        palette->hide();
    }
    EXPECT_EQ(palette->width(), 200);
    EXPECT_EQ(Button("btnQuestion")->size(), QSize(170, 64));
}

TEST_F(PaletteTest, DoodleBoardSwitchesWhenTheLibraryAccepts)
{
    CData::instance()->SetLoginVar({"sid|42|1", "42", "20001", "T", "7", "1"});
    palette->show();
    Button("btnGraffiti")->click();
    EXPECT_EQ(CallsNamed("SetDoodleBoard"), (QList<QVariantList>{{true}}));
    EXPECT_TRUE(palette->IsGraffiti());
    EXPECT_EQ(Status("btnGraffiti"), 1);
    ASSERT_EQ(NewToasts().size(), 1);
    EXPECT_EQ(NewToasts()[0].text, U("您打开了学生的涂鸦板"));
    EXPECT_EQ(NewToasts()[0].toast->parentWidget(), &room);
    Screenshot(palette, "palette_doodle_open.png");
    ForgetToasts();

    // Refused by the library: nothing changes, nothing is said.
    ClientLibTestControl::FailNextRequest(Lib());
    Button("btnGraffiti")->click();
    EXPECT_TRUE(palette->IsGraffiti());
    EXPECT_EQ(Status("btnGraffiti"), 1);
    EXPECT_TRUE(NewToasts().isEmpty());

    Button("btnGraffiti")->click();
    EXPECT_EQ(CallsNamed("SetDoodleBoard").last(), QVariantList{false});
    EXPECT_FALSE(palette->IsGraffiti());
    EXPECT_EQ(Status("btnGraffiti"), 0);
    EXPECT_EQ(NewToastTexts(), QStringList{U("您关闭了学生的涂鸦板")});

    // The room's own word (command 138) sets the state without a call.
    ClientLibTestControl::ClearCalls(Lib());
    palette->SetGraffitiStatus(true);
    EXPECT_EQ(Status("btnGraffiti"), 1);
    EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty());
}

TEST_F(PaletteTest, VoiceInteractionOnAndOffThroughTheLibrary)
{
    QSignalSpy spy(palette, &CHudongWidget::sgBigOpenMedia);
    palette->on_btnBigOpenMedia_clicked();
    EXPECT_EQ(CallsNamed("SetVoiceInteraction"), (QList<QVariantList>{{true}}));
    EXPECT_TRUE(palette->IsBigOpenMedia());
    EXPECT_TRUE(CData::instance()->GetStatus(kStatusVoiceInteraction));
    EXPECT_EQ(Status("btnBigOpenMedia"), 1);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_TRUE(spy[0][0].toBool());
    ASSERT_EQ(NewToasts().size(), 1);
    EXPECT_EQ(NewToasts()[0].text, U("您打开了学生的语音互动"));
    EXPECT_EQ(NewToasts()[0].toast->parentWidget(), &room);
    ForgetToasts();

    // Refused by the library.
    ClientLibTestControl::FailNextRequest(Lib());
    palette->on_btnBigOpenMedia_clicked();
    EXPECT_TRUE(palette->IsBigOpenMedia());
    EXPECT_TRUE(CData::instance()->GetStatus(kStatusVoiceInteraction));
    EXPECT_TRUE(NewToasts().isEmpty());
    EXPECT_EQ(spy.size(), 1);

    palette->on_btnBigOpenMedia_clicked();
    EXPECT_EQ(CallsNamed("SetVoiceInteraction").last(), QVariantList{false});
    EXPECT_FALSE(palette->IsBigOpenMedia());
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusVoiceInteraction));
    EXPECT_EQ(Status("btnBigOpenMedia"), 0);
    EXPECT_EQ(NewToastTexts(), QStringList{U("您关闭了学生的语音互动")});
    ASSERT_EQ(spy.size(), 2);
    EXPECT_FALSE(spy[1][0].toBool());
}

TEST_F(PaletteTest, VoiceInteractionIsRefusedInTheLiveModesThatCannotCarryIt)
{
    CData* data = CData::instance();
    const struct {
        const char* name;
        int liveMode;
        bool mixed;
        const char* text;
    } cases[] = {
        {"desktop live before mixed", 3, true, "当前桌面直播模式不支持语音互动。"},
        {"camera live before mixed", 4, true, "当前摄像机直播模式不支持语音互动。"},
        {"mixed live", 2, true, "当前混合直播模式不支持语音互动。"},
    };
    for (const auto& c : cases) {
        data->SetLiveMode(c.liveMode);
        data->SetStatus(kStatusMixedBroadcast, c.mixed ? 1 : 0);
        ForgetToasts();
        palette->on_btnBigOpenMedia_clicked();
        ASSERT_EQ(NewToasts().size(), 1) << c.name;
        EXPECT_EQ(NewToasts()[0].text, U(c.text)) << c.name;
        EXPECT_EQ(NewToasts()[0].toast->parentWidget(), &room) << c.name;
        EXPECT_FALSE(palette->IsBigOpenMedia()) << c.name;
        EXPECT_FALSE(data->GetStatus(kStatusVoiceInteraction)) << c.name;
    }
    EXPECT_TRUE(CallsNamed("SetVoiceInteraction").isEmpty());
}

TEST_F(PaletteTest, AnotherUsersOpenMicrophoneKeepsVoiceInteractionOn)
{
    CData* data = CData::instance();
    UserInfo self("20001");
    self.type = 1;
    self.mic = true;  // the teacher's own microphone never blocks
    data->SetLocalUser(self);
    data->UpdateUser(self);
    UserInfo student("30001");
    student.mic = true;
    data->UpdateUser(student);
    palette->SetBigOpenMediaStatus(true);

    palette->on_btnBigOpenMedia_clicked();
    EXPECT_TRUE(CallsNamed("SetVoiceInteraction").isEmpty());
    EXPECT_TRUE(palette->IsBigOpenMedia());
    EXPECT_EQ(Status("btnBigOpenMedia"), 1);
    ASSERT_EQ(NewToasts().size(), 1);
    EXPECT_EQ(NewToasts()[0].text, U("请停止连麦后，再取消互动"));
    EXPECT_EQ(NewToasts()[0].toast->parentWidget(), palette) << "said on the palette itself";

    student.mic = false;
    data->UpdateUser(student);
    palette->on_btnBigOpenMedia_clicked();
    EXPECT_EQ(CallsNamed("SetVoiceInteraction"), (QList<QVariantList>{{false}}));
    EXPECT_FALSE(palette->IsBigOpenMedia());
}

TEST_F(PaletteTest, CloseAndResetOfVoiceInteraction)
{
    QSignalSpy spy(palette, &CHudongWidget::sgBigOpenMedia);
    palette->CloseBigOpenMedia();
    EXPECT_TRUE(CallsNamed("SetVoiceInteraction").isEmpty()) << "already off: no call";

    palette->SetBigOpenMediaStatus(true);
    palette->SetBigOpenMediaStatus(true);
    EXPECT_EQ(spy.size(), 2) << "every set is told, also an unchanged one";

    ClientLibTestControl::FailNextRequest(Lib());
    palette->CloseBigOpenMedia();
    EXPECT_TRUE(palette->IsBigOpenMedia()) << "refused close";
    palette->CloseBigOpenMedia();
    EXPECT_EQ(CallsNamed("SetVoiceInteraction"), (QList<QVariantList>{{false}, {false}}));
    EXPECT_FALSE(palette->IsBigOpenMedia());
    EXPECT_TRUE(NewToasts().isEmpty()) << "the main window says why it closes";

    palette->SetBigOpenMediaStatus(true);
    palette->SetGraffitiStatus(true);
    ClientLibTestControl::ClearCalls(Lib());
    spy.clear();
    palette->ResetData();
    EXPECT_FALSE(palette->IsBigOpenMedia());
    EXPECT_FALSE(palette->IsGraffiti());
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusVoiceInteraction));
    EXPECT_EQ(Status("btnGraffiti"), 0);
    EXPECT_EQ(Status("btnBigOpenMedia"), 0);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_FALSE(spy[0][0].toBool());
    EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty());
}

TEST_F(PaletteTest, HidesWhenItLosesActivationAndKeepsItsState)
{
    palette->SetGraffitiStatus(true);
    palette->show();
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(palette, &deactivate);
    EXPECT_FALSE(palette->isVisible());
    EXPECT_TRUE(palette->IsGraffiti());

    palette->show();
    Button("closeBtn")->click();
    EXPECT_FALSE(palette->isVisible());
}

}  // namespace
