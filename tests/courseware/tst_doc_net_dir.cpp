// The folder path bar: levels added once and only while idle, a failed level
// taken back (never the root), clicks cutting the path, button widths.
#include "courseware/NetDirCtrl.h"
#include "tests/courseware/DocTestUtil.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QVariantMap level(const QString& name, const QString& uuid) { return {{"name", name}, {"uuid", uuid}}; }

QStringList texts(const NetDirCtrl& bar)
{
    QStringList out;
    for (int i = 0; i < bar.ButtonCount(); ++i)
        out << bar.Button(i)->text();
    return out;
}

}  // namespace

TEST(NetDirCtrl, LevelsAreAddedOnceAndOnlyWhileIdle)
{
    QWidget container;
    NetDirCtrl bar(&container);
    EXPECT_FALSE(bar.GetCurDir().isValid());
    bar.AddDir("全部资料", level("全部资料", "0"), false);
    bar.AddDir("全部资料", level("全部资料", "0"), false);  // already last
    EXPECT_EQ(texts(bar), QStringList{"全部资料"});

    bar.AddDir("课件", level("课件", "f1"), true);
    EXPECT_TRUE(bar.IsBusy());
    bar.AddDir("其它", level("其它", "f2"), true);  // dropped while busy
    EXPECT_EQ(texts(bar), (QStringList{"全部资料", ">", "课件"}));
    EXPECT_EQ(bar.Button(1)->size(), QSize(10, 26));
    EXPECT_FALSE(bar.Button(1)->property("wdgObj").isValid());
    EXPECT_EQ(bar.GetCurDir().toMap().value("uuid").toString(), "f1");

    bar.EndLoad(true);
    EXPECT_FALSE(bar.IsBusy());
    bar.AddDir("其它", level("其它", "f2"), true);
    EXPECT_EQ(bar.ButtonCount(), 5);
    container.setStyleSheet("background: #FFFFFF;");
    container.resize(500, 40);
    container.show();
    doctest::saveScreenshot(&container, "doc_net_dir_bar.png");
}

TEST(NetDirCtrl, FailedLevelIsTakenBackButNeverTheRoot)
{
    QWidget container;
    NetDirCtrl bar(&container);
    bar.AddDir("全部资料", level("全部资料", "0"), false);
    bar.EndLoad(false);  // only the root
    EXPECT_EQ(bar.ButtonCount(), 1);

    bar.AddDir("课件", level("课件", "f1"), true);
    bar.EndLoad(false);  // root, ">", folder: the folder and its ">" go
    EXPECT_EQ(texts(bar), QStringList{"全部资料"});
    EXPECT_FALSE(bar.IsBusy());
    EXPECT_EQ(bar.GetCurDir().toMap().value("uuid").toString(), "0");

    bar.Clear();
    EXPECT_EQ(bar.ButtonCount(), 0);
    EXPECT_FALSE(bar.GetCurDir().isValid());
}

TEST(NetDirCtrl, ClickCutsThePathAndRaisesTheLevel)
{
    QWidget container;
    NetDirCtrl bar(&container);
    bar.AddDir("全部资料", level("全部资料", "0"), false);
    bar.AddDir("a", level("a", "f1"), false);
    bar.AddDir("b", level("b", "f2"), true);  // still busy: clicks work all the same
    QSignalSpy cmds(&bar, &NetDirCtrl::sgNetDirCmd);

    QTest::mouseClick(bar.Button(4), Qt::LeftButton);  // the last level again
    EXPECT_EQ(bar.ButtonCount(), 5);
    QTest::mouseClick(bar.Button(0), Qt::LeftButton);
    EXPECT_EQ(texts(bar), QStringList{"全部资料"});
    ASSERT_EQ(cmds.count(), 2);
    EXPECT_EQ(cmds[0][0].toMap().value("uuid").toString(), "f2");
    EXPECT_EQ(cmds[1][0].toMap(), level("全部资料", "0"));
    EXPECT_TRUE(bar.IsBusy());  // clicks leave the busy flag alone

    // A level described by something other than a map is raised as an empty map.
    bar.Clear();
    bar.AddDir("x", QVariant("not a map"), false);
    QTest::mouseClick(bar.Button(0), Qt::LeftButton);
    ASSERT_EQ(cmds.count(), 3);
    EXPECT_TRUE(cmds[2][0].toMap().isEmpty());
}

TEST(NetDirCtrl, LongNamesAreElidedToOneHundredTwentyPixels)
{
    QWidget container;
    NetDirCtrl bar(&container);
    QPushButton probe;
    probe.setStyleSheet("QPushButton {background:transparent;font: 13px;color:#5DC0BA;}");
    probe.ensurePolished();
    const QFontMetrics fm(probe.font());
    const int pad = probe.contentsMargins().left() + 10 + probe.contentsMargins().right();
    // A name whose natural width is as close to 120 as whole letters allow
    // from below, and one far beyond.
    QString fits;
    while (pad + fm.horizontalAdvance(fits + "i") <= 120)
        fits += "i";
    const QString longName = QString("很长的目录名称").repeated(4);
    bar.AddDir(fits, level(fits, "1"), false);
    bar.AddDir(longName, level(longName, "2"), false);
    EXPECT_EQ(bar.Button(0)->width(), pad + fm.horizontalAdvance(fits));
    EXPECT_EQ(bar.Button(0)->text(), fits);
    EXPECT_EQ(bar.Button(2)->size(), QSize(120, 26));
    EXPECT_NE(bar.Button(2)->text(), longName);
    EXPECT_TRUE(bar.Button(2)->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(bar.Button(2)->toolTip(), longName);
}
