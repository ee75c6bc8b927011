#include "tests/media/PlayerTestSupport.h"

#include <QCoreApplication>

#include <cstdlib>
#include <thread>

namespace mediatest {

bool waitFor(const std::function<bool()>& cond, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void FrameSink::onFrame(void* pixels, int width, int height)
{
    // Touch every byte the player promises (width * height * 4).
    QImage copy = QImage(static_cast<const uchar*>(pixels), width, height, width * 4, QImage::Format_ARGB32).copy();
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_sizes.empty() || m_sizes.back() != std::make_pair(width, height))
        m_sizes.emplace_back(width, height);
    m_last = copy;
    m_count.fetch_add(1);
}

std::function<void(void*, int, int)> FrameSink::callback()
{
    return [this](void* p, int w, int h) { onFrame(p, w, h); };
}

QImage FrameSink::last() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_last;
}

std::vector<std::pair<int, int>> FrameSink::sizes() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sizes;
}

QRgb barColour(const QImage& image, int bar)
{
    const int x = image.width() * (2 * bar + 1) / 14;
    return image.pixel(x, image.height() / 4);
}

bool looksLike(QRgb c, int r, int g, int b, int tolerance)
{
    return std::abs(qRed(c) - r) <= tolerance && std::abs(qGreen(c) - g) <= tolerance &&
           std::abs(qBlue(c) - b) <= tolerance;
}

bool RtmpServer::start()
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audioFile().c_str(), 1);
    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    m_nginx = std::make_unique<testsupport::NginxFixture>(options);
    return m_nginx->start();
}

}  // namespace mediatest

// ThreadSanitizer builds: Debian's Qt 5 locks (QMutex, QReadWriteLock,
// QWaitCondition) are not instrumented, so data that the program's logger and
// the blocking FIFO guard with them looks unguarded to the sanitizer.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:Logger::Log\n"
           "race:CDataWaitFiFo\n"
           "race:QWaitCondition\n"
           "race:QThreadPoolPrivate\n"
           "race:QFileDevice::writeData\n"
           "race:tzset_internal\n"
           "race:qMkTime\n";
}
