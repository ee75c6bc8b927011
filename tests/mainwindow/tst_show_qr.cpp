// The mobile-app QR pop-up: the code decoded back to the sign-in JSON, its
// file kept while the login stays the same, and the device list (icons,
// refused and malformed devices, duplicates, many devices, stopping through
// the confirmation box and the client library).
#include "mainwindow/popups/ShowQRWidget.h"

#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "tests/mainwindow/ShellTestSupport.h"
#include "widgets/MsgBox.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::string LogText() { return testsupport::readFile(Logger::instance()->fileName().toStdString()); }

QVariantMap Device(const QString& userId, const QString& devType)
{
    return {{"userId", userId}, {"devType", devType}, {"devInfo", devType + " info"}};
}

class ShowQRTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shelltest::Home();
        static QWidget board;
        Room::instance()->InitLib(&board);
    }
    void SetUp() override
    {
        shelltest::SetSession(false);
        for (const QVariant& dev : CData::instance()->GetAuthAppDevs())
            CData::instance()->RemoveAuthAppDev(dev.toMap().value("userId").toString());
        ClientLibTestControl::ClearCalls(Room::instance()->GetClientLib());
    }
    static QStringList StopCalls()
    {
        QStringList ids;
        for (const ClientLibCall& call : ClientLibTestControl::Calls(Room::instance()->GetClientLib()))
            if (call.name == "StopAppAuth")
                ids << call.args.value(0).toString();
        return ids;
    }
};

}  // namespace

TEST_F(ShowQRTest, CodeDecodesToTheSignInRequest)
{
    const std::string zbarimg = testsupport::findProgram("zbarimg");
    ASSERT_FALSE(zbarimg.empty()) << "zbarimg (zbar-tools) is needed";
    shelltest::SetSession(false, "tk-9|6", QString::fromUtf8("林老师 \"A\""));
    ShowQRWidget w(nullptr);
    w.ShowQR();
    EXPECT_TRUE(w.isVisible());
    const std::string expected = "{\"command\": \"authorize\", \"data\": {\"name\": \"林老师 \\\"A\\\"\", \"token\": \"tk-9|6\"}}";
    EXPECT_EQ(w.QRText(), expected);

    QProcess zbar;
    zbar.start(QString::fromStdString(zbarimg), {"--raw", "-q", QString::fromStdString(w.QRFile())});
    ASSERT_TRUE(zbar.waitForFinished(30000));
    EXPECT_EQ(zbar.readAllStandardOutput().trimmed().toStdString(), expected);

    auto* label = w.findChild<QLabel*>("labQRCode");
    EXPECT_EQ(label->pixmap(Qt::ReturnByValue).size(), QSize(160, 160));
    EXPECT_EQ(w.width(), 200);
    w.onAuthAppDev(Device("u1", "iPad mini"), true);
    w.onAuthAppDev(Device("u2", "android phone"), true);
    shelltest::UseProgramStyle();
    shelltest::Screenshot(&w, "show_qr.png");

    // The same login keeps the file; a new token gives a new one.
    const std::string file = w.QRFile();
    w.ShowQR();
    EXPECT_EQ(w.QRFile(), file);
    shelltest::SetSession(false, "tk-10|6", QString::fromUtf8("林老师 \"A\""));
    w.ShowQR();
    EXPECT_NE(w.QRFile(), file);
}

