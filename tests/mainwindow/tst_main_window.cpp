// The room window: its form and window settings, minimum sizes by desktop,
// the title-strip drag, the shortcuts, the volume buttons, the network speed
// indicator and its warning toast, the rounded mask, and the exit.
#include "mainwindow/MainWindow.h"
#include "mainwindow/shell/MainWindowUi.h"

#include "app/CSettings.h"
#include "app/GEosObserver.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "app/UrlProxy.h"
#include "mainwindow/popups/ShowStreamWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "media/OBSSettingWindow.h"
#include "platform/MemoryVolumeBackend.h"
#include "tests/mainwindow/ShellTestSupport.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"
#include "home/ClassListWidget.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QSlider>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Receives what the window publishes and the URLs it opens.
class Observer : public QObject {
    Q_OBJECT
public:
    int published = 0;
    QList<QUrl> opened;
public slots:
    void onPublished() { ++published; }
    void open(const QUrl& url) { opened.append(url); }
};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shelltest::Home();
        VolumeBackend::Install(std::make_unique<MemoryVolumeBackend>(100, true));
        s_window = new MainWindow;
        s_window->SetWallClock([] { return s_now; });
    }
    static void TearDownTestSuite()
    {
        delete s_window;
        s_window = nullptr;
    }
    static QShortcut* Shortcut(const char* keys)
    {
        // The window's own (its pop-ups may have shortcuts of their own).
        for (QShortcut* s : s_window->findChildren<QShortcut*>(QString(), Qt::FindDirectChildrenOnly))
            if (s->key() == QKeySequence(keys))
                return s;
        return nullptr;
    }
    static int ToastCount()
    {
        int n = 0;
        for (QWidget* w : QApplication::allWidgets())
            n += qobject_cast<Toast*>(w) != nullptr;
        return n;
    }
    static MainWindow* s_window;
    static qint64 s_now;
};

MainWindow* MainWindowTest::s_window = nullptr;
qint64 MainWindowTest::s_now = 1700000000;

}  // namespace

TEST(MainWindowSize, MinimumSizeFollowsTheFirstLargeDesktopForTheProcess)
{
    EXPECT_EQ(MainWindow::MinimumSizeFor({1440, 900}), QSize(1280, 720));
    EXPECT_EQ(MainWindow::MinimumSizeFor({1600, 899}), QSize(1280, 720));
    EXPECT_EQ(MainWindow::MinimumSizeFor({1920, 1080}), QSize(1600, 900));
    EXPECT_EQ(MainWindow::MinimumSizeFor({1440, 900}), QSize(1600, 900));  // stays for the process
}

TEST_F(MainWindowTest, FormWindowSettingsAndMembers)
{
    MainWindow& w = *s_window;
    Ui::MainWindow* ui = w.Form();
    EXPECT_FALSE(w.isVisible());  // hidden until a room is entered
    EXPECT_EQ(w.windowTitle(), QString("vtmaintea"));
    EXPECT_EQ(w.objectName(), QString("MainWindow"));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_TRUE(w.minimumSize() == QSize(1280, 720) || w.minimumSize() == QSize(1600, 900));
    for (const char* name : {"centralWidget", "mainWidget", "bottomWidget", "rightWidget", "titleWidget", "labLogo",
                             "labTitle", "labVer", "userListCtrl", "wbWidget", "DrawBarWdg", "DockRight",
                             "btnSpeed", "btnSwitchLine", "btnRecorder", "labRecTip", "btnExtPush", "btnStuAD"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(ui->titleWidget->maximumHeight(), 35);
    EXPECT_EQ(ui->bottomWidget->maximumHeight(), 60);
    EXPECT_EQ(ui->DrawBarWdg->maximumHeight(), 40);
    EXPECT_EQ(ui->rightWidget->maximumWidth(), 60);
    EXPECT_EQ(ui->DockRight->maximumWidth(), 0);
    EXPECT_EQ(ui->btnSwitchLine->toolTip(), QString::fromUtf8("切换线路"));
    EXPECT_EQ(ui->btnExtPush->toolTip(), QString::fromUtf8("外部串流"));
    for (QWidget* hidden : {ui->btnHudong, ui->btnShangJia, ui->btnStuAD, ui->btnTopMsg})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_EQ(CSettings::instance()->GetValue("VeltoraTea/DownloadURL").toString(),
              QString::fromUtf8(UrlProxy::GetUrl(kUrlDownloadPage)));
    EXPECT_EQ(w.ConfirmBox()->parent(), &w);
    EXPECT_FALSE(w.MicSlider()->IsSpeakerMode());
    EXPECT_TRUE(w.SpeakerSlider()->IsSpeakerMode());
    ASSERT_NE(w.HomeWindow(), nullptr);
    EXPECT_EQ(w.HomeWindow()->parent(), nullptr);
    EXPECT_EQ(w.HomeWindow()->windowTitle(), QString("vtclasstea"));
    QWidget* login = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowTitle() == "vtlogintea")
            login = top;
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(w.HomeWindow()->property("loginWdg").toLongLong(), qlonglong(reinterpret_cast<quintptr>(login)));
    EXPECT_EQ(login->parent(), nullptr);
    EXPECT_NE(Room::instance()->GetWBLib(), nullptr);

    shelltest::UseProgramStyle();
    w.resize(1280, 720);
    w.show();
    ui->labTitle->setText(QString::fromUtf8("高一(3)班 数学"));
    shelltest::Screenshot(&w, "main_window.png");
}

TEST_F(MainWindowTest, ResizeRoundsTheOutlineAndPublishesThePreviewPosition)
{
    Observer observer;
    GEosSubscribe("updatePreviewWidgetPos", &observer, SLOT(onPublished()));
    s_window->show();
    // Larger than the current size, so the resize happens whatever the
    // minimum size of this desktop.
    s_window->resize(s_window->size() + QSize(100, 60));
    EXPECT_GE(observer.published, 1);
    const QRegion mask = s_window->mask();
    EXPECT_FALSE(mask.isEmpty());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));      // corners cut
    EXPECT_TRUE(mask.contains(QPoint(700, 400)));
}

