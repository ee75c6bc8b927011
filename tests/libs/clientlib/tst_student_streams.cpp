// test-labels: e2e
// The simulated students' cameras: a joining student in a small class brings
// its tile and publishes a generated picture and a tone to a real RTMP
// server; switching the camera and leaving end the push. The teacher's
// switches and stars are answered as a room would.
#include "tests/libs/clientlib/ClientLibProbe.h"

#include "NginxFixture.h"

#include <QProcess>
#include <QtEndian>

#include <cmath>

using namespace cltest;

namespace {

std::function<bool(const Received&)> userIs(const char* id)
{
    return [id](const Received& r) { return r.map().value("userid").toString() == id; };
}

// The codes received since the last clear, in order, among `wanted`.
QList<int> sequence(std::initializer_list<int> wanted)
{
    QList<int> out;
    for (const Received& r : rec().all())
        if (std::find(wanted.begin(), wanted.end(), r.code) != wanted.end()) out << r.code;
    return out;
}

QString run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return QString();
    }
    if (out) *out = p.readAllStandardOutput();
    return QString::fromUtf8(out ? *out : p.readAllStandardOutput());
}

// The RMS of one second of the stream's sound, 16-bit mono.
double soundLevel(const QString& url)
{
    QByteArray pcm;
    run("ffmpeg", {"-v", "error", "-rw_timeout", "10000000", "-i", url, "-t", "1", "-vn", "-f", "s16le", "-ac", "1",
                   "-ar", "48000", "-"},
        &pcm);
    const int n = pcm.size() / 2;
    if (n < 4800) return -1;
    double sum = 0;
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    for (int i = 0; i < n; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / n);
}

class StudentStreamsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::NginxFixture::Options o;
        o.http = false;
        o.rtmp = true;
        nginx = std::make_unique<testsupport::NginxFixture>(o);
        ASSERT_TRUE(nginx->start()) << nginx->error();
        lib = std::make_unique<LibFixture>();
        ClientLibTestControl::SetStudentStreamBase(lib->lib(), QString::fromStdString(nginx->rtmpUrl("")));
        lib->login();
    }
    void TearDown() override
    {
        lib.reset();
        nginx.reset();
    }
    std::unique_ptr<testsupport::NginxFixture> nginx;
    std::unique_ptr<LibFixture> lib;
};

}  // namespace

TEST_F(StudentStreamsTest, JoiningStudentPublishesPictureAndToneThenLeaves)
{
    const QString roomId = todayRoom(lib->lib(), "今日数学");
    lib->enterRoom(roomId);
    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentJoin(lib->lib(), "601"));
    const QVariantMap tile = answer(RsC_UserVideo_State, userIs("601"));
    EXPECT_TRUE(tile.value("cam").toBool());
    EXPECT_TRUE(tile.value("mic").toBool());
    EXPECT_EQ(tile.value("type").toInt(), 0);
    EXPECT_EQ(tile.value("userName").toString(), "甲");
    const QString url = tile.value("stream").toString();
    EXPECT_EQ(url, QString::fromStdString(nginx->rtmpUrl("")) + "stu_" + roomId + "_601");
    answer(RsC_Video_PlayUser, userIs("601"));
    EXPECT_EQ(sequence({RsC_User_Join, RsC_UserVideo_State, RsC_Video_PlayUser}),
              (QList<int>{RsC_User_Join, RsC_UserVideo_State, RsC_Video_PlayUser}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return ClientLibTestControl::StudentStreamUrl(lib->lib(), "601") == url; }));

    // A player sees a picture and a sound on the server.
    const QString streams = run("ffprobe", {"-v", "error", "-rw_timeout", "10000000", "-show_entries",
                                            "stream=codec_name,width,height", "-of", "csv=p=0", url});
    EXPECT_TRUE(streams.contains("h264,320,240")) << streams.toStdString();
    EXPECT_TRUE(streams.contains("aac")) << streams.toStdString();
    EXPECT_GT(soundLevel(url), 1000.0);  // a tone, not the generated silence

    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentLeave(lib->lib(), "601"));
    answer(RsC_User_Leave);
    EXPECT_EQ(sequence({RsC_Video_StopUser, RsC_UserVideo_Remove, RsC_User_Leave}),
              (QList<int>{RsC_Video_StopUser, RsC_UserVideo_Remove, RsC_User_Leave}));
    EXPECT_TRUE(testsupport::waitUntil([&] { return ClientLibTestControl::StudentStreamUrl(lib->lib(), "601").isEmpty(); }));
}

