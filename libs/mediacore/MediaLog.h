#pragma once
// Where the media core's log lines go: one sink per library instance.
#include <cstdarg>
#include <functional>
#include <string>

namespace mediacore {

using LogSink = std::function<void(const std::string& line)>;

// printf-style line to sink (nothing when sink is empty).
void logLine(const LogSink& sink, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace mediacore
