// The media engines against the real client library: engine switching, the
// no-op engine, device choice kept in the settings and applied at start,
// the big room's pusher fields, and the relayed device requests served by
// the current engine.
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Room.h"
#include "ClientLibTestControl.h"
#include "media/BigRoomMediaEngine.h"
#include "app/BroadcastAudioLink.h"
#include "media/IMediaEngine.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePusher.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMediaPlayer>
#include <QWidget>

namespace {

const QString kCam1 = QString::fromUtf8("内置摄像头");
const QString kCam2 = QString::fromUtf8("USB 高清摄像头");
const QString kMic1 = QString::fromUtf8("内置麦克风");
const QString kMic2 = QString::fromUtf8("USB 麦克风");

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

QString setting(const char* key) { return CSettings::instance()->GetValue(key, "").toString(); }

// The names of the library calls made, with their first argument.
QStringList calls(ClientLib* lib)
{
    QStringList out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(lib))
        out << c.name + "(" + c.args.value(0).toString() + ")";
    return out;
}

// Declared first: runs while the room has no client library.
TEST(MediaEngineNoLibrary, NoOpEngineFirstAndForwardingAnswersFalse)
{
    home();
    ASSERT_EQ(Room::instance()->GetClientLib(), nullptr);
    IMediaEngine* none = IMediaEngine::instance();
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->getEngineType(), kMediaEngineNone);
    QList<DevicePair> list{{"keep", "keep"}};
    none->getVideoDevices(list);
    none->getInputAudioDevices(list);
    none->getOutputAudioDevices(list);
    EXPECT_EQ(list.size(), 1);  // left as it was
    EXPECT_EQ(none->getInputAudioVolume() + none->getOutputAudioVolume() + none->canPreviewVideo() +
                  none->queryDeviceState(),
              0);
    EXPECT_TRUE(none->getCurVideoDevice().isEmpty());
    EXPECT_FALSE(none->setCurVideoDevice(kCam1));
    EXPECT_FALSE(none->playUserVideo("u", nullptr));
    EXPECT_FALSE(none->enableVideoCapture(true));
    EXPECT_EQ(IMediaEngine::instance(), none);  // the same engine until a switch

    // Client-library engine without a library: false everywhere, lists
    // empty, stored names still answered.
    CSettings::instance()->SetValue("SelectSpeaker/DeviceName", "speaker A");
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineClientLib));
    IMediaEngine* cl = IMediaEngine::instance();
    EXPECT_EQ(cl->getCurOutputAudioDevice(), "speaker A");
    EXPECT_FALSE(cl->setCurOutputAudioDevice("speaker B"));
    EXPECT_EQ(setting("SelectSpeaker/DeviceName"), "speaker A");
    list = {{"x", "x"}};
    cl->getInputAudioDevices(list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_FALSE(cl->setCurInputAudioDevice(kMic1));
    EXPECT_FALSE(cl->setUserAudioState("u", true));
    EXPECT_EQ(cl->canPreviewVideo(), 0);  // nothing to preview without a library
    CSettings::instance()->SetValue("SelectSpeaker/DeviceName", "");
}

class MediaEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        home();
        static QWidget board;
        if (!Room::instance()->GetLivePusher())
            InstallRoomMedia();
        if (!Room::instance()->GetClientLib())
            Room::instance()->InitLib(&board);
    }
    void SetUp() override
    {
        lib = Room::instance()->GetClientLib();
        ASSERT_NE(lib, nullptr);
        IMediaEngine::selectEngine(kMediaEngineNone);
        ClientLibTestControl::ClearCalls(lib);
        BroadcastAudioLink::instance() = BroadcastAudioLink();
        CData::instance()->SetStatus(kStatusVoiceInteraction, 0);
    }
    ClientLib* lib = nullptr;
};

