#pragma once
// Helpers for the servers that test fixtures start as child processes, and
// for tests that watch whole programs from outside.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// In a freshly forked child, before exec: the child is killed when the test
// process ends, however it ends (so no server outlives a crashed test and
// holds the test runner's output open), and its standard streams go to
// /dev/null (keepStderr leaves standard error alone).
void prepareChild(bool keepStderr = false);

// True (and pid cleared) when the child has ended; never blocks.
bool childEnded(int& pid);
// Asks a child to end (SIGTERM), waits up to graceMs, then kills it;
// pid is 0 afterwards. Nothing happens for pid <= 0.
void stopChild(int& pid, int graceMs);

// What a shell command writes to standard output ("" when it cannot run).
std::string commandOutput(const std::string& command);
// The running processes whose executable is exactly path, by id.
std::vector<int> processesOf(const std::string& path);

// Polls cond every 100 ms until it holds or limit passes (no event loop: for
// watching other processes); the last answer of cond.
template <class Cond>
bool waitFor(Cond cond, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return cond();
}

}  // namespace testsupport
