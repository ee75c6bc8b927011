#include "common/Clock.h"

#include <chrono>

namespace {

class SteadyClock : public Clock {
public:
    int64_t nowMs() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace

Clock& Clock::system()
{
    static SteadyClock clock;
    return clock;
}
