// The document row: icon by extension, size text, room and cloud filling,
// the tip line, the inline editor's one answer, the delete confirmation.
#include "courseware/DocFileItem.h"
#include "QtWait.h"
#include "tests/courseware/DocTestUtil.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

using doctest::logText;

namespace {

QLabel* label(DocFileItem& row, const char* name) { return row.findChild<QLabel*>(name); }
QPushButton* button(DocFileItem& row, const char* name) { return row.findChild<QPushButton*>(name); }
QLineEdit* editor(DocFileItem& row) { return row.findChild<QLineEdit*>("lineName"); }

WBDocInfo roomDoc(const std::string& id, const std::string& name, const std::string& ext, const std::string& size)
{
    WBDocInfo d(id);
    d.fileName = name;
    d.extName = ext;
    d.fileSize = size;
    d.createTime = "2026-12-01 08:00:00";
    return d;
}

// The icon a row shows, compared with the resource picture scaled the same way.
bool showsIcon(DocFileItem& row, const char* icon)
{
    const QPixmap want = QPixmap(icon).scaled(20, 20, Qt::KeepAspectRatio, Qt::FastTransformation);
    return label(row, "labIcon")->pixmap(Qt::ReturnByValue).toImage() == want.toImage();
}

}  // namespace

TEST(DocFileItem, SizeTexts)
{
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, "0 Bytes"}, {500, "500 Bytes"}, {1023, "1023 Bytes"}, {1024, "1 KB"}, {1600, "2 KB"},
        {1048576, "1.00 MB"}, {31457280, "30.00 MB"}, {qint64(5) << 40, "5.00 TB"},
        {-1, "-"},  // an entry made empty: harmless, never outside the unit list
        {std::numeric_limits<qint64>::max(), "8.00 EB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DocFileItem::FormatSize(c.bytes).toStdString(), c.text) << c.bytes;
}

TEST(DocFileItem, IconByExtensionIgnoresCaseAndFallsBackToTheName)
{
    const struct {
        const char* ext;
        const char* name;
        const char* icon;
        bool warns;
    } cases[] = {
        {"", "Report.PDF", ":/doc/res/doc/pdf.png", false},
        {"DOCX", "x", ":/doc/res/doc/word.png", false},
        {"", "a.b.JPG", ":/doc/res/doc/pic.png", false},
        {"pptm", "x", ":/doc/res/doc/ppt.png", false},
        {"mp4", "x", ":/doc/res/doc/video.png", false},
        {"mp3", "x", ":/doc/res/doc/audio.png", false},
        {"", "archive.tar.gz", ":/doc/res/doc/warn.png", true},
        {"", "noextension", ":/doc/res/doc/warn.png", true},
    };
    for (const auto& c : cases) {
        const std::string before = logText();
        DocFileItem row;
        row.InitUI(roomDoc("d1", c.name, c.ext, "10"));
        EXPECT_TRUE(showsIcon(row, c.icon)) << c.name;
        const std::string added = logText().substr(before.size());
        EXPECT_EQ(doctest::countOf(added, std::string("not found DocFile icon ") + c.name), c.warns ? 1 : 0) << c.name;
    }
}

TEST(DocFileItem, RoomRowShowsTheDocumentAndHidesRename)
{
    DocFileItem row;
    row.InitUI(roomDoc("d7", "讲义.pdf", "pdf", "31457280"));
    row.resize(609, 40);
    row.show();
    EXPECT_EQ(row.GetMode(), DocFileItem::ModeRoomDoc);
    EXPECT_EQ(row.GetDocInfo().docId, "d7");
    EXPECT_EQ(label(row, "labName")->text(), "讲义.pdf");
    EXPECT_EQ(label(row, "labName")->toolTip(), "讲义.pdf");
    EXPECT_EQ(label(row, "labSize")->text(), "30.00 MB");
    EXPECT_EQ(label(row, "labTime")->text(), "2026-12-01 08:00:00");
    EXPECT_TRUE(button(row, "btnDel")->isEnabled());
    EXPECT_FALSE(button(row, "btnReName")->isVisible());
    EXPECT_FALSE(row.findChild<QWidget*>("tipWdg")->isVisible());
    EXPECT_FALSE(row.findChild<QWidget*>("proWdg")->isVisible());
    EXPECT_EQ(row.height(), 40);
    doctest::saveScreenshot(&row, "doc_file_item_room.png");

    DocFileItem bad;
    bad.InitUI(roomDoc("", "x.pdf", "pdf", "12 bytes"));
    EXPECT_EQ(label(bad, "labSize")->text(), "0 Bytes");
    EXPECT_FALSE(button(bad, "btnDel")->isEnabled());
}