TEST_F(ShowQRTest, WithoutTokenNoCodeIsShown)
{
    shelltest::SetSession(false, "", "nobody");
    ShowQRWidget w(nullptr);
    w.ShowQR();
    EXPECT_TRUE(w.QRText().empty());
    auto* label = w.findChild<QLabel*>("labQRCode");
    EXPECT_TRUE(label->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_NE(LogText().find("no token: no QR code"), std::string::npos);
}

TEST_F(ShowQRTest, DeviceIconsByType)
{
    const std::pair<const char*, const char*> cases[] = {
        {"iPad mini", ":/main/res/main/iPad.png"}, {"android 13", ":/main/res/main/Android.png"},
        {"iPhone 15", ":/main/res/main/iPhone.png"}, {"macbook", ":/main/res/main/mac.png"},
        {"windows 11", ":/main/res/main/windows.png"}, {"iphone", ""}, {"Android", ""}, {"", ""},
        {"android iPad", ":/main/res/main/Android.png"},  // the first of the table wins
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowQRWidget::DeviceIcon(c.first), QString(c.second)) << c.first;
}

TEST_F(ShowQRTest, DeviceListHoldsOnlyWhatTheDataHolds)
{
    ShowQRWidget w(nullptr);
    w.onAuthAppDev(Device("u1", "iPhone"), false);  // refused: nothing
    EXPECT_TRUE(w.DeviceRows().isEmpty());
    EXPECT_TRUE(CData::instance()->GetAuthAppDevs().empty());

    w.onAuthAppDev(QVariantMap{{"devType", "iPad"}}, true);  // no userId
    w.onAuthAppDev(QVariant("not a map"), true);
    EXPECT_TRUE(w.DeviceRows().isEmpty());
    EXPECT_NE(LogText().find("device without userId ignored"), std::string::npos);

    w.onAuthAppDev(Device("u1", "iPhone"), true);
    w.onAuthAppDev(Device("u1", "iPhone 16"), true);  // the same user again: one row
    ASSERT_EQ(w.DeviceRows().size(), 1);
    EXPECT_EQ(w.DeviceRows()[0]->findChild<QLabel*>("labName")->text(), QString("iPhone 16"));
    EXPECT_EQ(CData::instance()->GetAuthAppDevs().size(), 1u);

    const QString huge(100000, QChar('x'));
    w.onAuthAppDev(Device("u2", "<b>" + huge + "</b>"), true);
    QLabel* name = w.DeviceRows()[1]->findChild<QLabel*>("labName");
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.DeviceRows()[1]->findChild<QLabel*>("labImg")->styleSheet(), QString());

    for (int i = 0; i < 50; ++i)
        w.onAuthAppDev(Device(QString("m%1").arg(i), "windows"), true);
    EXPECT_EQ(w.DeviceRows().size(), 52);
    EXPECT_EQ(CData::instance()->GetAuthAppDevs().size(), 52u);
}

TEST_F(ShowQRTest, StoppingTellsTheLibraryOnceAndNeverWithAnEmptyId)
{
    ShowQRWidget w(nullptr);
    w.onAuthAppDev(Device("u1", "iPhone"), true);
    w.onAuthAppDev(Device("u2", "mac"), true);

    w.RemoveAppDev("");  // refused
    w.RemoveAppDev("nobody");  // not listed: forgotten, library not told
    w.RemoveAppDev("u1");
    w.RemoveAppDev("u1");  // gone already
    EXPECT_EQ(w.DeviceRows().size(), 1);
    ASSERT_TRUE(testsupport::waitUntil([] { return !StopCalls().isEmpty(); }));
    EXPECT_EQ(StopCalls(), QStringList{"u1"});
    EXPECT_EQ(CData::instance()->GetAuthAppDevs().size(), 1u);
    EXPECT_NE(LogText().find("ShowQRWidget::RemoveAppDev Warn>> empty userId"), std::string::npos);
}

TEST_F(ShowQRTest, PressOnARowAsksAndStopsOnlyOnOk)
{
    QWidget room;
    ShowQRWidget w(&room);
    w.onAuthAppDev(Device("u7", "android"), true);
    w.show();
    auto openBox = [&] {
        QTest::mousePress(w.DeviceRows()[0], Qt::LeftButton);
        MsgBox* box = nullptr;
        EXPECT_TRUE(testsupport::waitUntil([&] {
            for (MsgBox* b : room.findChildren<MsgBox*>())
                if (b->isVisible())
                    box = b;
            return box != nullptr;
        }));
        return box;
    };
    MsgBox* box = openBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->property("userid").toString(), QString("u7"));
    shelltest::Screenshot(box, "show_qr_stop_device.png");
    box->findChild<QPushButton*>("btnCancel")->click();
    EXPECT_EQ(w.DeviceRows().size(), 1);

    box = openBox();
    ASSERT_NE(box, nullptr);
    box->findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(w.DeviceRows().isEmpty());
    ASSERT_TRUE(testsupport::waitUntil([] { return !StopCalls().isEmpty(); }));
    EXPECT_EQ(StopCalls(), QStringList{"u7"});
}
