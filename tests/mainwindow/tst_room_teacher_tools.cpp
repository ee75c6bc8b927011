// test-labels: xvfb
// The room as a teacher works in it, in both room kinds, with the X
// server's own pointer clicking the room window: the drawing tool bar draws
// on the board, an opened document's pages turn from its page controls and
// the counter stays readable, the microphone and speaker sliders open above
// their buttons and close again without touching the level, the tool windows
// open over the room window, and the product cards leave the strips under
// the whiteboard free.
#include "tests/mainwindow/RoomTestSupport.h"

#include "courseware/DrawToolBarCtrl.h"
#include "interaction/CountdownWidget.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/CTopMsgWidget.h"
#include "interaction/LotteryWidget.h"
#include "interaction/NewTopMsgWdg.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "media/MediaPlayerWidget.h"
#include "QtWait.h"
#include "TestPaths.h"
#include "WBRoomDocs.h"
#include "WhiteBoardLib.h"

#include <QDesktopWidget>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

using namespace roomtest;

namespace {

bool HaveX() { return std::getenv("DISPLAY") && !testsupport::findProgram("xdotool").empty(); }

// The X server's pointer moves there and clicks (or drags to `to`); the
// event loop runs meanwhile.
void XPointer(const QStringList& args)
{
    QProcess p;
    p.start("xdotool", args);
    ASSERT_TRUE(testsupport::waitUntil([&] { return p.state() == QProcess::NotRunning; }, 15000));
}

void XClick(const QPoint& global)
{
    XPointer({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
}

QPoint Centre(QWidget* w) { return w->mapToGlobal(w->rect().center()); }

QRect GlobalRect(QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// The whole screen, with every window on it.
std::string ScreenShot(const std::string& name)
{
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(path));
    return path;
}

int Luma(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

class TeacherRoom : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!HaveX())
            GTEST_SKIP() << "needs an X display and xdotool";
        w = MakeWindow();
        ui = w->Form();
        CData::instance()->StopTimer();
        ClearToasts();
        SignIn(live());
        w->EnterRoom();
        ui->mainWidget->setEnabled(true);  // as after a successful room login
        w->move(0, 0);
        ASSERT_TRUE(testsupport::waitUntil([&] { return w->isVisible() && w->windowHandle()->isExposed(); }));
    }
    void TearDown() override
    {
        if (!w)
            return;
        w->ExitRoom();
        RunDeferredDeletes();
        ClearToasts();
        wbdocs::ClearAllRooms();
    }
    bool live() const { return GetParam(); }
    std::string Kind() const { return live() ? "live" : "small"; }

    MainWindow* w = nullptr;
    Ui::MainWindow* ui = nullptr;
};

std::string KindName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Live" : "Small"; }

}  // namespace

