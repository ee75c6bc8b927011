// The cloud disk pages against the client library's in-process school:
// listing, entering and leaving folders, making, renaming and deleting,
// failed and malformed listings, the group disk's read-only browsing.
#include "tests/courseware/DocSession.h"
#include "tests/widgets/WidgetTestUtil.h"

#include "courseware/DocFileItem.h"
#include "courseware/DocFilePage.h"
#include "courseware/DocGroupNetPage.h"
#include "courseware/DocMyNetPage.h"
#include "courseware/NetDirCtrl.h"

#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using doctest::DocSession;
using doctest::rowNames;

namespace {

QStringList pathOf(NetDirCtrl* bar)
{
    QStringList out;
    for (int i = 0; i < bar->ButtonCount(); ++i)
        out << bar->Button(i)->text();
    return out;
}

// Types a name into a row's open editor and presses Return.
void typeName(DocFileItem* row, const QString& name)
{
    auto* edit = row->findChild<QLineEdit*>("lineName");
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

TEST(DocMyNetPage, WalksFoldersAndBackByThePath)
{
    DocSession s;
    DocMyNetPage* page = s.panel->MyNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    EXPECT_EQ(rowNames(page->List()), (QStringList{"课件", "song.mp3"}));
    EXPECT_EQ(pathOf(page->DirBar()), QStringList{"全部资料"});
    EXPECT_EQ(s.calls("ListNetFolder").value(0), (QVariantList{"teacher", "81", "0"}));

    page->onItemPressed(doctest::itemNamed(page->List(), "课件"));
    EXPECT_TRUE(page->DirBar()->IsBusy());
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()) == QStringList{"a.pdf"}; }, 20000));
    EXPECT_EQ(pathOf(page->DirBar()), (QStringList{"全部资料", ">", "课件"}));
    EXPECT_FALSE(page->DirBar()->IsBusy());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the panel popped it

    s.panel->show();
    s.panel->on_btnMyNet_clicked();
    doctest::saveScreenshot(s.panel, "doc_my_net_page_folder.png");

    QTest::mouseClick(page->DirBar()->Button(0), Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    EXPECT_EQ(pathOf(page->DirBar()), QStringList{"全部资料"});
    EXPECT_NE(doctest::logText().find("open dir 全部资料, 0"), std::string::npos);
}

TEST(DocMyNetPage, MakesRenamesAndDeletesThenListsAgain)
{
    DocSession s;
    DocMyNetPage* page = s.panel->MyNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));

    // An empty new-folder name removes the row without a request.
    page->on_btnMakeDir_clicked();
    ASSERT_EQ(page->List()->count(), 3);
    typeName(doctest::rowNamed(page->List(), "新建目录"), "");
    EXPECT_EQ(page->List()->count(), 2);
    EXPECT_TRUE(s.calls("MakeNetDir").isEmpty());

    page->on_btnMakeDir_clicked();
    typeName(doctest::rowNamed(page->List(), "新建目录"), "第 一 章");
    ASSERT_EQ(s.calls("MakeNetDir").size(), 1);
    EXPECT_EQ(s.calls("MakeNetDir")[0], (QVariantList{"teacher", "0", "第 一 章", "81"}));
    // The new row stays as it is until the folder is listed again.
    ASSERT_TRUE(testsupport::waitUntil([&] {
        DocFileItem* row = doctest::rowNamed(page->List(), "第 一 章");
        return row && row->GetMode() == DocFileItem::ModeNetEdit;
    }, 20000));

    DocFileItem* made = doctest::rowNamed(page->List(), "第 一 章");
    made->on_btnReName_clicked();
    typeName(made, "新 名");

    ASSERT_EQ(s.calls("RenameNetFile").size(), 1);
    EXPECT_EQ(s.calls("RenameNetFile")[0][2].toString(), "%E6%96%B0+%E5%90%8D");
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()).contains("新 名"); }, 20000));

    DocFileItem* renamed = doctest::rowNamed(page->List(), "新 名");
    renamed->on_btnDel_clicked();
    auto boxes = doctest::shownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    QTest::mouseClick(doctest::boxButton(boxes[0], "btnOk"), Qt::LeftButton);
    ASSERT_EQ(s.calls("DeleteNetFile").size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()).size() == 2; }, 20000));
    EXPECT_FALSE(rowNames(page->List()).contains("新 名"));

    // A refused folder name (the same name twice) shows the server's reason.
    page->on_btnMakeDir_clicked();
    typeName(doctest::rowNamed(page->List(), "新建目录"), "课件");
    ASSERT_TRUE(s.waitResult(RsC_Http_NetMakeDir, 2));
    ASSERT_TRUE(testsupport::waitUntil([] { return !doctest::shownBoxes().empty(); }));
    EXPECT_TRUE(doctest::boxText(doctest::shownBoxes()[0]).startsWith("创建云盘目录失败！"));
    EXPECT_TRUE(doctest::boxText(doctest::shownBoxes()[0]).endsWith("(code=409)"));
    EXPECT_FALSE(doctest::boxButton(doctest::shownBoxes()[0], "btnCancel")->isVisible());
    doctest::saveScreenshot(doctest::shownBoxes()[0], "doc_my_net_page_make_dir_failed.png");
}

