// Room documents and pages: the document list, RsWB_DocChanged, page turning
// through the page controls, board pages, failures of page images.
#include "tests/libs/whiteboardlib/WBTestSupport.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <functional>
#include <vector>

using namespace wbtest;

namespace {

const QRgb kRed = qRgb(220, 0, 0);
const QRgb kGreen = qRgb(0, 180, 0);
const QRgb kBlue = qRgb(0, 0, 220);

WBDocInfo pagedDoc(const std::string& id, const QString& pattern)
{
    WBDocInfo d(id);
    d.fileName = id + ".pptx";
    d.docType = "doc";
    d.pageUrl = pattern.toStdString();
    d.fileSize = "1024";
    d.extName = "pptx";
    d.createTime = "1700000000";
    return d;
}

class Documents : public BoardFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        writeSolidPng(dir.filePath("deck_0001.png"), kRed);
        writeSolidPng(dir.filePath("deck_0002.png"), kGreen);
        writeSolidPng(dir.filePath("deck_0003.png"), kBlue);
        wbdocs::SetRoomDocs("room1", {pagedDoc("deck", dir.filePath("deck_xxxx.png"))});
        BoardFixture::SetUp();
    }

    QWidget* widgetOf(const Answer& a, const char* key)
    {
        return reinterpret_cast<QWidget*>(static_cast<quintptr>(a.map.value(key).toLongLong()));
    }
    QWidget* pageWidget()
    {
        const auto adds = Recorder::get().ofCode(RsWB_AddPageWidget);
        return adds.isEmpty() ? nullptr : widgetOf(adds.first(), "pageWdg");
    }
    QString pageText() { return pageWidget()->findChild<QLabel*>("WBPageLabel")->text(); }
    QToolButton* button(const char* name) { return pageWidget()->findChild<QToolButton*>(name); }
    bool centreIs(QRgb c) { return isColor(pixel(320, 180), c, 10); }
    std::vector<std::string> ids()
    {
        std::vector<std::string> out;
        for (const auto& d : lib->GetCurDocInfo())
            out.push_back(d.docId);
        return out;
    }

    QTemporaryDir dir;
};

} // namespace

TEST(DocRecord, MatchesByIdOnly)
{
    WBDocInfo a("doc-1");
    a.fileName = "a.pdf";
    WBDocInfo b = pagedDoc("doc-1", "x");
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(WBDocInfo("Doc-1") == b);
    std::vector<WBDocInfo> list{WBDocInfo(""), pagedDoc("k", "p"), WBDocInfo("")};
    list[2].fileName = "second";
    auto it = std::find(list.begin(), list.end(), std::string("k"));
    ASSERT_NE(it, list.end());
    EXPECT_EQ(it->pageUrl, "p");
    EXPECT_EQ(std::find(list.begin(), list.end(), std::string("")), list.begin());
}

TEST_F(Documents, TheListFollowsTheRoomAndEveryChangeIsReported)
{
    EXPECT_EQ(ids(), std::vector<std::string>{"deck"});
    EXPECT_EQ(lib->GetCurDocInfo().front().fileSize, "1024");
    const int reports = Recorder::get().count(RsWB_DocChanged);

    wbdocs::AddRoomDoc("room1", pagedDoc("notes", dir.filePath("n_xxxx.png")));
    ASSERT_TRUE(waitFor([&] { return Recorder::get().count(RsWB_DocChanged) == reports + 1; }));
    EXPECT_EQ(ids(), (std::vector<std::string>{"deck", "notes"}));
    EXPECT_EQ(Recorder::get().ofCode(RsWB_DocChanged).last().map.value("count").toInt(), 2);

    // Nothing new, another room: no report.
    wbdocs::AddRoomDoc("room1", pagedDoc("notes", dir.filePath("n_xxxx.png")));
    wbdocs::AddRoomDoc("room2", pagedDoc("other", "y"));
    settle();
    EXPECT_EQ(Recorder::get().count(RsWB_DocChanged), reports + 1);

    // Deleting asks the room; the list shrinks and is reported.
    EXPECT_TRUE(call([&] { return lib->DeleteDoc("notes"); }));
    ASSERT_TRUE(waitFor([&] { return Recorder::get().count(RsWB_DocChanged) == reports + 2; }));
    EXPECT_EQ(ids(), std::vector<std::string>{"deck"});
    EXPECT_EQ(wbdocs::RoomDocs("room1").size(), 1u);

    // Leaving empties the list, and says so.
    EXPECT_TRUE(lib->LeaveRoom());
    EXPECT_TRUE(lib->GetCurDocInfo().empty());
    ASSERT_TRUE(waitFor([&] { return Recorder::get().count(RsWB_DocChanged) == reports + 3; }));
}