TEST_F(StudentStreamsTest, CameraSwitchesAndRoomsWithoutPictures)
{
    lib->enterRoom(todayRoom(lib->lib(), "今日数学"));
    ClientLibTestControl::StudentJoin(lib->lib(), "602");
    answer(RsC_Video_PlayUser, userIs("602"));

    // Camera off: the tile stays (cam false, no address), the stream ends.
    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentCamera(lib->lib(), "602", false));
    QVariantMap off = answer(RsC_UserVideo_State, userIs("602"));
    EXPECT_FALSE(off.value("cam").toBool());
    EXPECT_TRUE(off.value("stream").toString().isEmpty());
    answer(RsC_Video_StopUser, userIs("602"));
    EXPECT_TRUE(testsupport::waitUntil([&] { return ClientLibTestControl::StudentStreamUrl(lib->lib(), "602").isEmpty(); }));
    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentCamera(lib->lib(), "602", true));
    EXPECT_TRUE(answer(RsC_UserVideo_State, userIs("602")).value("cam").toBool());
    answer(RsC_Video_PlayUser, userIs("602"));

    // Without a server students come without a camera and cannot switch it on.
    ClientLibTestControl::SetStudentStreamBase(lib->lib(), "");
    rec().clear();
    ClientLibTestControl::StudentJoin(lib->lib(), "601");
    off = answer(RsC_UserVideo_State, userIs("601"));
    EXPECT_FALSE(off.value("cam").toBool());
    EXPECT_FALSE(ClientLibTestControl::StudentCamera(lib->lib(), "601", true));
    EXPECT_FALSE(ClientLibTestControl::StudentCamera(lib->lib(), "no-such", false));
    EXPECT_EQ(rec().count(RsC_Video_PlayUser), 0);

    // Leaving the room stops every push.
    lib->lib()->LeaveRoom();
    EXPECT_TRUE(testsupport::waitUntil([&] { return ClientLibTestControl::StudentStreamUrl(lib->lib(), "602").isEmpty(); }));
}

// The teacher's tool bar on a student's tile, answered as a room would:
// the camera and microphone with the tile's state (103, and 105 or 106 for
// the camera, whose push follows), a star with 113 and the room's count (114).
TEST_F(StudentStreamsTest, TeacherSwitchesAndStarsAreAnsweredWithTheTilesState)
{
    lib->enterRoom(todayRoom(lib->lib(), "今日数学"));
    ClientLibTestControl::StudentJoin(lib->lib(), "602");
    answer(RsC_Video_PlayUser, userIs("602"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !ClientLibTestControl::StudentStreamUrl(lib->lib(), "602").isEmpty(); }));

    struct Switch {
        bool camera;  // else the microphone
        bool on;
        bool cam, mic;  // the tile's state in the answer
        int media;      // 105, 106 or 0: what the room says of the picture
        bool publishing;
    };
    const Switch switches[] = {
        {true, false, false, true, RsC_Video_StopUser, false},
        {false, false, false, false, 0, false},
        {true, true, true, false, RsC_Video_PlayUser, true},
        {false, true, true, true, 0, true},
    };
    for (const Switch& sw : switches) {
        SCOPED_TRACE(QString("%1 %2").arg(sw.camera ? "camera" : "microphone").arg(sw.on).toStdString());
        rec().clear();
        ASSERT_TRUE(sw.camera ? lib->lib()->SetUserVideoState("602", sw.on) : lib->lib()->SetUserAudioState("602", sw.on));
        const QVariantMap tile = answer(RsC_UserVideo_State, userIs("602"));
        EXPECT_EQ(sw.cam, tile.value("cam").toBool());
        EXPECT_EQ(sw.mic, tile.value("mic").toBool());
        EXPECT_EQ(sw.cam, !tile.value("stream").toString().isEmpty());
        EXPECT_EQ(tile.value("userName").toString(), "乙");
        const QVariantMap user = answer(RsC_User_Join, userIs("602"));
        EXPECT_EQ(sw.cam, user.value("cam").toBool());
        if (sw.media)
            EXPECT_EQ(sequence({RsC_UserVideo_State, sw.media}), (QList<int>{RsC_UserVideo_State, sw.media}));
        else
            EXPECT_EQ(rec().count(RsC_Video_PlayUser) + rec().count(RsC_Video_StopUser), 0);
        EXPECT_TRUE(testsupport::waitUntil(
            [&] { return ClientLibTestControl::StudentStreamUrl(lib->lib(), "602").isEmpty() != sw.publishing; }));
    }

    // Stars: each is announced, then counted by the room.
    for (qint64 stars = 1; stars <= 2; ++stars) {
        rec().clear();
        lib->lib()->SendPraise("602");
        EXPECT_EQ(answer(RsC_User_Praised).value("userId").toString(), "602");
        const QVariantMap count = answer(RsC_User_PraiseCount);
        EXPECT_EQ(count.value("userId").toString(), "602");
        EXPECT_EQ(count.value("count").toLongLong(), stars);
        EXPECT_EQ(sequence({RsC_User_Praised, RsC_User_PraiseCount}),
                  (QList<int>{RsC_User_Praised, RsC_User_PraiseCount}));
    }
    // Nobody to praise: no answer.
    rec().clear();
    lib->lib()->SendPraise("no-such");
    lib->lib()->SendPraise("");
    ASSERT_TRUE(lib->lib()->SetUserAudioState("602", true));  // an answer that surely comes after
    answer(RsC_UserVideo_State);
    EXPECT_EQ(rec().count(RsC_User_Praised) + rec().count(RsC_User_PraiseCount), 0);
}

TEST_F(StudentStreamsTest, LiveRoomStudentsBringNoTiles)
{
    lib->enterRoom(todayRoom(lib->lib(), "今日直播英语"), "82");
    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentJoin(lib->lib(), "601"));
    answer(RsC_User_Join, userIs("601"));
    ASSERT_TRUE(ClientLibTestControl::StudentLeave(lib->lib(), "601"));
    answer(RsC_User_Leave, userIs("601"));
    EXPECT_EQ(rec().count(RsC_UserVideo_State) + rec().count(RsC_Video_PlayUser) + rec().count(RsC_UserVideo_Remove), 0);
    EXPECT_FALSE(ClientLibTestControl::StudentCamera(lib->lib(), "601", true));
}