TEST_F(MainWindowTest, OnlyALeftPressInTheTitleStripDrags)
{
    MainWindow& w = *s_window;
    w.showNormal();
    w.move(100, 100);
    auto drag = [&w](QPoint from, QPoint delta) {
        const QPoint g = w.mapToGlobal(from);
        QMouseEvent press(QEvent::MouseButtonPress, from, g, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &press);
        QMouseEvent move(QEvent::MouseMove, from + delta, g + delta, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, from + delta, g + delta, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&w, &release);
    };
    const QPoint start = w.pos();
    drag({300, 29}, {40, 25});
    EXPECT_EQ(w.pos(), start + QPoint(40, 25));
    drag({300, 30}, {40, 25});  // below the strip
    EXPECT_EQ(w.pos(), start + QPoint(40, 25));
    w.setWindowState(Qt::WindowMaximized);
    const QPoint maximised = w.pos();
    drag({300, 10}, {40, 25});
    EXPECT_EQ(w.pos(), maximised);
    w.setWindowState(Qt::WindowNoState);
}

TEST_F(MainWindowTest, ShortcutsActOnlyWhenTheirConditionHolds)
{
    Ui::MainWindow* ui = s_window->Form();
    for (const char* keys : {"Ctrl+Shift+L", "Ctrl+Shift+X", "Ctrl+Shift+A", "Ctrl+Shift+R"})
        ASSERT_NE(Shortcut(keys), nullptr) << keys;

    // The data folder, opened as a local file.
    Observer observer;
    QDesktopServices::setUrlHandler("file", &observer, "open");
    emit Shortcut("Ctrl+Shift+L")->activated();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(observer.opened.size(), 1);
    EXPECT_EQ(observer.opened[0], QUrl::fromLocalFile(QString::fromStdString(PubUtils::GetAppData())));

    // The broadcast settings window shown, then hidden again.
    ASSERT_NE(nullptr, s_window->BroadcastWindow());
    EXPECT_FALSE(s_window->BroadcastWindow()->isVisible());
    emit Shortcut("Ctrl+Shift+X")->activated();
    EXPECT_TRUE(s_window->BroadcastWindow()->isVisible());
    emit Shortcut("Ctrl+Shift+X")->activated();
    EXPECT_FALSE(s_window->BroadcastWindow()->isVisible());
    // The home window's Ctrl+Shift+X reaches the same window.
    QShortcut* homeX = nullptr;
    for (QShortcut* sc : s_window->HomeWindow()->findChildren<QShortcut*>())
        if (sc->key() == QKeySequence("Ctrl+Shift+X"))
            homeX = sc;
    ASSERT_NE(homeX, nullptr);
    emit homeX->activated();
    EXPECT_TRUE(s_window->BroadcastWindow()->isVisible());
    emit homeX->activated();
    EXPECT_FALSE(s_window->BroadcastWindow()->isVisible());

    // The external push button only in a live room.
    ui->btnExtPush->hide();
    shelltest::SetSession(false);
    emit Shortcut("Ctrl+Shift+A")->activated();
    EXPECT_TRUE(ui->btnExtPush->isHidden());
    shelltest::SetSession(true);
    emit Shortcut("Ctrl+Shift+A")->activated();
    EXPECT_FALSE(ui->btnExtPush->isHidden());

    // The stream address only with synchronised live on; made once.
    CData::instance()->SetStatus(kStatusOpenSyncLive, 0);
    emit Shortcut("Ctrl+Shift+R")->activated();
    EXPECT_EQ(s_window->StreamWidget(), nullptr);
    CData::instance()->SetStatus(kStatusOpenSyncLive, 1);
    emit Shortcut("Ctrl+Shift+R")->activated();
    ShowStreamWidget* first = s_window->StreamWidget();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    first->ClickClose(true);
    emit Shortcut("Ctrl+Shift+R")->activated();
    EXPECT_EQ(s_window->StreamWidget(), first);
    EXPECT_TRUE(first->isVisible());
    QLineEdit* address = first->findChild<QLineEdit*>("lineStream");
    EXPECT_TRUE(address->text().isEmpty()) << "no recording: the placeholder shows";
    first->ClickClose(true);
    // While recording: the address of the stream the recorder publishes.
    s_window->BroadcastWindow()->SetPushAddress("rtmp://127.0.0.1:1935/live", "room-key-7");
    CData::instance()->SetRecording(true);
    emit Shortcut("Ctrl+Shift+R")->activated();
    EXPECT_EQ(address->text(), CData::instance()->GetDeskTopPullUrl() + "room-key-7");
    first->ClickClose(true);
    CData::instance()->SetRecording(false);
    s_window->BroadcastWindow()->SetPushAddress(QString(), QString());
    CData::instance()->SetStatus(kStatusOpenSyncLive, 0);
}