TEST_F(Documents, PagesTurnThroughThePageControls)
{
    ASSERT_NE(pageWidget(), nullptr);
    EXPECT_EQ(pageText(), "1/1"); // the board's own page

    ASSERT_TRUE(lib->OpenDocPages("deck", "0001"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kRed); }));
    EXPECT_EQ(pageText(), "1/3");
    EXPECT_FALSE(button("WBPrevPage")->isEnabled());

    QTest::mouseClick(button("WBNextPage"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return centreIs(kGreen); }));
    EXPECT_EQ(pageText(), "2/3");
    QTest::mouseClick(button("WBNextPage"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return centreIs(kBlue); }));
    EXPECT_EQ(pageText(), "3/3");
    EXPECT_FALSE(button("WBNextPage")->isEnabled());
    QTest::mouseClick(button("WBPrevPage"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return centreIs(kGreen); }));

    // Opening at a later page; each load shows and then withdraws the notice.
    settle();
    const int before = Recorder::get().count(RsWB_ShowPageWidget);
    ASSERT_TRUE(lib->OpenDocPages("deck", "0003"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kBlue); }));
    settle(); // the notices are answered after the page is shown
    const auto notices = Recorder::get().ofCode(RsWB_ShowPageWidget);
    ASSERT_EQ(notices.size(), before + 2);
    EXPECT_TRUE(notices[notices.size() - 2].map.value("show").toBool());
    EXPECT_FALSE(notices.last().map.value("show").toBool());
    EXPECT_NE(notices.last().map.value("widget").toLongLong(), 0);
}

TEST_F(Documents, PagesTurnByKeysAndWheelWithTheControlsOnTheBoard)
{
    // Not taken by the program: the controls sit over the board's bottom
    // left corner, the add control right of the page control.
    QWidget* page = pageWidget();
    QWidget* add = widgetOf(Recorder::get().ofCode(RsWB_AddPageWidget).first(), "addWdg");
    ASSERT_TRUE(waitFor([&] { return page->isVisible() && add->isVisible(); }));
    EXPECT_EQ(page->parentWidget(), host.get());
    EXPECT_EQ(page->geometry().topLeft(), QPoint(10, 320));
    EXPECT_EQ(add->geometry().left(), page->geometry().right() + 5);

    ASSERT_TRUE(lib->OpenDocPages("deck", "0001"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kRed); }));
    struct Step {
        std::function<void()> act;
        QRgb shows;
        const char* text;
    };
    auto key = [this](Qt::Key k) { return [this, k] { QTest::keyClick(board(), k); }; };
    auto wheel = [this](int delta) {
        return [this, delta] {
            QWheelEvent e(QPointF(320, 180), QPointF(board()->mapToGlobal(QPoint(320, 180))), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(board(), &e);
        };
    };
    const std::vector<Step> steps = {
        {key(Qt::Key_PageDown), kGreen, "2/3"}, {key(Qt::Key_Right), kBlue, "3/3"},
        {key(Qt::Key_PageDown), kBlue, "3/3"},  // no page after the last
        {key(Qt::Key_PageUp), kGreen, "2/3"},   {wheel(-120), kBlue, "3/3"},
        {wheel(120), kGreen, "2/3"},            {wheel(60), kGreen, "2/3"},  // half a notch turns nothing
        {wheel(60), kRed, "1/3"},               {key(Qt::Key_Left), kRed, "1/3"},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i].act();
        ASSERT_TRUE(waitFor([&] { return centreIs(steps[i].shows) && pageText() == steps[i].text; }))
            << "step " << i << ": " << pageText().toStdString();
        settle();
    }

    // Taken by the program, the controls stay where it puts them.
    QWidget bar;
    page->setParent(&bar);
    add->setParent(&bar);
    page->move(7, 3);
    host->resize(700, 400);
    QTest::qWait(20);
    EXPECT_EQ(page->pos(), QPoint(7, 3));
    page->setParent(host.get());
    add->setParent(host.get());
    host->resize(640, 360);

    // Out of the room they are hidden.
    ASSERT_TRUE(lib->LeaveRoom());
    EXPECT_FALSE(page->isVisible());
    EXPECT_FALSE(add->isVisible());
}

