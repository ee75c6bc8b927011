// The room window's share of the client library's HTTP answers, fired
// through the library: room entry (the playback page, the MP4 room, refused
// and failed entries, a room already open), the user header, the course
// information and the media address.
#include "tests/mainwindow/DispatchTestSupport.h"

#include "app/UrlProxy.h"
#include "media/MediaPlayerWidget.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QUrl>
#include <QUrlQuery>

using namespace dispatchtest;

namespace {

// Receives the addresses the window opens in the browser.
class Browser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

QVariantMap EnterAnswer(int code, const QString& roomType, const QStringList& vars, const QString& err = {})
{
    return {{"code", code}, {"errMsg", err}, {"user_data", QVariantMap{{"roomType", roomType}}}, {"ltParame", vars}};
}

const QStringList kSmallRoomVars{"tok-1|6", "42", "1001", "Ms Lin", "7", "3"};

// The room login that entering a room asks for is answered only after the
// test: the room stays entered while the test looks at it.
void HoldRoomLoginAnswer()
{
    ClientLibTestControl::SetRequestTimeout(Lib(), 600000);
    ClientLibTestControl::DelayNextRequest(Lib(), 300000);
}

// The names of the library calls since the test began, in order.
QStringList CallNames()
{
    QStringList names;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        names.append(c.name);
    return names;
}

class HttpResults : public DispatchTest {
protected:
    void SetUp() override
    {
        DispatchTest::SetUp();
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(scheme, &m_browser, "open");
    }
    void TearDown() override
    {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
        DispatchTest::TearDown();
    }
    Browser m_browser;
};

}  // namespace

TEST_F(HttpResults, SmallRoomEntryLeavesTheOldRoomStoresTheVariablesAndEnters)
{
    HoldRoomLoginAnswer();
    Fire(RsC_Http_EnterRoom, EnterAnswer(0, "3", kSmallRoomVars));
    EXPECT_EQ(CData::instance()->GetLoginVar(), kSmallRoomVars);
    // The old room is left before the new one is logged in with its variables.
    const QStringList names = CallNames();
    ASSERT_TRUE(names.contains("LeaveRoom") && names.contains("LoginRoom")) << names.join(' ').toStdString();
    EXPECT_LT(names.indexOf("LeaveRoom"), names.indexOf("LoginRoom"));
    EXPECT_EQ(CallsNamed("LoginRoom").value(0).value(0).toStringList(), kSmallRoomVars);
    EXPECT_EQ(CData::instance()->GetLiveMode(), 2);
    EXPECT_TRUE(ShownBoxes().isEmpty());

    // A second answer while the room is open changes nothing.
    ClientLibTestControl::ClearCalls(Lib());
    Fire(RsC_Http_EnterRoom, EnterAnswer(0, "4", {"other", "1", "2", "3", "4", "3"}));
    EXPECT_EQ(CData::instance()->GetLoginVar(), kSmallRoomVars);
    EXPECT_TRUE(CallsNamed("LeaveRoom").isEmpty());
    EXPECT_EQ(CData::instance()->GetLiveMode(), 2);
    EXPECT_TRUE(ShownBoxes().isEmpty());
}

TEST_F(HttpResults, Mp4RoomSetsItsLiveModeOnceAccepted)
{
    HoldRoomLoginAnswer();
    Fire(RsC_Http_EnterRoom, EnterAnswer(0, "4", kSmallRoomVars));
    EXPECT_EQ(CData::instance()->GetLiveMode(), 10);
    EXPECT_EQ(CData::instance()->GetLoginVar(), kSmallRoomVars);
}

TEST_F(HttpResults, RefusedRoomKeepsTheLiveModeAndSaysSo)
{
    // Class type "100" is not a room this client may enter.
    Fire(RsC_Http_EnterRoom, EnterAnswer(0, "4", {"tok", "1", "2", "3", "4", "100"}));
    EXPECT_EQ(CData::instance()->GetLiveMode(), 2);
    EXPECT_TRUE(CData::instance()->GetLoginVar().isEmpty());
    const QList<MsgBox*> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(BoxText(boxes[0]), U("进入房间失败，客户端和房间类型不匹配!"));
    EXPECT_EQ(boxes[0]->findChild<QPushButton*>("btnOk")->text(), U("确定"));
    EXPECT_EQ(boxes[0]->findChild<QPushButton*>("btnCancel")->text(), U("取消"));
    EXPECT_TRUE(boxes[0]->testAttribute(Qt::WA_DeleteOnClose));
    shelltest::Screenshot(boxes[0], "dispatch_room_type_mismatch.png");
}

TEST_F(HttpResults, FailedEntryShowsTheServersMessage)
{
    Fire(RsC_Http_EnterRoom, EnterAnswer(-102, "3", {}, U("房间不存在")));
    const QList<MsgBox*> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(BoxText(boxes[0]), U("进入房间失败房间不存在!"));
    EXPECT_TRUE(CallsNamed("LeaveRoom").isEmpty());
    shelltest::Screenshot(boxes[0], "dispatch_room_entry_failed.png");
}

