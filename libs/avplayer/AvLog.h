#pragma once
// Log lines of the player core. The program installs a handler that writes
// them to its own log; without one they go to stderr.
#include <cstdarg>

namespace avplayer {

enum { AvLogWarn = 200, AvLogInfo = 300 };

// level: 200 warning, 300 information; func: "Class::method"; text: the line.
using LogHandler = void (*)(int level, const char* func, const char* text);

void setLogHandler(LogHandler handler);
void log(int level, const char* func, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

}  // namespace avplayer
