// The whiteboard background chooser: the four built-in thumbnails, a press
// applying the teacher's choice with a toast, whiteboard reports selecting
// without one, names found in several entries, and an image that does not
// load.
#include "mainwindow/popups/SwitchBKWidget.h"

#include "tests/mainwindow/ShellTestSupport.h"
#include "widgets/Toast.h"

#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

struct Applied {
    QString file;
    bool custom;
};

int Toasts()
{
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        n += qobject_cast<Toast*>(w) != nullptr;
    return n;
}

QString RowFile(QListWidget* list, int row) { return list->itemWidget(list->item(row))->property("bkFile").toString(); }

}  // namespace

TEST(SwitchBKWidget, PressAppliesWithAToastAndReportsSelectWithout)
{
    shelltest::Home();
    SwitchBKWidget w;
    std::vector<Applied> applied;
    w.SetApplier([&applied](const QString& file, bool custom) {
        applied.push_back({file, custom});
        return true;
    });
    auto* list = w.findChild<QListWidget*>("listWidget");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(w.width(), 200);
    EXPECT_EQ(list->item(0)->sizeHint(), QSize(0, 84));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(RowFile(list, i), QString(":/wblib/res/wblib/bk%1.png").arg(i + 1));
        QLabel* thumb = list->itemWidget(list->item(i))->findChild<QLabel*>();
        ASSERT_NE(thumb, nullptr);
        EXPECT_EQ(thumb->size(), QSize(142, 80));
    }
    shelltest::UseProgramStyle();
    w.show();
    shelltest::Screenshot(&w, "switch_background.png");

    const int toasts = Toasts();
    w.onListItemPressed(list->item(2));
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].file, RowFile(list, 2));
    EXPECT_TRUE(applied[0].custom);
    EXPECT_EQ(Toasts(), toasts + 1);
    EXPECT_TRUE(w.isVisible());  // stays open

    applied.clear();
    w.SelectBackground("bk4.png");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].file, RowFile(list, 3));
    EXPECT_FALSE(applied[0].custom);
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_EQ(Toasts(), toasts + 1);  // no toast for the whiteboard's own report

    applied.clear();
    w.SelectBackground("");  // every path contains "": refused
    w.SelectBackground("nothing.png");
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(list->currentRow(), 3);
}

TEST(SwitchBKWidget, NameInSeveralEntriesAppliesEachAndKeepsTheLast)
{
    SwitchBKWidget w;
    std::vector<Applied> applied;
    w.SetApplier([&applied](const QString& file, bool custom) {
        applied.push_back({file, custom});
        return true;
    });
    w.AddBackground("/nowhere/missing-bk.png");  // does not load
    auto* list = w.findChild<QListWidget*>("listWidget");
    ASSERT_EQ(list->count(), 5);
    QLabel* thumb = list->itemWidget(list->item(4))->findChild<QLabel*>();
    EXPECT_EQ(thumb->styleSheet(), QString("background-color: #ffffff;"));

    w.SelectBackground("bk");  // in all five paths
    ASSERT_EQ(applied.size(), 5u);
    EXPECT_EQ(applied.back().file, QString("/nowhere/missing-bk.png"));
    EXPECT_EQ(list->currentRow(), 4);

    applied.clear();
    w.onListItemPressed(list->item(4));  // a white thumbnail still applies its path
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].file, QString("/nowhere/missing-bk.png"));
    w.onListItemPressed(nullptr);
    EXPECT_EQ(applied.size(), 1u);
}
