#include "libs/mediacore/MediaLog.h"

#include <cstdio>

namespace mediacore {

void logLine(const LogSink& sink, const char* format, ...)
{
    if (!sink)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    sink(text);
}

}  // namespace mediacore