TEST_P(TeacherRoom, DrawsOnTheBoardAndTurnsThePagesOfAnOpenedDocument)
{
    // The tool bar: on the drawing strip of a live room, floating over the
    // board of a small one; the pen is chosen.
    QWidget* host = live() ? ui->DrawBarWdg : ui->wbWidget;
    auto* bar = host->findChild<DrawToolBarCtrl*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bar->isVisible(); }));
    CWhiteBoardLib* wb = Room::instance()->GetWBLib();
    QWidget* board = wb->GetWBWidget();
    EXPECT_EQ(board->property("tool").toInt(), 2);
    if (live()) {
        EXPECT_EQ(bar->pos(), QPoint(0, 0));
    }

    // A stroke with the X pointer stays on the board.
    const int before = board->property("itemCount").toInt();
    const QPoint from = board->mapToGlobal(QPoint(board->width() / 4, board->height() / 3));
    const QPoint to = from + QPoint(200, 60);
    XPointer({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
              "mousemove", QString::number(from.x() + 100), QString::number(from.y() + 30), "mousemove", QString::number(to.x()), QString::number(to.y()), "mouseup", "1"});
    EXPECT_TRUE(testsupport::waitUntil([&] { return board->property("itemCount").toInt() == before + 1; }));

    // A document of three pages, opened on the board.
    QTemporaryDir pages;
    ASSERT_TRUE(pages.isValid());
    for (int i = 1; i <= 3; ++i) {
        QImage page(320, 180, QImage::Format_RGB32);
        page.fill(QColor::fromHsv(i * 100, 120, 230));
        ASSERT_TRUE(page.save(pages.filePath(QString("deck_%1.png").arg(i, 4, 10, QChar('0')))));
    }
    WBDocInfo doc("deck");
    doc.fileName = "deck.pptx";
    doc.docType = "doc";
    doc.pageUrl = pages.filePath("deck_xxxx.png").toStdString();
    wbdocs::SetRoomDocs("42", {doc});
    ASSERT_TRUE(testsupport::waitUntil([&] { return !wb->GetCurDocInfo().empty(); }));
    ASSERT_TRUE(wb->OpenDocPages("deck", "0001"));

    QLabel* counter = nullptr;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        for (QLabel* l : w->findChildren<QLabel*>("WBPageLabel"))
            if (l->isVisible() && l->text() == "1/3")
                counter = l;
        return counter != nullptr;
    })) << "no page controls shown in the " << Kind() << " room";
    QWidget* controls = counter->parentWidget();
    // Live: at the right end of the drawing strip; small: on the board.
    EXPECT_EQ(controls->parentWidget(), live() ? ui->DrawBarWdg : ui->wbWidget);
    EXPECT_TRUE(GlobalRect(controls->parentWidget()).contains(GlobalRect(controls)));
    EXPECT_FALSE(GlobalRect(controls).intersects(GlobalRect(bar))) << "the tool bar covers the page controls";

    auto* next = controls->findChild<QToolButton*>("WBNextPage");
    XClick(Centre(next));
    EXPECT_TRUE(testsupport::waitUntil([&] { return counter->text() == "2/3"; })) << counter->text().toStdString();
    XClick(Centre(next));
    EXPECT_TRUE(testsupport::waitUntil([&] { return counter->text() == "3/3"; })) << counter->text().toStdString();
    XClick(Centre(controls->findChild<QToolButton*>("WBPrevPage")));
    EXPECT_TRUE(testsupport::waitUntil([&] { return counter->text() == "2/3"; })) << counter->text().toStdString();

    // The white counter on a dark plate, whatever lies behind it.
    const QImage plate = w->grab(GlobalRect(controls).translated(-w->mapToGlobal(QPoint(0, 0)))).toImage();
    const QPoint inLabel = counter->geometry().topLeft() + QPoint(2, 1);
    EXPECT_LT(Luma(plate.pixel(inLabel)), 110) << "the counter's plate is light";
    shelltest::Screenshot(w, "room_teacher_pages_" + Kind() + ".png");
}

TEST_P(TeacherRoom, ARoomVideoPutsTheDrawingToolBarAsideUntilItCloses)
{
    QWidget* host = live() ? ui->DrawBarWdg : ui->wbWidget;
    auto* bar = host->findChild<DrawToolBarCtrl*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(testsupport::waitUntil([&] { return bar->isVisible(); }));
    auto* player = w->findChild<MediaPlayerWidget*>();
    ASSERT_NE(player, nullptr);
    auto media = [](const char* type) {
        return QVariantMap{{"docid", "d1"}, {"fileName", QString("a.%1").arg(type == QString("video") ? "mp4" : "mp3")},
                           {"url", "http://127.0.0.1:9/a"}, {"ts", 0}, {"totalTs", 60000}, {"type", type}};
    };
    // A video: the bar steps aside, and comes back when the video closes.
    ClientLibTestControl::InjectCommand(Lib(), RsC_Media_Pause, media("video"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return player->isVisible(); }));
    EXPECT_FALSE(bar->isVisible());
    shelltest::Screenshot(w, "room_teacher_media_video_" + Kind() + ".png");
    ClientLibTestControl::InjectCommand(Lib(), RsC_Media_Close, media("video"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !player->isVisible(); }));
    EXPECT_TRUE(bar->isVisible());
    // Sound only: the bar stays.
    ClientLibTestControl::InjectCommand(Lib(), RsC_Media_Pause, media("audio"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return player->isVisible(); }));
    EXPECT_TRUE(bar->isVisible());
    ClientLibTestControl::InjectCommand(Lib(), RsC_Media_Close, media("audio"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !player->isVisible(); }));
}

