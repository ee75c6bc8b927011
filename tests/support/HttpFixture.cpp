#include "HttpFixture.h"

#include <chrono>

namespace testsupport {

HttpFixture::HttpFixture()
{
    // Recorded before routing, so a request is listed by the time its client
    // has the reply (the logger runs only after the reply is written).
    m_server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard<std::mutex> g(m_lock);
        std::string line = req.method + " " + req.path;
        if (!req.params.empty()) {
            line += "?";
            bool first = true;
            for (const auto& kv : req.params) {
                if (!first)
                    line += "&";
                first = false;
                line += kv.first + "=" + kv.second;
            }
        }
        m_requests.push_back(line);
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

HttpFixture::~HttpFixture() { stop(); }

bool HttpFixture::start()
{
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        return false;
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void HttpFixture::stop()
{
    m_released = true;
    if (m_thread.joinable()) {
        m_server.stop();
        m_thread.join();
    }
}

std::string HttpFixture::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> HttpFixture::requests() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_requests;
}

void HttpFixture::releaseStalled() { m_released = true; }

void HttpFixture::waitForRelease(int maxMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (!m_released && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace testsupport
