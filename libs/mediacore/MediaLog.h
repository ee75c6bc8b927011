#pragma once
// Log lines of the media core go to one sink per library.
#include <functional>
#include <string>

namespace mediacore {

using LogSink = std::function<void(const std::string& line)>;

}  // namespace mediacore
