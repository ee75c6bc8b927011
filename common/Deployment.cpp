#include "common/Deployment.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace deployment {

namespace {

std::mutex g_lock;
bool g_read = false;       // guarded by g_lock
std::string g_caBundle;    // guarded by g_lock

}  // namespace

std::vector<std::string> Candidates()
{
    std::vector<std::string> files;
    if (const char* env = std::getenv("VELTORA_ENDPOINTS"); env && *env)
        files.push_back(env);
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        files.push_back((self.parent_path() / "endpoints.ini").string());
        files.push_back((self.parent_path() / "bin" / "32bit" / "endpoints.ini").string());
    }
    return files;
}

IniFile Load()
{
    for (const std::string& file : Candidates()) {
        IniFile ini(file);
        if (ini.loaded())
            return ini;
    }
    return IniFile();
}

std::string CaBundle()
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_read) {
        g_caBundle = Load().value("tls", "cabundle");
        g_read = true;
    }
    return g_caBundle;
}

void Reload()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_read = false;
}

}  // namespace deployment
