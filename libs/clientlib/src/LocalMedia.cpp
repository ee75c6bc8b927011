#include "libs/clientlib/src/LocalMedia.h"

#include "libs/mediacore/AudioFilePlayer.h"
#include "libs/mediacore/CaptureSource.h"
#include "libs/mediacore/DeviceList.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace clientlib {

namespace {

enum Kind { kCamera = 0, kMicrophone = 1, kSpeaker = 2 };

// The id of a data-set camera name: its pictures are generated.
const char kGeneratedPrefix[] = "generated:";
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;
constexpr int kLevelRate = 48000;

// Converts captured pictures of any format and size to RGB32 pictures that
// fit kPreviewWidth x kPreviewHeight. Capture thread only.
class PictureConverter {
public:
    QImage convert(const AVFrame* f)
    {
        if (!f || f->width <= 0 || f->height <= 0)
            return QImage();
        const double scale = std::min({1.0, double(kPreviewWidth) / f->width, double(kPreviewHeight) / f->height});
        const int w = std::max(2, int(f->width * scale) & ~1), h = std::max(2, int(f->height * scale) & ~1);
        m_sws.reset(sws_getCachedContext(m_sws.release(), f->width, f->height, AVPixelFormat(f->format), w, h,
                                         AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!m_sws)
            return QImage();
        QImage img(w, h, QImage::Format_RGB32);
        uint8_t* dst[] = {img.bits()};
        const int dstStride[] = {int(img.bytesPerLine())};
        sws_scale(m_sws.get(), f->data, f->linesize, 0, f->height, dst, dstStride);
        return img;
    }

private:
    mediacore::SwsPtr m_sws;
};

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

struct LocalMedia::Watched {
    std::unique_ptr<mediacore::CaptureSource> capture;
    std::thread watcher;
    std::mutex lock;              // guards stop
    std::condition_variable wake; // signalled under lock
    bool stop = false;            // guarded by lock

