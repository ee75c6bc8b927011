#pragma once
// Fake upload and report services for the upload tests: one loopback HTTP
// server per test process, pointed at by a deployment file (every endpoint
// role on it) inside a private data folder. Each path answers from a script;
// every request is recorded with its raw query, multipart parts and headers.
#include "HttpFixture.h"
#include "QtWait.h"
#include "TempDir.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace uploadtest {

struct Part {
    std::string name;
    std::string filename;
    std::string contentType;
    std::string content;
};

struct Seen {
    std::string method;
    std::string path;
    std::string target;  // path and raw (still encoded) query
    std::multimap<std::string, std::string> params;  // decoded query
    std::vector<Part> parts;
    std::string body;
    std::string contentType;
};

struct Answer {
    int status = 200;
    std::string body;
    bool stall = false;  // hold the request until released (or 20 s)
};

class Services {
public:
    // The process's services; the first call sets up the data folder and
    // the deployment file, before anything of the program reads them.
    static Services& instance();

    // Forgets the recorded requests and every scripted answer.
    void reset();
    // Answers for path, in turn; the last one repeats.
    void script(const std::string& path, std::vector<Answer> answers);
    void script(const std::string& path, int status, const std::string& body) { script(path, {{status, body, false}}); }
    std::vector<Seen> seen(const std::string& path = std::string()) const;
    // Ends every stalled request.
    void release();

    std::string url(const std::string& path) const { return m_http.url(path); }
    const testsupport::TempHome& home() const { return m_home; }

    ~Services();

private:
    Services();
    void handle(const httplib::Request& req, httplib::Response& res);

    testsupport::TempHome m_home;
    std::unique_ptr<testsupport::ScopedEnv> m_endpoints;
    mutable std::mutex m_lock;                          // guards the members below
    std::condition_variable m_released;                 // with m_lock
    bool m_release = false;                             // guarded by m_lock
    std::map<std::string, std::deque<Answer>> m_script; // guarded by m_lock
    std::vector<Seen> m_seen;                           // guarded by m_lock
    testsupport::HttpFixture m_http;  // last: stopped before the state its handlers use goes
};

// Upload tests wait this long for a transfer to settle (a loaded machine).
constexpr int kWaitMs = 20000;

}  // namespace uploadtest