TEST(DocMyNetPage, FailedMalformedAndStrayListingsLoseNothing)
{
    DocSession s;
    DocMyNetPage* page = s.panel->MyNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, 2));  // both disks' roots
    ASSERT_EQ(page->List()->count(), 2);
    const int listings = s.results.count(RsC_Http_NetFolderList);

    // A failed listing takes the folder's level back off the path.
    ClientLibTestControl::FailNextRequest(DocSession::lib(), -100);
    ClientLibTestControl::SetRequestTimeout(DocSession::lib(), 200);
    page->onItemPressed(doctest::itemNamed(page->List(), "课件"));
    ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, listings + 1));
    ClientLibTestControl::SetRequestTimeout(DocSession::lib(), 10000);
    EXPECT_EQ(pathOf(page->DirBar()), QStringList{"全部资料"});
    EXPECT_EQ(page->List()->count(), 2);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    struct Case {
        const char* name;
        QVariantMap answer;
        const char* logged;
    } cases[] = {
        {"listFiles not a list",
         {{"code", 0}, {"user_data", QVariantMap{{"uuid", "0"}, {"userType", "teacher"}}}, {"listFiles", "oops"}},
         "bad folder listing for 0: listFiles is QString"},
        {"listFiles missing", {{"code", 0}, {"user_data", QVariantMap{{"uuid", "0"}, {"userType", "teacher"}}}},
         "bad folder listing for 0: listFiles is missing"},
        {"another folder",
         {{"code", 0}, {"user_data", QVariantMap{{"uuid", "zz"}, {"userType", "teacher"}}}, {"listFiles", QVariantList{}}},
         "curDir not eq retDir. cur 0, ret zz"},
    };
    for (const Case& c : cases) {
        const size_t before = doctest::logText().size();
        const int n = s.results.count(RsC_Http_NetFolderList);
        ClientLibTestControl::InjectCommand(DocSession::lib(), RsC_Http_NetFolderList, c.answer);
        ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, n + 1)) << c.name;
        EXPECT_EQ(rowNames(page->List()), (QStringList{"课件", "song.mp3"})) << c.name;
        EXPECT_EQ(doctest::countOf(doctest::logText().substr(before), c.logged), 1) << c.name;
    }

    // Entries that are not maps are skipped; the others are shown.
    ClientLibTestControl::InjectCommand(
        DocSession::lib(), RsC_Http_NetFolderList,
        QVariantMap{{"code", 0},
                    {"user_data", QVariantMap{{"uuid", "0"}, {"userType", "teacher"}}},
                    {"listFiles", QVariantList{7, QVariantMap{{"uuid", "x"}, {"name", "x.pdf"}, {"file_type", 1},
                                                              {"file_url", "u"}, {"size", "12"}}}}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()) == QStringList{"x.pdf"}; }));
    EXPECT_EQ(page->Entries().at(0).size, 12);
}

