#include "libs/clientlib/src/StudentStreams.h"

#include "libs/rtmppush/RTMPHoster.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace clientlib {

// One student's push: the hoster and the events it reports to.
struct StudentStreams::Student : public RTMPHosterEvent {
    QString userId;
    QString url;
    LogFn log;
    int toneHz = 440;
    double phase = 0;              // audio capture thread only
    RTMPHoster* hoster = nullptr;  // start/stop under m_startStop

    void OnRtmpStreamOK() override { log(QStringLiteral("student %1 publishes %2").arg(userId, url)); }
    void OnRtmpStreamReconnecting(int code) override
    {
        log(QStringLiteral("student %1 reconnecting (%2)").arg(userId).arg(code));
    }
    void OnRtmpStreamStatus(int, int) override {}
    void OnRtmpStreamFailed(int code) override
    {
        log(QStringLiteral("student %1 cannot publish %2: %3").arg(userId, url).arg(code));
    }
    void OnRtmpStreamClosed() override {}
    void OnAudioData(uint8_t* data, int frames, int bytesPerFrame, int channels, int sampleRate, bool) override
    {
        // Whatever the input gave, the student is heard as a quiet tone.
        if (!data || frames <= 0 || channels <= 0 || sampleRate <= 0 || bytesPerFrame != 2 * channels) return;
        auto* samples = reinterpret_cast<int16_t*>(data);
        const double step = 2 * M_PI * toneHz / sampleRate;
        for (int i = 0; i < frames; ++i) {
            const auto v = int16_t(3000 * std::sin(phase));
            for (int c = 0; c < channels; ++c) samples[i * channels + c] = v;
            phase += step;
            if (phase > 2 * M_PI) phase -= 2 * M_PI;
        }
    }
    void OnRtmpLog(const char*, int) override {}
};

StudentStreams::StudentStreams(LogFn log) : m_log(std::move(log)) {}

StudentStreams::~StudentStreams() { stopAll(); }

void StudentStreams::setBase(const QString& rtmpBase)
{
    std::lock_guard<std::mutex> lk(m_lock);
    m_base = rtmpBase.trimmed();
    if (!m_base.isEmpty() && !m_base.endsWith('/')) m_base += '/';
}

QString StudentStreams::base() const
{
    std::lock_guard<std::mutex> lk(m_lock);
    return m_base;
}

QString StudentStreams::urlFor(const QString& roomId, const QString& userId) const
{
    std::lock_guard<std::mutex> lk(m_lock);
    if (m_base.isEmpty() || userId.isEmpty()) return QString();
    return QStringLiteral("%1stu_%2_%3").arg(m_base, roomId, userId);
}

int StudentStreams::toneOf(const QString& userId)
{
    // 330 to 770 Hz in steps of 55: neighbours in a class sound different.
    unsigned sum = 0;
    for (const QChar c : userId) sum = sum * 31 + c.unicode();
    return 330 + 55 * int(sum % 9);
}

bool StudentStreams::start(const QString& userId, const QString& url)
{
    std::lock_guard<std::mutex> order(m_startStop);
    std::shared_ptr<Student> old;
    {
        std::lock_guard<std::mutex> lk(m_lock);
        auto it = m_students.find(userId);
        if (it != m_students.end()) {
            old = it->second;
            m_students.erase(it);
        }
    }
    if (old) RTMPHoster::Destory(old->hoster);

    auto s = std::make_shared<Student>();
    s->userId = userId;
    s->url = url;
    s->log = m_log;
    s->toneHz = toneOf(userId);
    s->hoster = RTMPHoster::Create(*s);
    if (!s->hoster) {
        m_log(QStringLiteral("student %1: no push can be made").arg(userId));
        return false;
    }
    s->hoster->SetVideoMode(0);  // 320 x 240, enough for a tile
    s->hoster->SetMicCapture(false);
    s->hoster->SetAudioFormat(48000, 1, false);
    const int rc = s->hoster->StartRtmpStream(url.toUtf8().constData());
    if (rc != RTMPHOSTER_OK) {
        m_log(QStringLiteral("student %1 cannot start publishing %2: %3").arg(userId, url).arg(rc));
        RTMPHoster::Destory(s->hoster);
        return false;
    }
    std::lock_guard<std::mutex> lk(m_lock);
    m_students[userId] = s;
    return true;
}

void StudentStreams::stop(const QString& userId)
{
    std::lock_guard<std::mutex> order(m_startStop);
    std::shared_ptr<Student> gone;
    {
        std::lock_guard<std::mutex> lk(m_lock);
        auto it = m_students.find(userId);
        if (it == m_students.end()) return;
        gone = it->second;
        m_students.erase(it);
    }
    RTMPHoster::Destory(gone->hoster);
}

void StudentStreams::stopAll()
{
    std::lock_guard<std::mutex> order(m_startStop);
    std::map<QString, std::shared_ptr<Student>> gone;
    {
        std::lock_guard<std::mutex> lk(m_lock);
        gone.swap(m_students);
    }
    for (auto& it : gone) RTMPHoster::Destory(it.second->hoster);
}

QString StudentStreams::publishing(const QString& userId) const
{
    std::lock_guard<std::mutex> lk(m_lock);
    auto it = m_students.find(userId);
    return it == m_students.end() ? QString() : it->second->url;
}

}  // namespace clientlib