TEST_F(MediaEngineTest, SwitchingTable)
{
    struct Step {
        int type;
        bool result;
        int typeAfter;
        bool sameObject;
    } steps[] = {
        {kMediaEngineNone, false, kMediaEngineNone, true},
        {kMediaEngineClientLib, true, kMediaEngineClientLib, false},
        {kMediaEngineClientLib, false, kMediaEngineClientLib, true},
        {kMediaEngineBigRoom, true, kMediaEngineBigRoom, false},
        {5, true, kMediaEngineNone, false},  // unknown: none left, a no-op one made on demand
        {kMediaEngineClientLib, true, kMediaEngineClientLib, false},
    };
    for (const Step& s : steps) {
        // Marked, as a new engine may reuse the old one's address.
        IMediaEngine::instance()->setObjectName("before");
        ClientLibTestControl::ClearCalls(lib);
        EXPECT_EQ(IMediaEngine::selectEngine(s.type), s.result) << s.type;
        IMediaEngine* after = IMediaEngine::instance();
        EXPECT_EQ(after->getEngineType(), s.typeAfter) << s.type;
        EXPECT_EQ(after->objectName() == "before", s.sameObject) << s.type;
        if (s.sameObject) {  // kept: its device choices are not applied again
            EXPECT_TRUE(calls(lib).isEmpty()) << calls(lib).join(" ").toStdString();
        }
    }
}

TEST_F(MediaEngineTest, DeviceChoiceIsStoredAndAppliedByTheNextEngine)
{
    // A stored camera that is no longer listed: the first listed camera is
    // chosen and stored. A listed stored speaker is applied as it is.
    CSettings::instance()->SetValue("SelectCamera/DeviceName", "gone camera");
    CSettings::instance()->SetValue("SelectSpeaker/DeviceName", "");
    CSettings::instance()->SetValue("SelectMicropone/DeviceName", kMic2);
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineClientLib));
    EXPECT_EQ(setting("SelectCamera/DeviceName"), kCam1);
    EXPECT_EQ(setting("SelectMicropone/DeviceName"), kMic2);
    const QStringList made = calls(lib);
    EXPECT_TRUE(made.contains("SetVideoDevice(" + kCam1 + ")")) << made.join(" ").toStdString();
    EXPECT_TRUE(made.contains("SetInputAudioDevice(" + kMic2 + ")"));
    // No stored speaker: the first listed is applied, nothing stored.
    bool speaker = false;
    for (const QString& c : made)
        speaker = speaker || c.startsWith("SetOutputAudioDevice(");
    EXPECT_TRUE(speaker);
    EXPECT_EQ(setting("SelectSpeaker/DeviceName"), "");

    IMediaEngine* engine = IMediaEngine::instance();
    QList<DevicePair> cams;
    engine->getVideoDevices(cams);
    ASSERT_EQ(cams.size(), 2);
    EXPECT_EQ(cams[1], DevicePair(kCam2, kCam2));
    EXPECT_TRUE(engine->setCurVideoDevice(kCam2));
    EXPECT_EQ(engine->getCurVideoDevice(), kCam2);
    EXPECT_FALSE(engine->setCurVideoDevice("no such camera"));  // the library's answer passes through
    EXPECT_EQ(setting("SelectCamera/DeviceName"), "no such camera");
    EXPECT_TRUE(engine->setCurVideoDevice(kCam2));

    // The big-room engine starts with the stored camera and microphone and
    // writes them into the pusher's record as well.
    ClientLibTestControl::ClearCalls(lib);
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineBigRoom));
    EXPECT_TRUE(calls(lib).contains("SetVideoDevice(" + kCam2 + ")"));
    RtmpPushParam p = Room::instance()->GetLivePusher()->GetPushParam();
    EXPECT_EQ(p.cameraName, kCam2);
    EXPECT_EQ(p.micName, kMic2);
}

