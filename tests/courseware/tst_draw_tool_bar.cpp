// The drawing tool bar: its form, every tool choice as the whiteboard
// library's state, the layouts by role and room kind, placement over the
// board, dragging by the border, the menu's hiding, the student permissions.
#include "tests/courseware/DrawToolTestUtil.h"
#include "tests/widgets/FilePromptAnswers.h"
#include "tests/widgets/WidgetTestUtil.h"
#include "QtWait.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QStackedWidget>

using drawtest::DrawToolTest;
using namespace drawtest;
using widgettest::sendMouse;

TEST_F(DrawToolTest, FormAndToolTable)
{
    makeBar();
    EXPECT_EQ(bar->objectName(), "DrawTooBarForm");
    EXPECT_EQ(bar->windowTitle(), "Form");
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(bar->hasMouseTracking());
    EXPECT_TRUE(bar->findChild<QWidget*>("multimediaWidget")->isHidden());
    EXPECT_TRUE(button("screenshotBtn")->isHidden());
    const struct {
        const char* name;
        int id;  // -1: in no group
        const char* shortcut;
        const char* tip;
        bool checkable;
    } table[] = {
        {"noneBtn", 0, "Ctrl+G", "PPT点击(ctrl+G)", true},
        {"moveBtn", 1, "Ctrl+M", "选择和移动(ctrl+M)", true},
        {"penBtn", 2, "Ctrl+P", "画笔(ctrl+P)", true},
        {"textBtn", 3, "Ctrl+T", "文本(ctrl+T)", true},
        {"graphBtn", 4, "Ctrl+1", "直线(ctrl+1)", true},
        {"deleteBtn", 5, "Ctrl+D", "删除(ctrl+D/Del)", true},
        {"laserPenBtn", 6, "Ctrl+L", "荧光笔(ctrl+L)", true},
        {"clearBtn", -1, "Ctrl+C", "清屏(ctrl+C)", false},
        {"screenshotBtn", -1, "", "", false},
    };
    for (const auto& t : table) {
        OperatePushButton* b = button(t.name);
        ASSERT_NE(b, nullptr) << t.name;
        EXPECT_EQ(b->size(), QSize(30, 30)) << t.name;
        EXPECT_EQ(bar->GetToolGroup()->id(b), t.id) << t.name;
        EXPECT_EQ(b->GetHoverType(), std::max(0, t.id)) << t.name;
        EXPECT_EQ(b->shortcut(), QKeySequence(t.shortcut)) << t.name;
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(t.tip)) << t.name;
        EXPECT_EQ(b->isCheckable(), t.checkable) << t.name;
        EXPECT_TRUE(b->text().isEmpty()) << t.name;
    }
    for (const auto& m : {std::pair<const char*, const char*>{"insertAudioBtn", "Aud"}, {"insertVideoBtn", "Vid"},
                          {"insertPictureBtn", "Pic"}})
        EXPECT_EQ(bar->findChild<QPushButton*>(m.first)->text(), m.second);
    const struct {
        const char* name;
        int hover;
        bool checkable;
    } students[] = {{"stuClick", 0, false}, {"stuSelect", 0, true}, {"stuPen", 2, true}, {"stuText", 3, true},
                    {"stuDelete", 0, true}};
    for (const auto& s : students) {
        OperatePushButton* b = button(s.name);
        ASSERT_NE(b, nullptr) << s.name;
        EXPECT_EQ(b->size(), QSize(46, 46)) << s.name;
        EXPECT_EQ(b->GetHoverType(), s.hover) << s.name;
        EXPECT_EQ(b->isCheckable(), s.checkable) << s.name;
        EXPECT_EQ(b->group() != nullptr, s.checkable) << s.name;
    }
    EXPECT_TRUE(button("stuSelect")->group()->exclusive());
    // Made with "noneBtn" chosen; the menu on the top-level window, hidden.
    EXPECT_EQ(bar->GetToolGroup()->checkedId(), 0);
    EXPECT_EQ(tool(), WBTool_Click);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->parentWidget(), area);
    EXPECT_TRUE(menu->isHidden());
    EXPECT_EQ(button("penBtn")->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(DrawToolTest, EveryToolChoiceReachesTheBoard)
{
    makeBar();
    bar->InitToolBar();
    const struct {
        const char* name;
        int code;
    } clicks[] = {
        {"noneBtn", WBTool_Click}, {"moveBtn", WBTool_Select},    {"penBtn", WBTool_Pen},
        {"textBtn", WBTool_Text},  {"graphBtn", WBTool_Line},     {"deleteBtn", WBTool_Delete},
        {"laserPenBtn", WBTool_Highlighter},
    };
    for (const auto& c : clicks) {
        QTest::mouseClick(button(c.name), Qt::LeftButton);
        EXPECT_EQ(tool(), c.code) << c.name;
        EXPECT_TRUE(button(c.name)->isChecked()) << c.name;
    }
    // The shapes button sends the menu's shape, never the text code 4.
    QTest::mouseClick(menuButton("rectBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Rect);
    EXPECT_TRUE(button("graphBtn")->isChecked());
    QTest::mouseClick(button("graphBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Rect);
    QTest::mouseClick(menuButton("circleBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Ellipse);
    // Another tool forgets the shape: the shapes button starts from the line.
    QTest::mouseClick(button("moveBtn"), Qt::LeftButton);
    QTest::mouseClick(button("graphBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Line);

    // Shortcuts of the shown bar.
    QApplication::setActiveWindow(area);
    ASSERT_TRUE(QTest::qWaitForWindowActive(area));
    const struct {
        Qt::Key key;
        int code;
        int id;
    } keys[] = {{Qt::Key_G, WBTool_Click, 0}, {Qt::Key_1, WBTool_Line, 4}, {Qt::Key_T, WBTool_Text, 3},
                {Qt::Key_D, WBTool_Delete, 5}, {Qt::Key_M, WBTool_Select, 1}, {Qt::Key_L, WBTool_Highlighter, 6},
                {Qt::Key_P, WBTool_Pen, 2}};
    for (const auto& k : keys) {
        QTest::keyClick(area, k.key, Qt::ControlModifier);
        EXPECT_TRUE(testsupport::waitUntil([&] { return tool() == k.code; }, 3000)) << char(k.key);
        EXPECT_EQ(bar->GetToolGroup()->checkedId(), k.id) << char(k.key);
    }

    // Clearing empties the page at once.
    wb()->InsertObject(WBObject_Picture, ":/courseware/res/courseware/draw_pen1.png", QVariant(0));
    ASSERT_TRUE(testsupport::waitUntil([] { return itemCount() == 1; }, 5000));
    QTest::mouseClick(button("clearBtn"), Qt::LeftButton);
    EXPECT_EQ(itemCount(), 0);
}

TEST_F(DrawToolTest, SelectToolSendsTheCodeAgainForTheCheckedToolAndIgnoresUnknownIds)
{
    makeBar();
    bar->InitToolBar();
    ASSERT_EQ(bar->GetToolGroup()->checkedId(), 2);
    wb()->SetTool(WBTool_Highlighter);  // changed behind the bar's back
    EXPECT_FALSE(bar->SelectTool(2));
    EXPECT_EQ(tool(), WBTool_Pen);
    const struct {
        int id;
        int code;
        const char* checked;
    } table[] = {{0, WBTool_Click, "noneBtn"}, {1, WBTool_Select, "moveBtn"}, {3, WBTool_Text, "textBtn"},
                 {5, WBTool_Delete, "deleteBtn"}, {2, WBTool_Pen, "penBtn"}};
    for (const auto& t : table) {
        EXPECT_TRUE(bar->SelectTool(t.id)) << t.id;
        EXPECT_EQ(tool(), t.code) << t.id;
        EXPECT_TRUE(button(t.checked)->isChecked()) << t.id;
    }
    for (int unknown : {4, 6, 7, -1}) {
        EXPECT_FALSE(bar->SelectTool(unknown)) << unknown;
        EXPECT_EQ(tool(), WBTool_Pen) << unknown;
    }
    // The bar's own shapes check sends nothing.
    EXPECT_TRUE(bar->SelectGraphButton());
    EXPECT_FALSE(bar->SelectGraphButton());
    EXPECT_EQ(tool(), WBTool_Pen);
    EXPECT_TRUE(button("graphBtn")->isChecked());
}

TEST_F(DrawToolTest, TeacherBarInASmallRoomSitsAboveTheBoardBottomAndFollowsIt)
{
    makeBar();
    bar->InitToolBar();
    EXPECT_EQ(bar->styleSheet(), "QWidget#DrawTooBarForm {border-radius:10px;background:#5d6971;}");
    EXPECT_EQ(bar->size(), QSize(350, 40));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->findChild<QWidget*>("stuWidget")->isHidden());
    EXPECT_EQ(tool(), WBTool_Pen);
    EXPECT_EQ(penColor(), 0xfd2c0aU);
    EXPECT_EQ(penWidth(), 2);
    EXPECT_EQ(button("penBtn")->GetMarkColor(), 0xfd2c0a);
    EXPECT_EQ(button("textBtn")->GetMarkColor(), 0xfd2c0a);
    const QPoint expected = board()->mapTo(area, QPoint((board()->width() - 350) / 2, board()->height() - 50 - 40));
    EXPECT_EQ(bar->pos(), expected);
    widgettest::saveScreenshot(bar.get(), "draw-tool-bar.png");
    widgettest::saveScreenshot(area, "draw-tool-bar-on-board.png");

    board()->resize(800, 500);  // the board's resize moves the bar
    EXPECT_EQ(bar->pos(), board()->mapTo(area, QPoint((800 - 350) / 2, 500 - 90)));

    // With the media player on the board the bar is placed but not shown.
    auto hidden = std::make_shared<DrawToolBarCtrl>(area);
    CData::instance()->SetStatus(1002, 1);
    hidden->InitToolBar();
    EXPECT_TRUE(hidden->isHidden());
    hidden->UpdatePosition();
    EXPECT_TRUE(hidden->isHidden());
}

TEST_F(DrawToolTest, LiveRoomBarStaysAtTheTopLeftOfItsParent)
{
    setRoom(true);
    QWidget parent(area);
    parent.setGeometry(10, 10, 600, 300);
    parent.show();
    auto live = std::make_shared<DrawToolBarCtrl>(&parent);
    live->InitToolBar();
    EXPECT_TRUE(live->styleSheet().isEmpty());
    EXPECT_EQ(live->size(), QSize(350, 40));
    EXPECT_TRUE(live->isVisible());
    EXPECT_EQ(tool(), WBTool_Pen);
    live->move(40, 50);
    parent.resize(700, 320);
    EXPECT_EQ(live->pos(), QPoint(0, 0));
    live->move(40, 50);
    live->UpdatePosition();  // nothing in live rooms
    EXPECT_EQ(live->pos(), QPoint(40, 50));
    parent.hide();
    parent.show();
    EXPECT_EQ(live->pos(), QPoint(0, 0));
}

TEST_F(DrawToolTest, OnlyTheBorderDragsTheBarAndItStaysInsideItsParent)
{
    makeBar();
    bar->InitToolBar();
    const QPoint start = bar->pos();
    // The inner part: arrow, no drag.
    sendMouse(bar.get(), QEvent::MouseMove, QPoint(100, 20), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);
    sendMouse(bar.get(), QEvent::MouseButtonPress, QPoint(100, 20), Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar.get(), QEvent::MouseMove, QPoint(160, 40), Qt::NoButton, Qt::LeftButton);
    sendMouse(bar.get(), QEvent::MouseButtonRelease, QPoint(160, 40), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(bar->pos(), start);

    // The 4-pixel border: size-all, and the drag follows the pointer.
    const QPoint edge(1, 20);
    sendMouse(bar.get(), QEvent::MouseMove, edge, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeAllCursor);
    const QPoint g = bar->mapToGlobal(edge);
    sendMouse(bar.get(), QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton, g);
    sendMouse(bar.get(), QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton, g + QPoint(-30, -60));
    EXPECT_EQ(bar->pos(), start + QPoint(-30, -60));
    sendMouse(bar.get(), QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton, g + QPoint(-5000, 5000));
    EXPECT_EQ(bar->pos(), QPoint(0, area->height() - 40));
    sendMouse(bar.get(), QEvent::MouseMove, edge, Qt::NoButton, Qt::LeftButton, g + QPoint(5000, -5000));
    EXPECT_EQ(bar->pos(), QPoint(area->width() - 350, 0));
    sendMouse(bar.get(), QEvent::MouseButtonRelease, edge, Qt::LeftButton, Qt::NoButton);
    const QPoint dropped = bar->pos();
    sendMouse(bar.get(), QEvent::MouseMove, QPoint(100, 20), Qt::NoButton, Qt::LeftButton, g);
    EXPECT_EQ(bar->pos(), dropped);
}

TEST_F(DrawToolTest, TheMenuOpensOverPenTextAndShapesAndHidesWhenThePointerLeaves)
{
    makeBar();
    bar->InitToolBar();
    const struct {
        const char* name;
        const char* page;
        QSize size;
    } hovers[] = {{"penBtn", "penPage", {145, 110}}, {"textBtn", "textPage", {145, 110}},
                  {"graphBtn", "graphPage", {100, 30}}};
    for (const auto& h : hovers) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(button(h.name), &enter);
        ASSERT_TRUE(menu->isVisible()) << h.name;
        EXPECT_EQ(menu->findChild<QStackedWidget*>("stackedWidget")->currentWidget()->objectName(), h.page);
        EXPECT_EQ(menu->size(), h.size);
        const QPoint g = button(h.name)->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(menu->pos(), QPoint(g.x() + (30 - h.size.width()) / 2, g.y() - h.size.height() - 5)) << h.name;
        if (QString(h.name) == "penBtn")
            widgettest::saveScreenshot(menu, "draw-tool-menu-pen.png");
        if (QString(h.name) == "textBtn")
            widgettest::saveScreenshot(menu, "draw-tool-menu-text.png");
    }
    widgettest::saveScreenshot(menu, "draw-tool-menu-shapes.png");
    // Another button's hover hides it.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button("moveBtn"), &enter);
    EXPECT_TRUE(menu->isHidden());

    // Shown, the timer runs; with the pointer over neither bar nor menu it hides the menu.
    QApplication::sendEvent(button("penBtn"), &enter);
    ASSERT_TRUE(menu->isVisible());
    QCursor::setPos(menu->geometry().center());
    QTest::qWait(3 * DrawToolBarCtrl::MenuHideMs);
    EXPECT_TRUE(menu->isVisible());  // over the menu it stays
    QCursor::setPos(menu->geometry().topLeft() - QPoint(0, 10));
    EXPECT_TRUE(testsupport::waitUntil([&] { return menu->isHidden(); }, 5000));

    // Pressing the bar hides it too.
    QApplication::sendEvent(button("textBtn"), &enter);
    ASSERT_TRUE(menu->isVisible());
    sendMouse(bar.get(), QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    sendMouse(bar.get(), QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(menu->isHidden());
}

TEST_F(DrawToolTest, StudentPermissionsShowTheColumnAndPickAColourOnlyTheFirstTime)
{
    setRoom(false, true);
    makeBar();
    bar->InitToolBar();
    EXPECT_EQ(bar->size(), QSize(70, 240));
    EXPECT_EQ(bar->styleSheet(), "QWidget#DrawTooBarForm {border-radius:10px;background:transparent;}");
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(bar->findChild<QWidget*>("drawWidget")->isHidden());
    EXPECT_EQ(tool(), WBTool_Click);
    for (const char* name : {"stuClick", "stuSelect", "stuPen", "stuText", "stuDelete"})
        EXPECT_TRUE(button(name)->isHidden()) << name;

    // The texts of the toasts made since the last look.
    auto newToasts = [] {
        QStringList texts;
        for (QWidget* w : QApplication::allWidgets())
            if (qobject_cast<Toast*>(w) && !w->property("drawtest.seen").toBool()) {
                w->setProperty("drawtest.seen", true);
                texts << w->findChild<QLabel*>("label")->text();
            }
        texts.sort();
        return texts;
    };
    newToasts();
    const QString penToast = QString::fromUtf8("老师开启了您的画笔交互功能");
    const QString clickToast = QString::fromUtf8("老师开启了您的点击互动功能");
    EXPECT_TRUE(bar->SetStudentAuth(true, false));
    EXPECT_EQ(tool(), WBTool_Pen);
    EXPECT_TRUE(button("stuPen")->isChecked());
    EXPECT_EQ(newToasts(), QStringList{penToast});
    const int firstColour = menu->GetPenColor();
    EXPECT_NE(firstColour, 0xffffff);
    EXPECT_EQ(penColor(), QRgb(firstColour));
    for (const char* name : {"stuSelect", "stuPen", "stuText", "stuDelete"})
        EXPECT_FALSE(button(name)->isHidden()) << name;
    EXPECT_TRUE(button("stuClick")->isHidden());
    bar->show();
    widgettest::saveScreenshot(bar.get(), "draw-tool-bar-student.png");

    // Granted again: no new colour (the column is already shown).
    QTest::mouseClick(menu->GetPenColorGroup()->buttons().at(10), Qt::LeftButton);
    EXPECT_TRUE(bar->SetStudentAuth(true, true));
    EXPECT_EQ(newToasts(), (QStringList{clickToast, penToast}));
    EXPECT_EQ(menu->GetPenColor(), 0x2e3038);
    EXPECT_FALSE(button("stuClick")->isHidden());

    // The student buttons choose their tools.
    const struct {
        const char* name;
        int code;
    } stu[] = {{"stuSelect", WBTool_Select}, {"stuText", WBTool_Text}, {"stuDelete", WBTool_Delete},
               {"stuPen", WBTool_Pen}};
    for (const auto& s : stu) {
        QTest::mouseClick(button(s.name), Qt::LeftButton);
        EXPECT_EQ(tool(), s.code) << s.name;
    }

    EXPECT_TRUE(bar->SetStudentAuth(false, true));
    EXPECT_EQ(newToasts(), QStringList{clickToast});
    EXPECT_EQ(tool(), WBTool_Click);
    EXPECT_FALSE(button("stuClick")->isHidden());
    for (const char* name : {"stuSelect", "stuPen", "stuText", "stuDelete"})
        EXPECT_TRUE(button(name)->isHidden()) << name;
}

TEST_F(DrawToolTest, InsertingAFileHandsTheChosenFileToTheBoard)
{
    makeBar();
    bar->InitToolBar();
    testsupport::TempDir dir;
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString png = QString::fromStdString(dir.path()) + "/board.png";
    ASSERT_TRUE(picture.save(png));
    const QString mp3 = QString::fromStdString(dir.write("song.mp3", "ID3"));
    const QString mp4 = QString::fromStdString(dir.write("clip.mp4", "ftyp"));
    const struct {
        const char* button;
        QString filter;
        QString chosen;  // empty: the question is cancelled
        QString onBoard; // what the board then shows on top
    } cases[] = {
        {"insertPictureBtn", "*.jpg *.jpeg *.png *.bmp", QString(), QString()},
        {"insertPictureBtn", "*.jpg *.jpeg *.png *.bmp", png, "picture"},
        {"insertAudioBtn", "*.mp3 *.wav *.m4a", QString(), QString()},
        {"insertAudioBtn", "*.mp3 *.wav *.m4a", mp3, "audio song.mp3"},
        {"insertVideoBtn", "*.rmvb *.flv *.mp4 *.avi", QString(), QString()},
        {"insertVideoBtn", "*.rmvb *.flv *.mp4 *.avi", mp4, "video clip.mp4"},
    };
    widgettest::FilePromptAnswers answers;
    int expected = 0;
    for (const auto& c : cases) {
        answers.names << c.chosen;
        const int asked = answers.asked.size();
        QMetaObject::invokeMethod(bar.get(), (std::string("on_") + c.button + "_clicked").c_str());
        ASSERT_EQ(answers.asked.size(), asked + 1) << c.button;
        EXPECT_FALSE(answers.asked.last().save);
        EXPECT_EQ(answers.asked.last().caption, "选择文件");
        EXPECT_EQ(answers.asked.last().dir, ".");
        EXPECT_EQ(answers.asked.last().filter, c.filter) << c.button;
        if (!c.chosen.isEmpty())
            ++expected;
        // The board takes what was chosen; a cancelled question adds nothing
        // (the next insertion shows it: the count never runs ahead of it).
        ASSERT_TRUE(testsupport::waitUntil([&] { return itemCount() >= expected; }, 5000)) << c.button;
        EXPECT_EQ(itemCount(), expected) << c.button;
        // Sound and video are told apart: each kind is its own object.
        if (!c.chosen.isEmpty()) {
            EXPECT_EQ(board()->property("itemKinds").toStringList().value(expected - 1), c.onBoard) << c.button;
        }
    }
    // Insertions land in order: once a last picture is on the board, any
    // stray insertion of a cancelled question would be too.
    answers.names << png;
    bar->on_insertPictureBtn_clicked();
    ASSERT_TRUE(testsupport::waitUntil([&] { return itemCount() >= expected + 1; }, 5000));
    EXPECT_EQ(itemCount(), expected + 1);
}