    ~Watched()
    {
        {
            std::lock_guard<std::mutex> lk(lock);
            stop = true;
        }
        wake.notify_all();
        if (watcher.joinable())
            watcher.join();
        capture->stop();
    }
};

LocalMedia::LocalMedia(std::function<void(const QString&)> log) : m_log(std::move(log)) {}

LocalMedia::~LocalMedia()
{
    stopPreview();
    stopLevel();
    stopFile();
}

void LocalMedia::remember(int kind, const QStringList& names, const QStringList& ids)
{
    m_ids[kind].clear();
    for (int i = 0; i < names.size(); ++i)
        m_ids[kind].insert(names[i], ids.value(i));
}

QString LocalMedia::idOf(int kind, const QString& name) const { return m_ids[kind].value(name); }

namespace {

void split(const std::vector<mediacore::DeviceInfo>& found, QStringList* names, QStringList* ids)
{
    for (const mediacore::DeviceInfo& d : found) {
        names->append(text(d.name));
        ids->append(text(d.id));
    }
}

}  // namespace

QStringList LocalMedia::cameras(const QStringList& fallback)
{
    QStringList names, ids;
    split(mediacore::listCameras(), &names, &ids);
    if (names.isEmpty()) {
        names = fallback;
        for (const QString& n : fallback)
            ids.append(kGeneratedPrefix + n);
    }
    remember(kCamera, names, ids);
    return names;
}

QStringList LocalMedia::microphones(const QStringList& fallback)
{
    QStringList names, ids;
    split(mediacore::listAudioSources(), &names, &ids);
    if (names.isEmpty())
        names = fallback;
    remember(kMicrophone, names, ids);
    return names;
}

QStringList LocalMedia::speakers(const QStringList& fallback)
{
    QStringList names, ids;
    split(mediacore::listAudioSinks(), &names, &ids);
    if (names.isEmpty())
        names = fallback;
    remember(kSpeaker, names, ids);
    return names;
}

std::unique_ptr<LocalMedia::Watched> LocalMedia::watch(std::unique_ptr<mediacore::CaptureSource> capture,
                                                       std::function<void(const QString&)> onEnd)
{
    auto w = std::make_unique<Watched>();
    w->capture = std::move(capture);
    Watched* self = w.get();
    w->watcher = std::thread([self, onEnd] {
        std::unique_lock<std::mutex> lk(self->lock);
        while (!self->stop) {
            self->wake.wait_for(lk, std::chrono::milliseconds(100));
            if (!self->stop && self->capture->ended()) {
                onEnd(text(self->capture->error()));
                return;
            }
        }
    });
    return w;
}

bool LocalMedia::startPreview(quintptr window, const QString& camera, PreviewFn sink)
{
    stopPreview();
    const QString id = idOf(kCamera, camera);
    auto converter = std::make_shared<PictureConverter>();
    mediacore::VideoSink video = [sink, window, converter](const AVFrame* f, int64_t) {
        const QImage picture = converter->convert(f);
        if (!picture.isNull() && sink)
            sink(window, picture, QString());
    };
    if (id.isEmpty()) {
        m_log(QStringLiteral("camera %1 is not a device of this machine").arg(camera));
        return false;
    }
    std::unique_ptr<mediacore::CaptureSource> capture;
    if (id.startsWith(kGeneratedPrefix))
        capture = mediacore::makePatternCapture(kPreviewWidth, kPreviewHeight * 3 / 4, 15, video);
    else
        capture = mediacore::makeDeviceVideoCapture({"v4l2", id.toStdString(), {}}, video,
                                                    [log = m_log](const std::string& l) { log(text(l)); });
    if (!capture->start()) {
        m_log(QStringLiteral("camera %1 cannot be previewed: %2").arg(camera, text(capture->error())));
        return false;
    }
    m_log(QStringLiteral("preview of camera %1 started").arg(camera));
    m_preview = watch(std::move(capture), [sink, window, camera, log = m_log](const QString& why) {
        const QString error = QStringLiteral("摄像头 %1 已停止工作").arg(camera);
        log(QStringLiteral("preview of camera %1 ended: %2").arg(camera, why));
        if (sink)
            sink(window, QImage(), error);
    });
    return true;
}

void LocalMedia::stopPreview()
{
    if (!m_preview)
        return;
    m_preview.reset();
    m_log(QStringLiteral("preview stopped"));
}

bool LocalMedia::startLevel(const QString& mic, LevelFn sink)
{
    stopLevel();
    m_levelSink = sink;
    const QString id = idOf(kMicrophone, mic);
    mediacore::AudioSink audio = [sink](int16_t* samples, int frames, int channels, int, int64_t) {
        int peak = 0;
        for (int i = 0; i < frames * channels; ++i)
            peak = std::max(peak, std::abs(int(samples[i])));
        if (sink)
            sink(float(peak) / 32768.0f, QString());
    };
    std::unique_ptr<mediacore::CaptureSource> capture;
    if (id.isEmpty())
        capture = mediacore::makeSilenceCapture(kLevelRate, 1, audio);
    else
        capture = mediacore::makeDeviceAudioCapture(
            {"pulse", id.toStdString(), {{"sample_rate", std::to_string(kLevelRate)}, {"channels", "1"},
                                         {"fragment_size", "1920"}}},
            kLevelRate, 1, audio, [log = m_log](const std::string& l) { log(text(l)); });
    if (!capture->start()) {
        m_log(QStringLiteral("microphone %1 cannot be opened: %2").arg(mic, text(capture->error())));
        if (sink)
            sink(0.0f, QStringLiteral("麦克风 %1 无法打开，请检查麦克风或声音服务").arg(mic));
        return false;
    }
    m_log(QStringLiteral("level of microphone %1 monitored").arg(mic));
    m_level = watch(std::move(capture), [sink, mic, log = m_log](const QString& why) {
        log(QStringLiteral("microphone %1 ended: %2").arg(mic, why));
        if (sink)
            sink(0.0f, QStringLiteral("麦克风 %1 已断开，请检查麦克风或声音服务").arg(mic));
    });
    return true;
}

void LocalMedia::stopLevel()
{
    m_levelSink = nullptr;
    m_level.reset();
}

void LocalMedia::setMicrophone(const QString& mic)
{
    if (m_levelSink)
        startLevel(mic, m_levelSink);
}

bool LocalMedia::playFile(const QString& path, const QString& speaker)
{
    if (!m_player)
        m_player = std::make_unique<mediacore::AudioFilePlayer>([log = m_log](const std::string& l) { log(text(l)); });
    const QString id = idOf(kSpeaker, speaker);
    if (!speaker.isEmpty() && id.isEmpty()) {
        m_log(QStringLiteral("speaker %1 is not a device of this machine: the sound is not played").arg(speaker));
        return false;
    }
    return m_player->play(path.toStdString(), id.toStdString());
}

void LocalMedia::stopFile()
{
    if (m_player)
        m_player->stop();
}

}  // namespace clientlib