TEST_F(Documents, DrawingsStayWithTheirPage)
{
    ASSERT_TRUE(lib->OpenDocPages("deck", "0001"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kRed); }));
    lib->SetTool(WBTool_Pen);
    lib->SetPenColor(0x000000);
    lib->SetPenWidth(8);
    drag(QPoint(10, 20), QPoint(630, 20));
    EXPECT_TRUE(isColor(pixel(320, 20), qRgb(0, 0, 0)));

    ASSERT_TRUE(lib->OpenDocPages("deck", "0002"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kGreen); }));
    EXPECT_FALSE(isColor(pixel(320, 20), qRgb(0, 0, 0)));
    ASSERT_TRUE(lib->OpenDocPages("deck", "0001"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kRed); }));
    EXPECT_TRUE(isColor(pixel(320, 20), qRgb(0, 0, 0)));

    // Deleting the document shown brings the board page back.
    ASSERT_TRUE(lib->DeleteDoc("deck"));
    EXPECT_TRUE(centreIs(qRgb(255, 255, 255)));
    EXPECT_EQ(pageText(), "1/1");
}

TEST_F(Documents, TheAddControlMakesBoardPages)
{
    lib->SetTool(WBTool_Pen);
    lib->SetPenColor(0x0000FF);
    lib->SetPenWidth(8);
    drag(QPoint(10, 20), QPoint(630, 20));
    auto* add = widgetOf(Recorder::get().ofCode(RsWB_AddPageWidget).first(), "addWdg");
    ASSERT_NE(add, nullptr);
    QTest::mouseClick(static_cast<QToolButton*>(add), Qt::LeftButton);
    EXPECT_EQ(pageText(), "2/2");
    EXPECT_FALSE(isColor(pixel(320, 20), kBlue, 60)); // a fresh page
    QTest::mouseClick(button("WBPrevPage"), Qt::LeftButton);
    EXPECT_EQ(pageText(), "1/2");
    EXPECT_TRUE(isColor(pixel(320, 20), qRgb(0, 0, 255), 10));
}

TEST_F(Documents, MissingPagesAndBadRequestsFailClearly)
{
    wbdocs::AddRoomDoc("room1", pagedDoc("gone", dir.filePath("gone_xxxx.png")));
    WBDocInfo media = pagedDoc("clip", dir.filePath("clip.mp4"));
    media.docType = "media";
    wbdocs::AddRoomDoc("room1", media);
    WBDocInfo noPages = pagedDoc("blank", "");
    wbdocs::AddRoomDoc("room1", noPages);
    ASSERT_TRUE(waitFor([&] { return lib->GetCurDocInfo().size() == 4; }));

    // The page image is missing: the failure notice, a log line, the board unchanged.
    ASSERT_TRUE(lib->OpenDocPages("gone", "0001"));
    ASSERT_TRUE(waitFor([] {
        const auto failed = Recorder::get().ofCode(RsWB_HidePageWidget);
        return !failed.isEmpty() && failed.last().map.value("show").toBool();
    }));
    EXPECT_TRUE(Recorder::get().logged("gone_0001.png"));
    EXPECT_TRUE(centreIs(qRgb(255, 255, 255)));
    EXPECT_EQ(pageText(), "1/1");

    // A page past the end of a document fails the same way and keeps the page shown.
    ASSERT_TRUE(lib->OpenDocPages("deck", "0002"));
    ASSERT_TRUE(waitFor([&] { return centreIs(kGreen); }));
    settle();
    EXPECT_FALSE(Recorder::get().ofCode(RsWB_HidePageWidget).last().map.value("show").toBool());
    ASSERT_TRUE(lib->OpenDocPages("deck", "0009"));
    ASSERT_TRUE(waitFor([] { return Recorder::get().ofCode(RsWB_HidePageWidget).last().map.value("show").toBool(); }));
    EXPECT_TRUE(centreIs(kGreen));

    struct Case { QString id; QString page; };
    const Case bad[] = {{"", "0001"}, {"nosuch", "0001"}, {"deck", "abc"}, {"deck", "0000"},
                        {"clip", "0001"}, {"blank", "0001"}};
    for (const auto& c : bad)
        EXPECT_FALSE(lib->OpenDocPages(c.id, c.page)) << c.id.toStdString() << " " << c.page.toStdString();
    EXPECT_FALSE(lib->DeleteDoc(""));
    EXPECT_FALSE(lib->DeleteDoc("nosuch"));
    settle();
    EXPECT_TRUE(Recorder::get().logged("no document nosuch"));
}

TEST_F(Documents, ReleasingWhilePagesLoadIsSafe)
{
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(lib->OpenDocPages("deck", "0001"));
        ASSERT_TRUE(lib->OpenDocPages("deck", "0002"));
        QTest::qWait(i); // let some loads finish and some not
    }
    QPointer<QWidget> widget = board();
    WBReleaseLib(lib);
    lib = nullptr;
    const int seen = Recorder::get().answers().size();
    QTest::qWait(50); // what was on its way is dropped
    EXPECT_EQ(Recorder::get().answers().size(), seen);
    EXPECT_FALSE(widget.isNull());
}