TEST_F(MediaEngineTest, MicrophoneGoesToTheBroadcastWindowAndPusher)
{
    QStringList handed;
    BroadcastAudioLink::instance().setInputAudio = [&](const QString& name) {
        handed << name;
        return true;
    };
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineBigRoom));
    handed.clear();
    RtmpLivePusher* pusher = Room::instance()->GetLivePusher();
    RtmpPushParam before = pusher->GetPushParam();
    before.pushUrl = "rtmp://h/live/x";
    before.videoMode = 3;
    pusher->SetPushParam(before);

    IMediaEngine* engine = IMediaEngine::instance();
    EXPECT_TRUE(engine->setCurInputAudioDevice(kMic1));
    EXPECT_EQ(handed, QStringList{kMic1});
    EXPECT_EQ(engine->getCurInputAudioDevice(), kMic1);
    RtmpPushParam after = pusher->GetPushParam();
    EXPECT_EQ(after.micName, kMic1);
    EXPECT_EQ(after.pushUrl, before.pushUrl);  // the other fields stay
    EXPECT_EQ(after.videoMode, 3);
    EXPECT_EQ(after.cameraName, before.cameraName);

    // Participants' switches do nothing in the big room; the camera is only
    // switched while the voice interaction is open.
    ClientLibTestControl::ClearCalls(lib);
    EXPECT_FALSE(engine->setUserVideoState("stu1", true));
    EXPECT_TRUE(engine->enableVideoCapture(true));
    EXPECT_TRUE(calls(lib).isEmpty());
    CData::instance()->SetStatus(kStatusVoiceInteraction, 1);
    EXPECT_TRUE(engine->enableVideoCapture(true));
    EXPECT_EQ(calls(lib), QStringList{"EnableVideoCapture(true)"});

    // The client-library engine forwards the switches.
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineClientLib));
    ClientLibTestControl::ClearCalls(lib);
    IMediaEngine::instance()->setUserAudioState("stu1", false);
    IMediaEngine::instance()->previewVideo(42, true);
    IMediaEngine::instance()->previewVideo(42, false);
    EXPECT_EQ(calls(lib), (QStringList{"SetUserAudioState(stu1)", "StopPreviewVideo()", "SetPreviewVideoSink(true)",
                                       "StartPreviewVideo(42)", "StopPreviewVideo()"}));
}

TEST_F(MediaEngineTest, BigRoomKeepsPusherFieldsWithoutALibraryCall)
{
    // The pusher's fields change even when the library refuses the device.
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineBigRoom));
    EXPECT_FALSE(IMediaEngine::instance()->setCurVideoDevice("unplugged"));
    EXPECT_EQ(Room::instance()->GetLivePusher()->GetPushParam().cameraName, "unplugged");
    IMediaEngine::instance()->setCurVideoDevice(kCam1);
}

TEST_F(MediaEngineTest, LocalSoundFileGoesToTheLibraryOnTheChosenSpeaker)
{
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineClientLib));
    auto* engine = static_cast<ClientLibMediaEngine*>(IMediaEngine::instance());
    ClientLibTestControl::ClearCalls(lib);
    engine->playAudioFile("/tmp/test-sound.wav");
    engine->stopAudioFile();
    EXPECT_EQ(calls(lib), QStringList({"PlayAudioFile(/tmp/test-sound.wav)", "StopAudioFile()"}));
    ASSERT_NE(engine->audioFilePlayer(), nullptr);
    EXPECT_TRUE(engine->audioFilePlayer()->media().isNull());  // only without a library
}

TEST_F(MediaEngineTest, RelayedDeviceRequestsUseTheCurrentEngine)
{
    ASSERT_TRUE(IMediaEngine::selectEngine(kMediaEngineBigRoom));
    IMediaEngine::instance()->setCurVideoDevice(kCam1);
    CData* data = CData::instance();
    ASSERT_TRUE(data->SetLoginVar({"tok", "live", "u1", "T", "g1", "2"}));
    const QJsonObject list =
        QJsonDocument::fromJson(data->BuildTranReply(kTranDeviceList, {}).toString().toUtf8()).object();
    const QJsonArray cams = list["data"].toObject()["cameras"].toArray();
    ASSERT_EQ(cams.size(), 2);
    EXPECT_EQ(cams[0].toObject()["id"].toString(), kCam1);
    EXPECT_TRUE(cams[0].toObject()["isSelected"].toBool());
    EXPECT_EQ(list["data"].toObject()["mics"].toArray().size(), 2);

    const QJsonObject chosen = QJsonDocument::fromJson(
        data->BuildTranReply(kTranSelectDevice, QJsonObject{{"type", 0}, {"id", kCam2}}).toString().toUtf8()).object();
    EXPECT_EQ(chosen["code"].toInt(), 0);
    EXPECT_EQ(IMediaEngine::instance()->getCurVideoDevice(), kCam2);
    EXPECT_EQ(setting("SelectCamera/DeviceName"), kCam2);
    EXPECT_EQ(Room::instance()->GetLivePusher()->GetPushParam().cameraName, kCam2);
    data->ResetData(false);
}

}  // namespace
