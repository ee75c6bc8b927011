#include "NginxFixture.h"

#include "ChildProcess.h"
#include "TestPaths.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace testsupport {

namespace {

bool portAnswers(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    close(fd);
    return ok;
}

std::string rtmpModulePath()
{
    for (const char* p : {"/usr/lib/nginx/modules/ngx_rtmp_module.so", "/usr/share/nginx/modules/ngx_rtmp_module.so"})
        if (access(p, R_OK) == 0)
            return p;
    return {};
}

}  // namespace

NginxFixture::NginxFixture() : NginxFixture(Options()) {}

NginxFixture::NginxFixture(Options options) : m_options(std::move(options)) {}

NginxFixture::~NginxFixture() { stop(); }

bool NginxFixture::start()
{
    std::string nginx = findProgram("nginx");
    if (nginx.empty()) {
        m_error = "nginx is not installed";
        return false;
    }
    m_prefix.file("html/.keep");
    m_prefix.file("logs/.keep");
    m_prefix.file("tmp/.keep");
    std::string conf;
    if (m_options.rtmp) {
        std::string module = rtmpModulePath();
        if (module.empty()) {
            m_error = "the nginx rtmp module is not installed";
            return false;
        }
        conf += "load_module " + module + ";\n";
    }
    const std::string p = m_prefix.path();
    conf += "daemon off;\nmaster_process off;\nworker_processes 1;\npid " + p + "/nginx.pid;\n";
    conf += "error_log " + p + "/logs/error.log warn;\n";
    conf += "events { worker_connections 256; }\n";
    if (m_options.http) {
        if (!m_httpPort)
            m_httpPort = freeTcpPort();
        conf += "http {\n  access_log " + p + "/logs/access.log;\n"
                "  client_body_temp_path " + p + "/tmp/body;\n  proxy_temp_path " + p + "/tmp/proxy;\n"
                "  fastcgi_temp_path " + p + "/tmp/fcgi;\n  uwsgi_temp_path " + p + "/tmp/uwsgi;\n"
                "  scgi_temp_path " + p + "/tmp/scgi;\n"
                "  types { application/json json; text/html html; application/octet-stream bin; }\n"
                "  default_type application/octet-stream;\n  sendfile on;\n"
                "  server {\n    listen 127.0.0.1:" + std::to_string(m_httpPort) + ";\n"
                "    root " + p + "/html;\n" + m_options.extraHttpServerConf + "\n  }\n}\n";
    }
    if (m_options.rtmp) {
        if (!m_rtmpPort)
            m_rtmpPort = freeTcpPort();
        conf += "rtmp {\n  server {\n    listen 127.0.0.1:" + std::to_string(m_rtmpPort) + ";\n"
                "    chunk_size 4096;\n    application " + m_options.rtmpApp + " {\n      live on;\n      record off;\n      publish_notify on;\n      play_restart on;\n"
                "      wait_key on;\n      wait_video off;\n" + m_options.extraRtmpAppConf + "\n    }\n  }\n}\n";
    }
    {
        std::ofstream out(p + "/nginx.conf");
        out << conf;
    }
    pid_t pid = fork();
    if (pid == 0) {
        // Keep the child's output out of the test log; errors go to error.log.
        prepareChild();
        execl(nginx.c_str(), nginx.c_str(), "-p", p.c_str(), "-c", (p + "/nginx.conf").c_str(), "-e",
              (p + "/logs/error.log").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) {
        m_error = "fork failed";
        return false;
    }
    m_pid = pid;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        bool up = (!m_options.http || portAnswers(m_httpPort)) && (!m_options.rtmp || portAnswers(m_rtmpPort));
        if (up)
            return true;
        if (childEnded(m_pid)) {
            m_error = "nginx exited: " + errorLog();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_error = "nginx did not come up: " + errorLog();
    stop();
    return false;
}

void NginxFixture::stop() { stopChild(m_pid, 2000); }

std::string NginxFixture::httpUrl(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_httpPort) + path;
}

std::string NginxFixture::rtmpUrl(const std::string& stream) const
{
    return "rtmp://127.0.0.1:" + std::to_string(m_rtmpPort) + "/" + m_options.rtmpApp + "/" + stream;
}

std::string NginxFixture::errorLog() const { return readFile(m_prefix.path() + "/logs/error.log"); }

}  // namespace testsupport