TEST_F(MainWindowTest, VolumeButtonsShowMutedSliders)
{
    Ui::MainWindow* ui = s_window->Form();
    QSlider* mic = s_window->MicSlider()->findChild<QSlider*>("verticalSlider");
    QSlider* speaker = s_window->SpeakerSlider()->findChild<QSlider*>("verticalSlider");
    mic->setValue(0);
    EXPECT_EQ(ui->btnMicSet->property("status").toInt(), 1);
    mic->setValue(50);
    EXPECT_EQ(ui->btnMicSet->property("status").toInt(), 0);
    speaker->setValue(0);
    EXPECT_EQ(ui->btnVolSet->property("status").toInt(), 1);
    speaker->setValue(80);
    EXPECT_EQ(ui->btnVolSet->property("status").toInt(), 0);
}

TEST_F(MainWindowTest, SpeedReportsSetTheIndicatorAndWarnAtMostEveryTenMinutes)
{
    Ui::MainWindow* ui = s_window->Form();
    s_window->show();
    struct Case {
        int level;
        const char* tip;
    };
    const Case cases[] = {{0, "极差(80ms)"}, {3, "一般(80ms)"}, {5, "良好(80ms)"}, {6, ""}, {-1, ""}};
    for (const Case& c : cases) {
        emit Room::instance()->sgRoomSpeed(c.level, 80);
        EXPECT_EQ(ui->btnSpeed->property("status").toInt(), c.level);
        EXPECT_EQ(ui->btnSpeed->toolTip(), QString::fromUtf8(c.tip)) << c.level;
    }

    shelltest::UseProgramStyle();
    const int before = ToastCount();
    emit Room::instance()->sgRoomSpeed(1, 900);  // arms: last warning 60 s back
    EXPECT_EQ(s_window->LastNetWarning(), s_now - 60);
    EXPECT_EQ(ToastCount(), before);
    s_now += 540;  // 600 s since the arming point: not more than 600
    emit Room::instance()->sgRoomSpeed(1, 900);
    EXPECT_EQ(ToastCount(), before);
    s_now += 1;
    emit Room::instance()->sgRoomSpeed(1, 900);
    EXPECT_EQ(ToastCount(), before + 1);
    s_now += 300;
    emit Room::instance()->sgRoomSpeed(1, 900);
    EXPECT_EQ(ToastCount(), before + 1);
    shelltest::Screenshot(s_window, "main_window_network_warning.png");

    s_window->hide();  // hidden: reports are ignored
    emit Room::instance()->sgRoomSpeed(4, 90);
    EXPECT_EQ(ui->btnSpeed->property("status").toInt(), 1);
}

TEST_F(MainWindowTest, ClosingWithoutExitOnlyLeavesTheRoom)
{
    s_window->show();
    s_window->Form()->labTitle->setText("lesson");
    s_window->close();
    EXPECT_TRUE(s_window->isVisible()) << "open until the teacher confirms";
    ASSERT_NE(nullptr, s_window->CloseBox());
    ASSERT_TRUE(s_window->CloseBox()->isVisible());
    s_window->CloseBox()->findChild<QPushButton*>("btnOk")->click();
    EXPECT_FALSE(s_window->isVisible());
    EXPECT_FALSE(CData::instance()->IsAppExiting());
    EXPECT_TRUE(s_window->Form()->labTitle->text().isEmpty());
}

TEST_F(MainWindowTest, ExitSignalLeavesTheRoomAndEndsTheProgram)
{
    s_window->show();
    emit CData::instance()->sgExitApp();
    EXPECT_TRUE(CData::instance()->IsAppExiting());
    EXPECT_FALSE(s_window->isVisible());
    EXPECT_TRUE(s_window->Form()->labTitle->text().isEmpty());
    CData::instance()->SetAppExiting(false);
}

#include "tst_main_window.moc"
