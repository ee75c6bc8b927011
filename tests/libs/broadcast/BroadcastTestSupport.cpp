#include "tests/libs/broadcast/BroadcastTestSupport.h"

#include "QtWait.h"

#include <QThread>

#include <algorithm>
#include <cstdlib>

namespace broadcasttest {

Engine::Engine(Broadcast::ESourceType visual, const char* visualName, const std::vector<const char*>& audio)
{
    engine = IBroadcastEngine::create(&observer);
    engine->Initialize();
    engine->Start();
    auto scenes = engine->GetScenes();
    if (!scenes->HasScene(kScene))
        scenes->AddScene(kScene);
    scenes->SelectScene(kScene);
    engine->SetVideoOutput(1920, 1080, 2048);
    for (const char* name : audio) {
        const std::string n = name;
        const Broadcast::ESourceType type = n == kMic       ? Broadcast::kSourceAudioInput
                                            : n == kSpeaker ? Broadcast::kSourceAudioOutput
                                                            : Broadcast::kSourceMulAudioInput;
        engine->AddSource(type, name, kScene);
    }
    if (visualName) {
        engine->AddSource(visual, visualName, kScene);
        engine->SetSourceOrder(visualName, 10);
    }
}

Engine::~Engine()
{
    engine->Stop();
    IBroadcastEngine::release(engine);
}

bool Engine::waitFor(const std::string& event, int count, int maxMs)
{
    return testsupport::waitUntil([&] { return observer.log.count(event) >= count; }, maxMs);
}

std::string Engine::record(const std::string& folder, int ms, const char* format)
{
    engine->SetRecordPath(folder.c_str());
    engine->SetRecordFormat(format);
    // File names are made of the second: a second recording waits for the next.
    QThread::msleep(recordings ? 1100 : 0);
    if (!engine->StartRecording() || !waitFor("recording", ++recordings))
        return "";
    const std::string file = engine->GetRecordPath();
    QThread::msleep(static_cast<unsigned long>(ms));
    engine->StopRecording();
    return waitFor("stopRecord:0", recordings) ? file : "";
}

uint32_t RgbPicture::at(int x, int y) const
{
    const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
    if (x < 0 || y < 0 || x >= width || y >= height || i + 2 >= rgb.size())
        return 0;
    return uint32_t(uint8_t(rgb[i])) << 16 | uint32_t(uint8_t(rgb[i + 1])) << 8 | uint8_t(rgb[i + 2]);
}

int RgbPicture::distance(int x, int y, uint32_t colour) const
{
    const uint32_t c = at(x, y);
    int d = 0;
    for (int shift : {16, 8, 0})
        d = std::max(d, std::abs(int((c >> shift) & 0xff) - int((colour >> shift) & 0xff)));
    return d;
}

RgbPicture pictureOf(const std::string& input, int width, int height, bool fromEnd)
{
    std::vector<std::string> args = {"ffmpeg", "-v", "error"};
    if (fromEnd) {
        args.push_back("-sseof");
        args.push_back("-1");
    }
    for (const char* a : {"-i"})
        args.push_back(a);
    args.push_back(input);
    for (const std::string& a : std::vector<std::string>{"-frames:v", "1", "-s",
                                                         std::to_string(width) + "x" + std::to_string(height),
                                                         "-f", "rawvideo", "-pix_fmt", "rgb24", "-"})
        args.push_back(a);
    RgbPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb = mediatest::runCapture(args);
    return picture;
}

std::vector<int16_t> soundOf(const std::string& file)
{
    const std::string raw = mediatest::runCapture(
        {"ffmpeg", "-v", "error", "-i", file, "-vn", "-ac", "1", "-ar", "48000", "-f", "s16le", "-"});
    std::vector<int16_t> samples(raw.size() / 2);
    std::copy(raw.data(), raw.data() + samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
}

}  // namespace broadcasttest
