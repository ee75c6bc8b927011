#pragma once
// A private nginx on loopback for end-to-end tests: an HTTP site serving a
// folder the test fills, and optionally an RTMP server (the rtmp module)
// with an application "live" that accepts publishing and playing.
// Everything lives in a temporary prefix; stop() ends nginx by its pid.
#include "TempDir.h"

#include <string>

namespace testsupport {

class NginxFixture {
public:
    struct Options {
        bool http = true;
        bool rtmp = false;
        // Extra lines inside the http server block (locations etc.).
        std::string extraHttpServerConf;
        // Extra lines inside the rtmp application "live" (on_publish etc.).
        std::string extraRtmpAppConf;
        // The rtmp application's name (the program's media lines use "video").
        std::string rtmpApp = "live";
    };

    NginxFixture();
    explicit NginxFixture(Options options);
    ~NginxFixture();
    NginxFixture(const NginxFixture&) = delete;
    NginxFixture& operator=(const NginxFixture&) = delete;

    // Writes the configuration and starts nginx; false (with error()) when
    // nginx is missing or does not come up within a few seconds. A restart
    // after stop() listens on the same ports again.
    bool start();
    void stop();

    const std::string& error() const { return m_error; }
    // The folder served at "/" by the HTTP site.
    std::string httpRoot() const { return m_prefix.path() + "/html"; }
    int httpPort() const { return m_httpPort; }
    int rtmpPort() const { return m_rtmpPort; }
    // "http://127.0.0.1:<port>" + path
    std::string httpUrl(const std::string& path = "") const;
    // "rtmp://127.0.0.1:<port>/<rtmpApp>/" + stream
    std::string rtmpUrl(const std::string& stream) const;
    std::string errorLog() const;

private:
    Options m_options;
    TempDir m_prefix;
    int m_httpPort = 0;
    int m_rtmpPort = 0;
    int m_pid = 0;
    std::string m_error;
};

}  // namespace testsupport