TEST_F(HttpResults, RecordedClassOpensThePlaybackPageOnly)
{
    Fire(RsC_Http_EnterRoom, EnterAnswer(0, "5", {"tok|6", "42", "1001", "Ms Lin&Co", "7", "3"}));
    ASSERT_EQ(m_browser.opened.size(), 1);
    const QUrl url = m_browser.opened[0];
    EXPECT_TRUE(url.toString().startsWith(QString::fromUtf8(UrlProxy::GetUrl(kUrlPlaybackPage)) + "?token="));
    // The page reads its query after the address's own "?" (which may sit in
    // the fragment); the name's own "&" stays inside the name.
    const QString full = url.toString(QUrl::FullyEncoded);
    const QUrlQuery query(full.mid(full.lastIndexOf('?') + 1));
    EXPECT_EQ(query.queryItemValue("token", QUrl::FullyDecoded), QString("tok|6"));
    EXPECT_EQ(query.queryItemValue("name", QUrl::FullyDecoded), QString("Ms Lin&Co"));
    EXPECT_TRUE(CallsNamed("LeaveRoom").isEmpty());
    EXPECT_TRUE(CData::instance()->GetLoginVar().isEmpty());
}

TEST_F(HttpResults, UserHeaderOnlyWithAUserAHeaderAndSuccess)
{
    Fire(RsC_Http_UserHeader,
         QVariantMap{{"code", 0}, {"user_data", QVariantMap{{"userid", "s1"}}}, {"userHeader", "http://h/1.png"}});
    UserInfo u;
    ASSERT_TRUE(CData::instance()->GetUser("s1", u));
    EXPECT_EQ(u.userHeader, "http://h/1.png");
    for (const QVariantMap& refused :
         {QVariantMap{{"code", 1}, {"user_data", QVariantMap{{"userid", "s2"}}}, {"userHeader", "h"}},
          QVariantMap{{"code", 0}, {"user_data", QVariantMap{{"userid", "s2"}}}, {"userHeader", ""}},
          QVariantMap{{"code", 0}, {"userHeader", "h"}}}) {
        Fire(RsC_Http_UserHeader, refused);
        EXPECT_FALSE(CData::instance()->GetUser("s2", u));
    }
}

TEST_F(HttpResults, CourseInformationSetsTheTitleAndTheEnd)
{
    Fire(RsC_Http_CourseInfo, QVariantMap{{"title", U("物理")}, {"begintime", "2026-12-11 08:00:00"},
                                          {"endtime", "2026-12-11 09:45:00"}, {"teacherinfo", QVariantMap{}}});
    EXPECT_EQ(Form()->labTitle->text(), U("物理"));
    EXPECT_EQ(W().CourseEnd(), QDateTime(QDate(2026, 12, 11), QTime(9, 45), Qt::LocalTime).toMSecsSinceEpoch());
    Fire(RsC_Http_CourseInfo, QVariantMap{{"title", U("物理")}, {"endtime", "2026-13-45 99:00:00"}});
    EXPECT_EQ(W().CourseEnd(), 0);
}

TEST_F(HttpResults, MediaAddressInASubClassroomIsRefused)
{
    CData::instance()->SetClassType(0, true);
    Fire(RsC_Http_MediaUrl, QVariantMap{{"geturl", "http%3A%2F%2F127.0.0.1%3A9%2Fa.mp4"}, {"user_data", QVariantMap{}}});
    EXPECT_EQ(NewToasts(), QStringList{U("双师子教室老师不允许播放媒体文件!")});
    shelltest::Screenshot(NewestToast(), "dispatch_sub_classroom_media_toast.png");
    ForgetToasts();
    CData::instance()->SetClassType(2, true);
    // Elsewhere the decoded address goes to the room's media player with the command it answers.
    Fire(RsC_Http_MediaUrl, QVariantMap{{"geturl", "http%3A%2F%2F127.0.0.1%3A9%2Fb.mp4"},
                                        {"user_data", QVariantMap{{"cmd", "pause"}, {"docid", "d2"}, {"ts", 0},
                                                                  {"totalTs", 60000}, {"type", "video"}}}});
    EXPECT_TRUE(NewToasts().isEmpty());
    auto* player = W().findChild<MediaPlayerWidget*>();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(testsupport::waitUntil(
        [player] { return player->mediaInfo() && player->mediaInfo()->url == "http://127.0.0.1:9/b.mp4"; }));
    player->StopMedia(false);
}

TEST_F(HttpResults, OtherResultsAreNotTheRoomShells)
{
    for (int code : {int(RsC_Http_Feedback), int(RsC_Http_AppAuth), 1034}) {
        Fire(code, QVariantMap{{"code", 0}, {"title", "X"}, {"ltParame", kSmallRoomVars}});
        EXPECT_TRUE(CData::instance()->GetLoginVar().isEmpty()) << code;
        EXPECT_NE(Form()->labTitle->text(), QString("X")) << code;
        EXPECT_TRUE(ShownBoxes().isEmpty()) << code;
    }
}

#include "tst_http_results.moc"
