// The group page: the first group chosen and its messages shown or asked
// for, the system group's fixed picture, loading older pages on scrolling to
// the end, the newest-message preview, the last-seen setting, and server
// HTML that never loads local files.
#include "app/CData.h"
#include "app/CSettings.h"
#include "home/GroupMsgItem.h"
#include "home/GroupPage.h"
#include "tests/home/HomeTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>

using namespace hometest;

namespace {

GroupMsgInfo message(int64_t id, const std::string& group, const std::string& text)
{
    GroupMsgInfo m;
    m.msgId = id;
    m.groupId = group;
    m.msg = text;
    m.createTime = "2024-05-0" + std::to_string(1 + id % 9) + " 10:00:00";
    m.createSecs = 1714500000 + id;
    return m;
}

GroupInfo group(const std::string& id, const std::string& name, int messages)
{
    GroupInfo g;
    g.groupId = id;
    g.name = name;
    for (int i = messages; i >= 1; --i)
        g.msgs.push_back(message(i, id, "<p>message " + std::to_string(i) + "</p>"));
    return g;
}

}  // namespace

TEST(GroupPage, FirstGroupShownAndOlderPagesLoadedAtTheEnd)
{
    lib();
    CData::instance()->AddGroup(group("1", "System", 30));
    CData::instance()->AddGroup(group("77", "Class A", 0));
    GroupPage page;
    page.resize(943, 574);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ClientLibTestControl::ClearCalls(lib());
    page.SetGroupList(CData::instance()->GetGroups());
    ASSERT_EQ(page.GroupList()->currentRow(), 0);
    ASSERT_EQ(page.MessageList()->count(), 30);
    EXPECT_EQ(CSettings::instance()->GetValue("App/GMsgLasterTs1").toString(), "2024-05-04 10:00:00");
    auto* systemRow = qobject_cast<GroupMsgItem*>(page.GroupList()->itemWidget(page.GroupList()->item(0)));
    EXPECT_FALSE(systemRow->findChild<QLabel*>("gLabImage")->pixmap(Qt::ReturnByValue).isNull());  // the fixed picture
    EXPECT_EQ(systemRow->height(), 70);
    EXPECT_TRUE(callsNamed("GetGroupMessages").isEmpty());
    screenshot(&page, "group_page.png");

    // Scrolling to the end asks for the page before the oldest message,
    // once a tick.
    QScrollBar* bar = page.MessageList()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    bar->setValue(bar->maximum() - 1);
    bar->setValue(bar->maximum());
    ASSERT_EQ(callsNamed("GetGroupMessages").size(), 1);
    EXPECT_EQ(callsNamed("GetGroupMessages")[0].args, QVariantList({"1", "", qint64(1714500001)}));
    page.OnTimerUpdate(1);
    bar->setValue(bar->maximum() - 1);
    bar->setValue(bar->maximum());
    EXPECT_EQ(callsNamed("GetGroupMessages").size(), 2);

    // The older page arrives (merged into CData by the home window): the list
    // is rebuilt and row old count + 1 becomes current.
    GroupInfo merged = group("1", "System", 40);
    CData::instance()->AddGroup(merged);
    page.UpdateGroup(merged, false);
    EXPECT_EQ(page.MessageList()->count(), 40);
    EXPECT_EQ(page.MessageList()->currentRow(), 31);
    page.UpdateGroup(merged, true);
    EXPECT_EQ(page.MessageList()->currentRow(), -1);

    // A group without messages is asked for its newest page.
    ClientLibTestControl::ClearCalls(lib());
    page.GroupList()->setCurrentRow(1);
    page.onListItemPressed(page.GroupList()->item(1));
    EXPECT_EQ(page.MessageList()->count(), 0);
    ASSERT_EQ(callsNamed("GetGroupMessages").size(), 1);
    EXPECT_EQ(callsNamed("GetGroupMessages")[0].args, QVariantList({"77", "", qint64(0)}));
    page.Clear();
    EXPECT_EQ(page.GroupList()->count(), 0);
}

TEST(GroupMsgItem, PreviewIsPlainAndElided)
{
    home();
    GroupMsgItem row;
    row.SetGroup(group("1", "System", 0));
    EXPECT_EQ(row.findChild<QStackedWidget*>("stackedWidget")->currentIndex(), 0);
    EXPECT_TRUE(row.findChild<QLabel*>("gLabText")->text().isEmpty());  // not filled on the first call
    GroupInfo g = group("1", "System", 0);
    g.msgs.push_back(message(5, "1", "<b>" + std::string(200, 'x') + "</b>"));
    row.SetGroup(g);
    const QString preview = row.findChild<QLabel*>("gLabText")->text();
    EXPECT_TRUE(preview.endsWith(QChar(0x2026)));
    EXPECT_FALSE(preview.contains("<b>"));
    EXPECT_EQ(row.findChild<QLabel*>("gLabName")->textFormat(), Qt::PlainText);
}

TEST(GroupMsgItem, MessageHtmlNeverLoadsLocalFiles)
{
    home();
    const std::string local = home().home() + "/secret.png";
    QImage(20, 20, QImage::Format_RGB32).save(QString::fromStdString(local));
    GroupMsgItem row;
    row.resize(400, 136);
    row.SetMessage(message(1, "1", "<p>hello <b>class</b></p><img src=\"file://" + local + "\"><img src=\"" + local +
                                        "\"><img src=\":/class/res/class/msgtip.png\">"));
    QTextEdit* text = row.findChild<QTextEdit*>("mtextEdit");
    EXPECT_EQ(row.findChild<QStackedWidget*>("stackedWidget")->currentIndex(), 1);
    EXPECT_TRUE(text->toPlainText().startsWith("hello class"));
    QTextDocument* doc = text->document();
    for (const char* src : {"file://", "", ":/class/res/class/msgtip.png"}) {
        const QString url = *src == ':' ? QString(src) : QString(src) + QString::fromStdString(local);
        EXPECT_EQ(doc->resource(QTextDocument::ImageResource, QUrl(url)).value<QImage>().size(), QSize(1, 1)) << src;
    }
    EXPECT_GT(row.height(), 0);
    screenshot(&row, "group_message_row.png");
}

TEST(GroupMsgItem, GroupWithoutAUsableLogoShowsTheDesignedPicture)
{
    home();
    const QImage designed =
        QPixmap(":/class/res/class/groupDefalut.png").scaled(QSize(40, 40), Qt::KeepAspectRatio).toImage();
    ASSERT_FALSE(designed.isNull());
    for (const char* logo : {"", "file:///etc/hostname", "http://127.0.0.1:9/never.png"}) {
        GroupMsgItem row;
        GroupInfo g = group("7", "Class 7", 0);
        g.logo = logo;
        row.SetGroup(g);
        const QPixmap shown = row.findChild<QLabel*>("gLabImage")->pixmap(Qt::ReturnByValue);
        ASSERT_FALSE(shown.isNull()) << logo;
        const QImage image = shown.toImage();
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2),
                  QPixmap(":/class/res/class/groupDefalut.png")
                      .scaled(shown.size(), Qt::KeepAspectRatio, Qt::FastTransformation)
                      .toImage()
                      .pixelColor(image.width() / 2, image.height() / 2))
            << logo;
    }
}
