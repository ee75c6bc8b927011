#pragma once
// The library's own devices: the machine's cameras (V4L2), microphones and
// speakers (PulseAudio), the camera preview, the level of the chosen
// microphone and local sound files played on the chosen speaker, all
// through the media core. Without a camera the data set's camera names are
// generated pictures; without a sound server its microphone and speaker
// names are listed (they capture silence and play nothing).
//
// Every operation is called on the library user's (GUI) thread; the preview
// and level functions are called from capture threads and never after the
// stop that ends them has returned.
#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace mediacore {
class AudioFilePlayer;
class CaptureSource;
}

namespace clientlib {

using PreviewFn = std::function<void(quintptr window, const QImage& picture, const QString& error)>;
using LevelFn = std::function<void(float level, const QString& error)>;

class LocalMedia {
public:
    explicit LocalMedia(std::function<void(const QString&)> log);
    ~LocalMedia();
    LocalMedia(const LocalMedia&) = delete;
    LocalMedia& operator=(const LocalMedia&) = delete;

    // The names a user reads; fallback: the data set's names.
    QStringList cameras(const QStringList& fallback);
    QStringList microphones(const QStringList& fallback);
    QStringList speakers(const QStringList& fallback);

    // Shows camera (a listed name) in window through sink until stopPreview.
    bool startPreview(quintptr window, const QString& camera, PreviewFn sink);
    void stopPreview();
    bool previewing() const { return m_preview != nullptr; }

    // Reports the level of mic (a listed name) through sink until stopLevel;
    // a running monitor follows setMicrophone.
    bool startLevel(const QString& mic, LevelFn sink);
    void stopLevel();
    void setMicrophone(const QString& mic);

    bool playFile(const QString& path, const QString& speaker);
    void stopFile();

private:
    // A capture with a thread that reports once when it ends by itself.
    struct Watched;

    QString idOf(int kind, const QString& name) const;
    void remember(int kind, const QStringList& names, const QStringList& ids);
    std::unique_ptr<Watched> watch(std::unique_ptr<mediacore::CaptureSource> capture,
                                   std::function<void(const QString&)> onEnd);

    std::function<void(const QString&)> m_log;  // read-only after construction; callable from any thread
    QHash<QString, QString> m_ids[3];           // GUI thread only: camera, microphone, speaker name -> device id
    std::unique_ptr<Watched> m_preview;         // GUI thread only
    std::unique_ptr<Watched> m_level;           // GUI thread only
    LevelFn m_levelSink;                        // GUI thread only: the running monitor's function
    std::unique_ptr<mediacore::AudioFilePlayer> m_player;  // GUI thread only
};

}  // namespace clientlib
