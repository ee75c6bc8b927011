#pragma once
// A loopback HTTP server for tests, on cpp-httplib. Handlers are registered
// on server() before start(); start() binds 127.0.0.1 on a free port and
// serves on a thread of its own until stop() or destruction.
#include <httplib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class HttpFixture {
public:
    HttpFixture();
    ~HttpFixture();
    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

    httplib::Server& server() { return m_server; }
    // Starts serving; returns false when no port could be bound.
    bool start();
    void stop();

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path
    std::string url(const std::string& path = "") const;

    // Every request's method and path (with query), in order of arrival.
    std::vector<std::string> requests() const;

    // Releases every handler that waits in waitForRelease(); for stall cases.
    void releaseStalled();
    // For handlers: blocks until releaseStalled() or stop(), at most maxMs.
    void waitForRelease(int maxMs = 30000);

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_lock;             // guards m_requests
    std::vector<std::string> m_requests;   // guarded by m_lock
    std::atomic<bool> m_released{false};
};

}  // namespace testsupport