TEST(DocMyNetPage, ConvertingDocumentsArePolledUntilTheyHaveAnAddress)
{
    DocSession s;
    DocMyNetPage* page = s.panel->MyNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    const QString now = QDateTime::currentDateTime().addSecs(-600).toString("yyyy-MM-dd hh:mm:ss");
    const QString old = QDateTime::currentDateTime().addSecs(-7200).toString("yyyy-MM-dd hh:mm:ss");
    auto entry = [](const QString& name, const QString& guid, const QString& made) {
        return QVariantMap{{"uuid", name}, {"name", name}, {"file_type", 1}, {"file_url", ""}, {"guid", guid},
                           {"create_time", made}, {"size", 10}};
    };
    ClientLibTestControl::InjectCommand(
        DocSession::lib(), RsC_Http_NetFolderList,
        QVariantMap{{"code", 0},
                    {"user_data", QVariantMap{{"uuid", "0"}, {"userType", "teacher"}}},
                    {"listFiles", QVariantList{entry("new.pdf", "gn", now), entry("old.pdf", "go", old)}}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2 && rowNames(page->List())[0] == "new.pdf"; }));
    DocFileItem* converting = doctest::rowNamed(page->List(), "new.pdf");
    EXPECT_EQ(converting->findChild<QPushButton*>("failedBtn")->text(), "课件转换中");
    EXPECT_EQ(converting->height(), DocFileItem::kTipRowHeight);

    // A converting document cannot be picked.
    QSignalSpy picked(page, &DocMyNetPage::sgSelectNetFile);
    page->onItemPressed(doctest::itemNamed(page->List(), "new.pdf"));
    EXPECT_EQ(picked.count(), 0);

    ClientLibTestControl::ClearCalls(DocSession::lib());
    for (int tick = 1; tick <= 10; ++tick)
        page->TimerUpdate(tick);
    const auto polls = s.calls("GetNetDocStatus");
    ASSERT_EQ(polls.size(), 2);  // ticks 5 and 10, only the young document
    EXPECT_EQ(polls[0][0].toMap(), (QVariantMap{{"groupid", "81"}, {"userType", "teacher"}, {"docid", "gn"}}));

    // A "status" 1 answer lists the folder again.
    const int n = s.results.count(RsC_Http_NetFolderList);
    ClientLibTestControl::InjectCommand(DocSession::lib(), RsC_Http_NetDocStatus,
                                        QVariantMap{{"code", 0}, {"status", 1},
                                                    {"user_data", QVariantMap{{"userType", "teacher"}}}});
    ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, n + 1));
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()) == (QStringList{"课件", "song.mp3"}); }));
}

