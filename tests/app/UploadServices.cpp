#include "tests/app/UploadServices.h"

#include <chrono>
#include <fstream>

namespace uploadtest {

Services& Services::instance()
{
    static Services services;
    return services;
}

Services::Services()
{
    m_http.server().Get(".*", [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
    m_http.server().Post(".*", [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
    m_http.start();
    const std::string host = m_http.url();
    const std::string file = m_home.home() + "/endpoints.ini";
    std::ofstream ini(file);
    ini << "[production]\n";
    for (const char* role : {"docs", "snapshot", "log", "monitor", "files", "dump"})
        ini << role << "=" << host << "\n";
    ini.close();
    m_endpoints = std::make_unique<testsupport::ScopedEnv>("VELTORA_ENDPOINTS", file);
}

Services::~Services()
{
    release();
    m_http.stop();
}

void Services::reset()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_script.clear();
    m_seen.clear();
    m_release = false;
}

void Services::script(const std::string& path, std::vector<Answer> answers)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_script[path] = std::deque<Answer>(answers.begin(), answers.end());
}

std::vector<Seen> Services::seen(const std::string& path) const
{
    std::lock_guard<std::mutex> g(m_lock);
    std::vector<Seen> out;
    for (const Seen& s : m_seen)
        if (path.empty() || s.path == path)
            out.push_back(s);
    return out;
}

void Services::release()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_release = true;
    m_released.notify_all();
}

void Services::handle(const httplib::Request& req, httplib::Response& res)
{
    Seen s;
    s.method = req.method;
    s.path = req.path;
    s.target = req.target;
    s.params.insert(req.params.begin(), req.params.end());
    for (const auto& kv : req.files)
        s.parts.push_back({kv.second.name, kv.second.filename, kv.second.content_type, kv.second.content});
    s.body = req.body;
    s.contentType = req.get_header_value("Content-Type");

    Answer answer{404, "no script", false};
    std::unique_lock<std::mutex> g(m_lock);
    m_seen.push_back(s);
    auto it = m_script.find(req.path);
    if (it != m_script.end() && !it->second.empty()) {
        answer = it->second.front();
        if (it->second.size() > 1)
            it->second.pop_front();
    }
    if (answer.stall)
        m_released.wait_for(g, std::chrono::seconds(20), [this] { return m_release; });
    g.unlock();
    res.status = answer.status;
    res.set_content(answer.body, "application/json");
}

}  // namespace uploadtest
