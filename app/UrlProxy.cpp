#include "app/UrlProxy.h"

#include "app/CSettings.h"
#include "app/Logger.h"

#include <QCoreApplication>

#include <cstdlib>
#include <mutex>

namespace {

struct Entry {
    int key;
    const char* role;  // host role in the deployment file
    const char* path;  // appended to the host
};

// Production table; the test table follows it (see EndpointTables).
const Entry kProduction[] = {
    {0, "config", "/pc/pcupdate.json"},
    {1, "web", "/download_pc.html"},
    {2, "room", "/rqs/trproxy"},
    {3, "room", "/rqs/twbproxy"},
    {4, "room", "/rqs/tchatsvr"},
    {5, "room", "/rqs/mgsvr"},
    {6, "room", "/rqs/liveconfig"},
    {7, "config", "/pc/TeaMediaLine.json"},
    {8, "cms", ""},
    {9, "cms", ""},
    {10, "docs", ""},
    {11, "cms", ""},
    {12, "cms", ""},
    {13, "mirror", "/mirror/xspeed"},
    {14, "live", "/live/#/playkbackclass"},
    {15, "snapshot", "/shadow"},
    {16, "report", ""},
    {17, "config", "/logo/"},
    {18, "log", "/"},
    {19, "monitor", "/"},
};

// Keys whose test value is the production one.
bool sharedByBothTables(int key)
{
    return key == 0 || key == 1 || key == 17;
}

std::string host(const IniFile& ini, const char* section, const char* role, const std::string& fallback)
{
    std::string value = ini.value(section, role, fallback);
    while (!value.empty() && (value.back() == '/' || value.back() == ' '))
        value.pop_back();
    return value.empty() ? fallback : value;
}

std::once_flag g_initOnce;
int g_loginType = 2;          // written once inside g_initOnce, read-only afterwards
EndpointTables* g_tables = nullptr;  // made once inside g_initOnce, never freed

}  // namespace

EndpointTables::EndpointTables(const IniFile& deployment)
{
    for (const Entry& e : kProduction) {
        const std::string role = e.role;
        m_production[e.key] = host(deployment, "production", e.role, "https://" + role + ".example") + e.path;
        // The test table has hosts of its own, and its own media line list,
        // except for the keys both tables share.
        m_test[e.key] = sharedByBothTables(e.key)
                            ? m_production[e.key]
                            : host(deployment, "test", e.role, "https://test-" + role + ".example")
                                  + (e.key == 7 ? "/pc/TestTeaMediaLine.json" : e.path);
    }
}

const char* EndpointTables::Lookup(int loginType, int key) const
{
    const std::map<int, std::string>* table;
    if (loginType == 0 || loginType == 1)
        table = &m_test;
    else if (loginType == 2)
        table = &m_production;
    else
        return "";  // no table for this login type: every address is empty
    auto it = table->find(key);
    if (it == table->end())
        return "";  // an unknown key reads as empty; the table stays as it is
    return it->second.c_str();
}

std::string UrlProxy::DeploymentFile()
{
    const char* env = std::getenv("VELTORA_ENDPOINTS");
    if (env && *env)
        return env;
    if (QCoreApplication::instance())
        return (QCoreApplication::applicationDirPath() + "/endpoints.ini").toStdString();
    return "endpoints.ini";
}

void UrlProxy::InitProxy()
{
    std::call_once(g_initOnce, [] {
        bool ok = false;
        int type = CSettings::instance()->GetValue("LoginType", 2).toInt(&ok);
        g_loginType = ok ? type : 2;
        Logger::instance()->Log(LOG_INFO, "UrlProxy::InitProxy", "LoginType %d", g_loginType);
        if (g_loginType < 0 || g_loginType > 2)
            Logger::instance()->Log(LOG_ERROR, "UrlProxy::InitProxy",
                                    "LoginType %d names no server table (0-2): every server address is empty",
                                    g_loginType);
        const std::string file = DeploymentFile();
        IniFile ini(file);
        if (ini.loaded())
            Logger::instance()->Log(LOG_INFO, "UrlProxy::InitProxy", "endpoints from %s", file.c_str());
        g_tables = new EndpointTables(ini);
    });
}

const char* UrlProxy::GetUrl(int key)
{
    InitProxy();
    const char* url = g_tables->Lookup(g_loginType, key);
    if (url && key >= EndpointTables::kKeyCount)
        Logger::instance()->Log(LOG_WARN, "UrlProxy::GetUrl", "unknown endpoint key %d", key);
    return url;
}