TEST_P(TeacherRoom, SlidersOpenAboveTheirButtonsAndCloseWithoutChangingTheLevel)
{
    struct Pair {
        QPushButton* button;
        VerSliderWidget* slider;
    };
    for (const Pair& p : {Pair{ui->btnMicSet, w->MicSlider()}, Pair{ui->btnVolSet, w->SpeakerSlider()}}) {
        p.slider->findChild<QSlider*>("verticalSlider")->setValue(60);
        ASSERT_EQ(p.slider->Value(), 60);

        XClick(Centre(p.button));
        ASSERT_TRUE(testsupport::waitUntil([&] { return p.slider->isVisible(); })) << p.button->objectName().toStdString();
        EXPECT_LE(p.slider->geometry().bottom(), p.button->mapToGlobal(QPoint(0, 0)).y())
            << "the slider covers its button";
        ScreenShot("room_teacher_slider_" + p.button->objectName().toStdString() + "_" + Kind() + ".png");

        // The button again: closed, the level as it was.
        XClick(Centre(p.button));
        EXPECT_TRUE(testsupport::waitUntil([&] { return !p.slider->isVisible(); }));
        EXPECT_EQ(p.slider->Value(), 60);

        // A click elsewhere closes it too.
        XClick(Centre(p.button));
        ASSERT_TRUE(testsupport::waitUntil([&] { return p.slider->isVisible(); }));
        XClick(Centre(ui->labTitle));
        EXPECT_TRUE(testsupport::waitUntil([&] { return !p.slider->isVisible(); }));
        EXPECT_EQ(p.slider->Value(), 60);

        // Leaving the room takes an open slider with it.
        XClick(Centre(p.button));
        ASSERT_TRUE(testsupport::waitUntil([&] { return p.slider->isVisible(); }));
        w->ExitRoom();
        EXPECT_FALSE(p.slider->isVisible());
        SignIn(live());
        w->EnterRoom();
        ui->mainWidget->setEnabled(true);
        ASSERT_TRUE(testsupport::waitUntil([&] { return w->isVisible() && w->windowHandle()->isExposed(); }));
    }
}

TEST_P(TeacherRoom, ToolWindowsOpenOverTheRoomWindow)
{
    struct Tool {
        const char* name;
        QWidget* window;
        std::function<void()> open;
    };
    auto* quiz = w->findChild<QuestionWidget*>();
    auto* stats = w->findChild<QuestionResultWidget*>();
    auto* countdown = w->findChild<CountdownWidget*>();
    auto* lottery = w->findChild<LotteryWidget*>();
    auto* notices = w->findChild<CTopMsgWidget*>();
    ASSERT_TRUE(quiz && stats && countdown && lottery && notices);
    QWidget* editor = notices->Editor();
    const std::vector<Tool> tools = {
        {"quiz", quiz, [&] { w->onControlCmd(1, QVariant()); }},
        {"countdown", countdown, [&] { w->onControlCmd(6, QVariant()); }},
        {"lottery", lottery, [&] { w->onControlCmd(4, QVariant()); }},
        {"statistics", stats,
         [&] {
             w->onControlCmd(2, QVariantMap{{"type", 0}, {"num", 2}, {"listRes", QVariantList{1}}, {"showNum", true}});
             w->onControlCmd(1, QVariant());
         }},
        {"notice", editor, [&] { editor->show(); }},
    };
    const QPoint room = w->frameGeometry().center();
    for (const Tool& t : tools) {
        t.open();
        ASSERT_TRUE(testsupport::waitUntil([&] { return t.window->isVisible() && t.window->windowHandle()->isExposed(); }))
            << t.name;
        const QPoint centre = t.window->geometry().center();
        EXPECT_LE((centre - room).manhattanLength(), 4) << t.name << " at " << centre.x() << "," << centre.y()
                                                        << ", the room's centre " << room.x() << "," << room.y();
        EXPECT_TRUE(QApplication::desktop()->availableGeometry(w).contains(t.window->geometry())) << t.name;
        ScreenShot("room_teacher_tool_" + std::string(t.name) + "_" + Kind() + ".png");
        t.window->hide();
    }
}

TEST_P(TeacherRoom, ProductCardsLeaveTheStripsUnderTheWhiteboardFree)
{
    ASSERT_TRUE(ui->btnShangJia->isVisible()) << "the product button of this room";
    XClick(Centre(ui->btnShangJia));
    CTopClassWidget* cards = w->ProductPanel(0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return cards->isVisible(); }));
    w->onControlCmd(7, QVariant());
    CTopClassWidget* adverts = w->ProductPanel(1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return adverts->isVisible(); }));
    for (CTopClassWidget* panel : {cards, adverts}) {
        const QRect r = GlobalRect(panel);
        EXPECT_FALSE(r.intersects(GlobalRect(ui->bottomWidget))) << "covers the bottom bar";
        if (ui->DrawBarWdg->isVisible()) {
            EXPECT_FALSE(r.intersects(GlobalRect(ui->DrawBarWdg))) << "covers the drawing strip";
        }
        EXPECT_EQ(r.top(), ui->rightWidget->mapToGlobal(QPoint(0, 0)).y());
        EXPECT_EQ(r.right() + 1, ui->rightWidget->mapToGlobal(QPoint(0, 0)).x());
    }
    if (live()) {
        EXPECT_TRUE(ui->btnVideo->isVisible() && !GlobalRect(cards).intersects(GlobalRect(ui->btnVideo)));
    }
    ScreenShot("room_teacher_products_" + Kind() + ".png");
    cards->hide();
    adverts->hide();
}

INSTANTIATE_TEST_SUITE_P(Rooms, TeacherRoom, ::testing::Values(false, true), KindName);
