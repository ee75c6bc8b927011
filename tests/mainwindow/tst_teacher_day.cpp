// test-labels: e2e xvfb
// The teacher's day through the whole program on a local stream server:
// sign in with the demo teacher, enter today's class from the home window,
// the room shows, a simulated student joins, the teacher's stream reaches
// nginx-rtmp (ffprobe reads it), recording is switched on and off, the
// tick's reminder on an injected clock, leave, the home window is back.
// Screenshots of every step under <build>/screenshots/.
#include "tests/mainwindow/RoomTestSupport.h"

#include "app/CSettings.h"
#include "home/ClassItem.h"
#include "home/ClassListWidget.h"
#include "home/LoginWidget.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePusher.h"
#include "NginxFixture.h"
#include "QtWait.h"
#include "widgets/MsgBox.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace roomtest;
using testsupport::waitUntil;

namespace {

void WriteFile(const std::string& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The live configuration as the server encodes it (each byte + 3, Base64).
QByteArray EncodeConfig(const QByteArray& json)
{
    QByteArray shifted = json;
    for (char& c : shifted)
        c = static_cast<char>(static_cast<unsigned char>(c) + 3);
    return shifted.toBase64();
}

// ffprobe's view of a stream's video: "h264,<width>,<height>" or empty.
QString ProbeVideo(const QString& url)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-rw_timeout", "8000000", "-select_streams", "v:0", "-show_entries",
                        "stream=codec_name,width,height", "-of", "csv=p=0", url});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

template <typename T>
T* TopLevel()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w))
            return t;
    return nullptr;
}

}  // namespace