TEST(DocGroupNetPage, BrowsesReadOnlyAndListsAgainOnEveryShow)
{
    DocSession s;
    DocGroupNetPage* page = s.panel->GroupNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 1; }, 20000));
    EXPECT_EQ(s.calls("ListNetFolder").value(1), (QVariantList{"group", "81", "0"}));
    EXPECT_FALSE(page->findChild<QWidget*>("UpFileWdg")->isVisibleTo(page));
    EXPECT_EQ(page->findChild<QPushButton*>("btnMakeDir"), nullptr);

    page->onItemPressed(doctest::itemNamed(page->List(), "教研组"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()) == QStringList{"b.pptx"}; }, 20000));
    DocFileItem* row = doctest::rowNamed(page->List(), "b.pptx");
    EXPECT_EQ(row->GetMode(), DocFileItem::ModeNetRead);
    EXPECT_FALSE(row->findChild<QPushButton*>("btnReName")->isVisibleTo(row));
    EXPECT_FALSE(row->findChild<QPushButton*>("btnDel")->isEnabled());

    // The converted document is picked for the class with cloud type "0".
    // The school converts it shortly; list the folder again until it has.
    bool converted = false;
    for (int i = 0; i < 200 && !converted; ++i) {
        const int n = s.results.count(RsC_Http_NetFolderList);
        page->RefreshDir();
        ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, n + 1));
        converted = !doctest::rowNamed(page->List(), "b.pptx")->GetNetFile().file_url.empty();
    }
    ASSERT_TRUE(converted);
    QSignalSpy picked(page, &DocGroupNetPage::sgSelectNetFile);
    page->onItemPressed(doctest::itemNamed(page->List(), "b.pptx"));
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][0].toMap(), (QVariantMap{{"guid", "gg1"}, {"cloudType", "0"}, {"name", "b.pptx"}}));

    // Each showing of the panel lists the current group folder again.
    const size_t before = doctest::logText().size();
    ClientLibTestControl::ClearCalls(DocSession::lib());
    s.panel->show();
    s.panel->hide();
    s.panel->show();
    EXPECT_EQ(s.calls("ListNetFolder").size(), 2);
    EXPECT_EQ(s.calls("ListNetFolder").value(0), (QVariantList{"group", "81", "gd1"}));
    EXPECT_EQ(doctest::countOf(doctest::logText().substr(before), "open dir 教研组, gd1"), 2);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    s.panel->on_btnGroupNet_clicked();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 1; }, 20000));
    doctest::saveScreenshot(s.panel, "doc_group_net_page.png");

    // A listing of the teacher's own disk never reaches this page.
    ClientLibTestControl::InjectCommand(
        DocSession::lib(), RsC_Http_NetFolderList,
        QVariantMap{{"code", 0}, {"user_data", QVariantMap{{"uuid", "gd1"}, {"userType", "teacher"}}},
                    {"listFiles", QVariantList{}}});
    const int n = s.results.count(RsC_Http_NetFolderList);
    ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, n));
    QCoreApplication::processEvents();
    EXPECT_EQ(page->List()->count(), 1);
}

TEST(DocMyNetPage, TheWaitCursorIsTheFoldersOwnAndTakenBackOnce)
{
    DocSession s;
    DocMyNetPage* page = s.panel->MyNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    // Another component's cursor is on Qt's stack before the panel waits.
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    // Two folder requests before any answer: one wait cursor.
    page->onItemPressed(doctest::itemNamed(page->List(), "课件"));
    page->onNetDirCmd(QVariantMap{{"name", "课件"}, {"uuid", "f1"}});
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ASSERT_TRUE(testsupport::waitUntil([&] { return rowNames(page->List()) == QStringList{"a.pdf"}; }, 20000));
    // The answers, showing and hiding the panel take the panel's cursor back
    // once and never the other one.
    s.panel->show();
    s.panel->hide();
    s.panel->TimerUpdate(1);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(DocMyNetPage, FileDialogsOpenAboveThePanel)
{
    DocSession s;
    for (QWidget* page : {static_cast<QWidget*>(s.panel->MyNetPage()), static_cast<QWidget*>(s.panel->FilePage())}) {
        QFileDialog* dialog = nullptr;
        if (auto* my = qobject_cast<DocMyNetPage*>(page))
            dialog = my->FileDialog();
        else if (auto* room = qobject_cast<DocFilePage*>(page))
            dialog = room->FileDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), s.panel) << "a child of the panel's window, freed with it";
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("选择课件"));
        EXPECT_EQ(dialog->viewMode(), QFileDialog::Detail);
    }
    QFileDialog* group = s.panel->GroupNetPage()->FileDialog();
    EXPECT_EQ(group->parentWidget(), s.panel);
    EXPECT_EQ(group->nameFilters(), QStringList{"*.ppt *.pptx *.doc *.docx *.pdf"});
}

