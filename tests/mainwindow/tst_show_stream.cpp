// The recording stream pop-up: placeholder and address by the recording
// state within one tick, copy, and one close signal per close.
#include "mainwindow/popups/ShowStreamWidget.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(ShowStreamWidget, AddressFollowsRecordingWithinOneTick)
{
    shelltest::SetSession(true);
    CData::instance()->SetRecording(false);
    ShowStreamWidget w(nullptr);
    QString key = "liveRecord_7_abc";
    w.SetStreamKeySource([&key] { return key; });
    EXPECT_EQ(w.size(), QSize(459, 153));
    w.ShowStream();
    auto* line = w.findChild<QLineEdit*>("lineStream");
    EXPECT_TRUE(w.StreamText().isEmpty());
    EXPECT_EQ(line->placeholderText(), QString::fromUtf8("暂无流地址，请先开启录制"));
    EXPECT_TRUE(line->isReadOnly());
    shelltest::UseProgramStyle();
    shelltest::Screenshot(&w, "show_stream_placeholder.png");

    CData::instance()->SetRecording(true);
    emit CData::instance()->sgTimerUpdate(1);
    EXPECT_EQ(w.StreamText(), CData::instance()->GetDeskTopPullUrl() + key);
    shelltest::Screenshot(&w, "show_stream_address.png");

    QTest::mouseClick(w.findChild<QPushButton*>("btnCopyStream"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), w.StreamText());
    EXPECT_TRUE(w.isVisible());

    key.clear();  // no key: no address, even while recording
    emit CData::instance()->sgTimerUpdate(2);
    EXPECT_TRUE(w.StreamText().isEmpty());
    CData::instance()->SetRecording(false);
}

TEST(ShowStreamWidget, EachCloseSignalsOnceWithItsAnswer)
{
    ShowStreamWidget w(nullptr);
    QSignalSpy closes(&w, &ShowStreamWidget::sgCloseWidget);
    w.ShowStream();
    QTest::mouseClick(w.findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    ASSERT_EQ(closes.count(), 1);
    EXPECT_TRUE(closes[0][0].toBool());
    EXPECT_FALSE(w.isVisible());

    w.ShowStream();
    w.ClickClose(false);  // not asked to: stays
    EXPECT_TRUE(w.isVisible());
    w.ClickClose(true);
    ASSERT_EQ(closes.count(), 2);
    EXPECT_FALSE(closes[1][0].toBool());
    EXPECT_EQ(closes[1][1].value<ShowStreamWidget*>(), &w);
}