TEST(DocFileItem, CloudRowsFolderAndReadOnly)
{
    NetFileInfo dir("u1");
    dir.name = "第一章";
    dir.ext_name = "zip";
    dir.file_type = 0;
    dir.size = 4096;
    dir.create_time = "2026-12-01 09:00:00";
    const std::string before = logText();
    DocFileItem row;
    row.InitNetFile(dir, true);
    row.resize(609, 40);
    row.show();
    EXPECT_EQ(logText().size(), before.size());  // a folder logs nothing
    EXPECT_TRUE(showsIcon(row, ":/doc/res/doc/file.png"));
    EXPECT_EQ(label(row, "labSize")->text(), "-");
    EXPECT_EQ(label(row, "labTime")->toolTip(), "第一章");
    EXPECT_EQ(row.GetMode(), DocFileItem::ModeNetEdit);
    EXPECT_TRUE(button(row, "btnReName")->isVisible());
    EXPECT_TRUE(button(row, "btnDel")->isEnabled());
    doctest::saveScreenshot(&row, "doc_file_item_folder.png");

    NetFileInfo file("u2");
    file.name = "a.pptx";
    file.file_type = 1;
    file.size = 2048;
    DocFileItem ro;
    ro.InitNetFile(file, false);
    ro.show();
    EXPECT_EQ(ro.GetMode(), DocFileItem::ModeNetRead);
    EXPECT_EQ(label(ro, "labSize")->text(), "2 KB");
    EXPECT_FALSE(button(ro, "btnReName")->isVisible());
    EXPECT_FALSE(button(ro, "btnDel")->isEnabled());
    EXPECT_EQ(ro.GetNetFile().uuid, "u2");
}

TEST(DocFileItem, TipLineRetryAndClose)
{
    DocFileItem row;
    row.InitUI(roomDoc("", "up.pdf", "", "100"));
    row.ShowTip("上传失败，请重新上传", true);
    row.resize(609, 70);
    row.show();
    EXPECT_EQ(row.height(), 70);
    EXPECT_TRUE(row.findChild<QWidget*>("tipWdg")->isVisible());
    EXPECT_FALSE(button(row, "btnDel")->isEnabled());
    EXPECT_FALSE(button(row, "btnReName")->isEnabled());
    EXPECT_EQ(button(row, "failedBtn")->text(), "上传失败，请重新上传");
    doctest::saveScreenshot(&row, "doc_file_item_failed.png");

    QSignalSpy cmds(&row, &DocFileItem::sgItemCmd);
    QTest::mouseClick(button(row, "failedBtn"), Qt::LeftButton);
    EXPECT_FALSE(button(row, "failedBtn")->isEnabled());
    QTest::mouseClick(button(row, "closeBtn"), Qt::LeftButton);
    EXPECT_FALSE(button(row, "closeBtn")->isVisible());
    ASSERT_EQ(cmds.count(), 2);
    EXPECT_EQ(cmds[0][0].toInt(), DocFileItem::CmdRetry);
    EXPECT_EQ(cmds[1][0].toInt(), DocFileItem::CmdClose);

    row.ShowTip("上传课件中", false);
    EXPECT_FALSE(button(row, "failedBtn")->isEnabled());
    EXPECT_FALSE(button(row, "closeBtn")->isEnabled());
}