TEST(DocPages, TheFormatButtonsShowTheSupportedFormatsPicture)
{
    DocSession s;
    s.panel->show();
    const struct {
        QWidget* page;
        const char* button;
    } cases[] = {
        {s.panel->FilePage(), "btnShowDocType"},
        {s.panel->FilePage(), "btnShowDocType2"},
        {s.panel->MyNetPage(), "btnShowDocType"},
        {s.panel->MyNetPage(), "btnShowDocType2"},
    };
    for (const auto& c : cases) {
        auto* button = c.page->findChild<QPushButton*>(c.button);
        ASSERT_NE(button, nullptr) << c.button;
        // Both buttons open the menu at the arrow, which points up while open.
        auto* arrow = c.page->findChild<QPushButton*>("btnShowDocType2");
        QString arrowWhileOpen;
        QSize picture;
        QString pictureStyle;
        QPoint at;
        bool seen = false;
        widgettest::whenShown<QMenu>([&](QMenu* menu) {
            seen = true;
            QCoreApplication::processEvents();
            arrowWhileOpen = arrow->styleSheet();
            if (auto* label = menu->findChild<QLabel*>()) {
                picture = label->size();
                pictureStyle = label->styleSheet();
            }
            at = menu->pos();
            menu->close();
        });
        button->click();  // the menu runs modally until the test closes it
        ASSERT_TRUE(seen) << c.button;
        EXPECT_EQ(arrowWhileOpen, "border-image: url(:/doc/res/doc/downup.png);") << c.button;
        EXPECT_EQ(arrow->styleSheet(), "border-image: url(:/doc/res/doc/down.png);") << c.button;
        EXPECT_EQ(picture, QSize(264, 309)) << c.button;
        EXPECT_TRUE(pictureStyle.contains("border-image: url(:/doc/res/doc/docType.png)")) << c.button;
        EXPECT_EQ(at, arrow->mapToGlobal(QPoint(arrow->width(), arrow->height()))) << c.button;
    }
}

// A refill of a page's list keeps an open delete question: answered after
// the refill it deletes the entry it asked about; when the refill no longer
// lists that entry the question goes unanswered.
TEST(DocPages, ARefillKeepsAnOpenDeleteQuestion)
{
    DocSession s;
    s.panel->show();

    // The room page, refilled by the whiteboard library's document list.
    DocFilePage* room = s.panel->FilePage();
    auto* list = room->findChild<QListWidget*>("listWidget");
    WBDocInfo a("d1"), b("d2");
    a.fileName = "讲义.pdf";
    b.fileName = "图.png";
    s.panel->SetDocList({a, b});
    doctest::rowNamed(list, "图.png")->on_btnDel_clicked();
    s.panel->SetDocList({a, b});
    ASSERT_EQ(doctest::shownBoxes().size(), 1u) << "the refill closed the question";
    QTest::mouseClick(doctest::boxButton(doctest::shownBoxes()[0], "btnOk"), Qt::LeftButton);
    EXPECT_EQ(rowNames(list), QStringList{"讲义.pdf"});

    doctest::rowNamed(list, "讲义.pdf")->on_btnDel_clicked();
    s.panel->SetDocList({b});  // the document went meanwhile
    QCoreApplication::processEvents();
    EXPECT_TRUE(doctest::shownBoxes().empty());
    EXPECT_EQ(rowNames(list), QStringList{"图.png"});

    // The own cloud disk, refilled by a new listing of its folder.
    DocMyNetPage* page = s.panel->MyNetPage();
    s.panel->InitPages();
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    const QString uuid = QString::fromStdString(doctest::rowNamed(page->List(), "song.mp3")->GetNetFile().uuid);
    doctest::rowNamed(page->List(), "song.mp3")->on_btnDel_clicked();
    const int listings = s.results.count(RsC_Http_NetFolderList);
    page->onNetDirCmd(QVariantMap{{"name", "全部资料"}, {"uuid", "0"}});
    ASSERT_TRUE(s.waitResult(RsC_Http_NetFolderList, listings + 1));
    ASSERT_TRUE(testsupport::waitUntil([&] { return page->List()->count() == 2; }, 20000));
    ASSERT_EQ(doctest::shownBoxes().size(), 1u) << "the listing closed the question";
    QTest::mouseClick(doctest::boxButton(doctest::shownBoxes()[0], "btnOk"), Qt::LeftButton);
    ASSERT_EQ(s.calls("DeleteNetFile").size(), 1);
    EXPECT_EQ(s.calls("DeleteNetFile")[0].value(1).toString(), uuid);
}
