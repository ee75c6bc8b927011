#include "app/Logger.h"

#include "app/PubUtils.h"

#include <QDateTime>
#include <QDebug>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr qint64 kTrimAbove = 10485760;  // 10 MiB
constexpr qint64 kKeepBytes = 5242880;   // 5 MiB

// Length of text without a UTF-8 sequence cut off at its end, so a message
// cut at the buffer's size never ends in half a character.
size_t withoutBrokenTail(const char* text, size_t len)
{
    size_t i = len;
    size_t back = 0;
    while (i > 0 && back < 4) {
        unsigned char c = static_cast<unsigned char>(text[i - 1]);
        if ((c & 0xC0) != 0x80) {
            size_t need = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
            return (back + 1 < need) ? i - 1 : len;
        }
        --i;
        ++back;
    }
    return len;
}

}  // namespace

Logger* Logger::instance()
{
    // Never destroyed: threads that still log while the process exits find
    // it intact. Every line is flushed, so nothing is lost at exit.
    static Logger* logger = new Logger(PubUtils::GetLogDir() + "/"
                                       + QDateTime::currentDateTime().toString("yyyy-MM-dd-hh-mm-ss") + ".log");
    return logger;
}

Logger::Logger(const QString& path) : m_buffer(nullptr), m_threshold(LOG_DEBUG)
{
    QWriteLocker g(&m_lock);
    m_fileName = path;
    m_file.setFileName(m_fileName);
    if (m_file.exists() && m_file.size() > kTrimAbove) {
        if (m_file.open(QIODevice::ReadWrite)) {
            QByteArray all = m_file.readAll();
            m_file.resize(0);
            m_file.seek(0);
            m_file.write(all.right(kKeepBytes));
            m_file.flush();
            m_file.close();
        }
    }
    // A failed open is silent: lines then reach the debug output only.
    m_file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text);
    m_buffer = new char[kBufferSize];
    std::memset(m_buffer, 0, kBufferSize);
}

Logger::~Logger()
{
    QWriteLocker g(&m_lock);
    if (m_file.isOpen())
        m_file.close();
    delete[] m_buffer;
    m_buffer = nullptr;
}

const char* Logger::LevelTag(int level)
{
    switch (level) {
    case LOG_DEBUG: return " Debug ";
    case LOG_INFO: return " Info ";
    case LOG_WARN: return " Warn>> ";
    case LOG_ERROR: return " Error>>> ";
    default: return "";
    }
}

void Logger::Log(int level, const char* func, const char* fmt, ...)
{
    std::string line;
    {
        QWriteLocker g(&m_lock);
        std::memset(m_buffer, 0, kBufferSize);
        va_list args;
        va_start(args, fmt);
        int n = std::vsnprintf(m_buffer, kBufferSize, fmt, args);
        va_end(args);
        if (n <= 0)
            return;
        size_t len = static_cast<size_t>(n) < size_t(kBufferSize) ? size_t(n) : size_t(kBufferSize - 1);
        if (static_cast<size_t>(n) >= size_t(kBufferSize))
            len = withoutBrokenTail(m_buffer, len);
        line.reserve(len + 64);
        line += QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz").toStdString();
        line += " [";
        line += std::to_string(static_cast<long>(syscall(SYS_gettid)));
        line += "] ";
        line += func ? func : "";
        line += LevelTag(level);
        line.append(m_buffer, len);
    }
    if (level > m_threshold) {
        qDebug().noquote() << QString::fromStdString(line);
        return;
    }
    WriteLine(line);
}

void Logger::WriteLine(const std::string& line)
{
    QWriteLocker g(&m_lock);
    qDebug().noquote() << QString::fromStdString(line);
    if (m_file.isOpen()) {
        m_file.write(line.data(), static_cast<qint64>(line.size()));
        m_file.write("\n", 1);
        m_file.flush();
    }
}

PrintTime::PrintTime(const QString& name) : m_name(name), m_start(QDateTime::currentMSecsSinceEpoch())
{
    Logger::instance()->Log(LOG_INFO, "PrintTime::PrintTime", "<< %s", m_name.toUtf8().constData());
}

PrintTime::~PrintTime()
{
    unsigned long elapsed = static_cast<uint32_t>(QDateTime::currentMSecsSinceEpoch() - m_start);
    Logger::instance()->Log(LOG_INFO, "PrintTime::~PrintTime", "%s >> %lu ms", m_name.toUtf8().constData(), elapsed);
}
