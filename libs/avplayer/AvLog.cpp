#include "libs/avplayer/AvLog.h"

#include <atomic>
#include <cstdio>

namespace avplayer {

namespace {
std::atomic<LogHandler> g_handler{nullptr};  // atomic: set once at start-up, read by every thread
}

void setLogHandler(LogHandler handler) { g_handler.store(handler); }

void log(int level, const char* func, const char* fmt, ...)
{
    char text[2048];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    LogHandler handler = g_handler.load();
    if (handler)
        handler(level, func, text);
    else
        fprintf(stderr, "%s %s %s\n", func, level <= AvLogWarn ? "Warn>>" : "Info", text);
}

}  // namespace avplayer