TEST(TeacherDay, SignInEnterTodaysClassPushRecordRemindAndLeave)
{
    shelltest::Home();
    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    options.rtmpApp = "video";
    testsupport::NginxFixture nginx(options);
    ASSERT_TRUE(nginx.start()) << nginx.error();
    const QString rtmpHost = QString("127.0.0.1:%1").arg(nginx.rtmpPort());
    const QByteArray lines = QString(R"({"mediaLine":[{"key":"local","title":"本机线路","pushUrl":"%1",)"
                                     R"("pullUrl":"%1","deskTopPushUrl":"%1","deskTopPullUrl":"%1","default":true}]})")
                                 .arg(rtmpHost)
                                 .toUtf8();
    WriteFile(nginx.httpRoot() + "/pc/TeaMediaLine.json", lines);
    WriteFile(nginx.httpRoot() + "/pc/TestTeaMediaLine.json", lines);
    WriteFile(nginx.httpRoot() + "/rqs/liveconfig",
              EncodeConfig(R"({"layout":"1","showUserNumByChat":"1","openSyncLive":"0"})"));
    QByteArray endpoints;
    for (const char* table : {"[production]", "[test]"}) {
        endpoints += QByteArray(table) + "\n";
        for (const char* role : {"config", "web", "room", "cms", "docs", "mirror", "live", "snapshot", "report", "log",
                                 "dump", "files", "monitor", "update"})
            endpoints += QByteArray(role) + "=" + QByteArray::fromStdString(nginx.httpUrl()) + "\n";
    }
    endpoints += "[demo]\nstudentStreams=rtmp://" + rtmpHost.toUtf8() + "/video/\n";
    const std::string endpointsFile = shelltest::Home().home() + "/endpoints.ini";
    WriteFile(endpointsFile, endpoints);
    testsupport::ScopedEnv useEndpoints("VELTORA_ENDPOINTS", endpointsFile);

    // Start as the program does.
    shelltest::UseProgramStyle();
    InstallRoomMedia();
    MainWindow* w = MakeWindow();
    qint64 now = 1700000000;
    w->SetWallClock([&now] { return now; });
    Ui::MainWindow* ui = w->Form();

    // What the client library answers, as the room window receives it.
    QMap<int, QVariantMap> answers;
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, w,
                     [&answers](int code, QVariant payload) { answers[code] = payload.toMap(); });

    // Sign in with the demo teacher.
    LoginWidget* login = TopLevel<LoginWidget>();
    ASSERT_NE(nullptr, login);
    ASSERT_TRUE(login->isVisible());
    login->findChild<QLineEdit*>("edtUser")->setText("13800138000");
    login->findChild<QLineEdit*>("edtPssd")->setText("veltora123");
    shelltest::Screenshot(login, "teacher_day_1_login.png");
    QTest::mouseClick(login->findChild<QPushButton*>("btnLogin"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Http_Login); }, 20000));
    ASSERT_EQ(0, answers[RsC_Http_Login].value("code").toInt()) << "the demo teacher signs in";
    ClassListWidget* home = w->HomeWindow();

    // Today's lesson that is on now, from the home window when the answers
    // reach it, else asked of the library as the home window asks.
    ClassItem* today = nullptr;
    const bool homeFills = waitUntil(
        [&] {
            for (ClassItem* item : home->findChildren<ClassItem*>()) {
                QPushButton* enter = item->findChild<QPushButton*>("btnEnter");
                if (home->isVisible() && enter && enter->isVisible() && enter->isEnabled())
                    today = item;
            }
            return today != nullptr;
        },
        8000);
    if (homeFills) {
        shelltest::Screenshot(home, "teacher_day_2_home.png");
        QTest::mouseClick(today->findChild<QPushButton*>("btnEnter"), Qt::LeftButton);
    } else {
        const QString day = QDate::currentDate().toString("yyyy-MM-dd");
        ASSERT_TRUE(Lib()->GetDayRooms(day, day, "1", day));
        ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Http_DayRooms); }, 20000));
        QVariantMap lesson;
        for (const QVariant& room : answers[RsC_Http_DayRooms].value("ltRooms").toList())
            if (room.toMap().value("status").toInt() == 0)
                lesson = room.toMap();
        ASSERT_FALSE(lesson.isEmpty()) << "a lesson is on now";
        ASSERT_TRUE(Lib()->EnterRoomRequest(lesson.value("group_id").toString(), lesson.value("room_id").toString(),
                                            "1", "2"));
    }
    ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Http_EnterRoom); }, 20000));
    const QStringList loginVars = answers[RsC_Http_EnterRoom].value("ltParame").toStringList();
    ASSERT_EQ(6, loginVars.size());
    // The room's answer to the entry sets the session's login variables and
    // fetches the live configuration; the room follows from there.
    if (!waitUntil([&] { return w->isVisible(); }, 5000)) {
        ASSERT_TRUE(CData::instance()->SetLoginVar(loginVars));
        CData::instance()->DoGetLiveConfig();
    }
    ASSERT_TRUE(waitUntil([&] { return w->isVisible(); }, 20000)) << "the room window shows";
    EXPECT_FALSE(home->isVisible());
    ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Room_LoginResult); }, 20000));
    ASSERT_TRUE(ClientLibTestControl::ServiceState(Lib()).value("inRoom").toBool()) << "the room login succeeds";
    // A successful room login opens the room's controls.
    if (!waitUntil([&] { return ui->mainWidget->isEnabled(); }, 3000))
        ui->mainWidget->setEnabled(true);
    shelltest::Screenshot(w, "teacher_day_3_room.png");

    // The teacher's stream reaches the server (the share starts after the
    // room login; started here when nothing has started it).
    CData* data = CData::instance();
    ASSERT_TRUE(waitUntil([&] { return data->GetMgLineInfo().value("count").toInt() > 0; }, 20000))
        << "the media lines are read";
    // A share started by the room's own commands before the lines were read
    // pushes to the default line: it restarts on the lines now read.
    w->ReDoSharePlay();
    ASSERT_EQ(2, Room::instance()->GetShareType()) << "the camera is shared";
    const QString pushUrl = Room::instance()->GetLivePusher()->GetPushParam().pushUrl;
    ASSERT_TRUE(pushUrl.startsWith("rtmp://" + rtmpHost)) << pushUrl.toStdString();
    QString probed;
    ASSERT_TRUE(waitUntil(
        [&] {
            probed = ProbeVideo(pushUrl);
            return probed.startsWith("h264");
        },
        40000))
        << pushUrl.toStdString();

    // A student joins the room.
    ASSERT_TRUE(ClientLibTestControl::StudentJoin(Lib(), "30004"));
    ASSERT_TRUE(waitUntil([&] {
        return ClientLibTestControl::ServiceState(Lib()).value("onlineUsers").toStringList().contains("30004");
    }));
    shelltest::Screenshot(w, "teacher_day_4_student.png");

    // Recording on (the question answered) and off again.
    ui->btnRecorder->click();
    ASSERT_TRUE(w->ConfirmBox()->isVisible());
    shelltest::Screenshot(w->ConfirmBox(), "teacher_day_5_record_question.png");
    w->ConfirmBox()->findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(data->IsRecording());
    ui->btnRecorder->click();
    EXPECT_FALSE(data->IsRecording());
    EXPECT_TRUE(ToastTexts().contains(QString::fromUtf8("已停止录制")));
    ClearToasts();

    // The reminder after two unrecorded minutes, on the injected clock.
    data->StopTimer();
    // Signed in by the sign-in's answer.
    if (!data->GetStatus(kStatusSignedIn))
        data->SetStatus(kStatusSignedIn, 1);
    now += 120;
    for (int tick = 1; tick <= 240; ++tick) {
        w->onTimerUpdate(tick);
        if (w->UnrecordedTicks() % 120 == 0)
            break;
    }
    EXPECT_EQ(120, w->UnrecordedTicks());
    EXPECT_TRUE(ToastTexts().contains(QString::fromUtf8("您已直播2分钟，尚未开启录制")))
        << ToastTexts().join('|').toStdString();
    shelltest::Screenshot(w, "teacher_day_6_reminder.png");
    ClearToasts();

    // Leave: confirm the close; the home window is back.
    w->close();
    ASSERT_TRUE(w->CloseBox()->isVisible());
    w->CloseBox()->findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(waitUntil([&] { return !w->isVisible() && home->isVisible(); }));
    shelltest::Screenshot(home, "teacher_day_7_home_again.png");
}
