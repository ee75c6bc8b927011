#pragma once
// The program's one log writer. Any thread logs through Logger::Log with a
// level, its own "Class::method" name and a printf-style format; each run
// writes one file in the log folder, every line flushed at once and echoed to
// Qt's debug output.
#include <QElapsedTimer>
#include <QFile>
#include <QReadWriteLock>
#include <QString>

#include <string>

#if defined(__GNUC__)
#define VELTORA_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#else
#define VELTORA_PRINTF(fmtIndex, argIndex)
#endif

enum LogLevel { LOG_ERROR = 100, LOG_WARN = 200, LOG_INFO = 300, LOG_DEBUG = 400 };

class Logger {
public:
    static constexpr int kBufferSize = 10240;

    // The process-wide logger; its file is named after the moment of the
    // first call: <log folder>/yyyy-MM-dd-hh-mm-ss.log
    static Logger* instance();

    explicit Logger(const QString& path);
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    void Log(int level, const char* func, const char* fmt, ...) VELTORA_PRINTF(4, 5);
    void WriteLine(const std::string& line);

    QString fileName() const { return m_fileName; }
    // The tag a level puts between the function name and the text.
    static const char* LevelTag(int level);

private:
    QReadWriteLock m_lock;  // taken for writing by every operation; not recursive
    QString m_fileName;     // set by the constructor only
    QFile m_file;           // guarded by m_lock
    char* m_buffer;         // kBufferSize bytes, guarded by m_lock
    int m_threshold;        // 400; set by the constructor only
};

// Logs the start of a step when made and its duration when destroyed.
class PrintTime {
public:
    explicit PrintTime(const QString& name);
    ~PrintTime();

private:
    QString m_name;
    qint64 m_start;  // ms since the epoch
};

// Shorthands that pass the calling function's name.
#define LOG_INFO_F(func, ...) Logger::instance()->Log(LOG_INFO, func, __VA_ARGS__)
#define LOG_WARN_F(func, ...) Logger::instance()->Log(LOG_WARN, func, __VA_ARGS__)