TEST(DocFileItem, EditorAnswersOnceAndEmptyNamesFollowTheMode)
{
    struct Case {
        const char* name;
        bool newDir;
        QString typed;
        int raised;  // 0: nothing
    } cases[] = {
        {"new folder named", true, "新目录", DocFileItem::CmdNewDir},
        {"new folder empty", true, "", DocFileItem::CmdNewDir},
        {"rename", false, "b c.pdf", DocFileItem::CmdRename},
        {"rename unchanged", false, "a.pdf", DocFileItem::CmdRename},
        {"rename emptied", false, "", 0},
    };
    for (const Case& c : cases) {
        QWidget host;
        host.resize(640, 60);
        auto* row = new DocFileItem(&host);
        auto* other = new QLineEdit(&host);
        other->move(0, 45);
        row->resize(609, 40);
        NetFileInfo e("u1");
        e.name = "a.pdf";
        e.file_type = 1;
        row->InitNetFile(e, true);
        host.show();
        QApplication::setActiveWindow(&host);
        if (c.newDir)
            row->BeginNewDir();
        else
            QTest::mouseClick(button(*row, "btnReName"), Qt::LeftButton);
        EXPECT_TRUE(editor(*row)->isVisible()) << c.name;
        EXPECT_FALSE(label(*row, "labName")->isVisible()) << c.name;
        if (!c.newDir) {
            EXPECT_EQ(editor(*row)->text(), "a.pdf") << c.name;
        }
        editor(*row)->setText(c.typed);

        QSignalSpy cmds(row, &DocFileItem::sgItemCmd);
        QTest::keyClick(editor(*row), Qt::Key_Return);
        other->setFocus();  // the focus leaves the editor: no second answer
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(editor(*row), &out);
        ASSERT_EQ(cmds.count(), c.raised ? 1 : 0) << c.name;
        if (c.raised) {
            EXPECT_EQ(cmds[0][0].toInt(), c.raised) << c.name;
            EXPECT_EQ(QString::fromStdString(row->GetNetFile().name), c.typed) << c.name;
            EXPECT_FALSE(editor(*row)->isEnabled()) << c.name;
            EXPECT_TRUE(editor(*row)->isVisible()) << c.name;
        } else {
            EXPECT_TRUE(label(*row, "labName")->isVisible()) << c.name;
            EXPECT_EQ(label(*row, "labName")->text(), "a.pdf") << c.name;
            EXPECT_FALSE(editor(*row)->isVisible()) << c.name;
        }
        if (c.newDir && !c.typed.isEmpty())
            doctest::saveScreenshot(row, "doc_file_item_new_dir.png");
    }
}

TEST(DocFileItem, DeleteIsRaisedOnlyAfterOk)
{
    for (const char* answer : {"btnOk", "btnCancel", "btnClose", "timer"}) {
        DocFileItem row;
        row.InitUI(roomDoc("d1", "a.pdf", "pdf", "1"));
        row.show();
        QSignalSpy cmds(&row, &DocFileItem::sgItemCmd);
        QTest::mouseClick(button(row, "btnDel"), Qt::LeftButton);
        auto boxes = doctest::shownBoxes();
        ASSERT_EQ(boxes.size(), 1u) << answer;
        EXPECT_EQ(doctest::boxText(boxes[0]), "确定删除该文件吗？");
        EXPECT_TRUE(doctest::boxButton(boxes[0], "btnCancel")->isVisible());
        if (std::string(answer) == "timer") {
            // The box closes by itself after five seconds, as cancel.
            ASSERT_TRUE(testsupport::waitUntil([] { return doctest::shownBoxes().empty(); }, 20000));
        } else {
            if (std::string(answer) == "btnOk")
                doctest::saveScreenshot(boxes[0], "doc_file_item_delete_box.png");
            QTest::mouseClick(doctest::boxButton(boxes[0], answer), Qt::LeftButton);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(doctest::shownBoxes().empty()) << answer;
        ASSERT_EQ(cmds.count(), std::string(answer) == "btnOk" ? 1 : 0) << answer;
        if (cmds.count()) {
            EXPECT_EQ(cmds[0][0].toInt(), DocFileItem::CmdDelete);
        }
    }
}
