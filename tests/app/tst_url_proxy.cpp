// The server endpoint table: both tables, the deployment file and the
// setting "LoginType".
#include "app/CSettings.h"
#include "app/UrlProxy.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using testsupport::TempDir;

namespace {
testsupport::TempHome g_home;  // goes, and cleans up, when the program ends
}

TEST(EndpointTables, CompiledInDefaults)
{
    EndpointTables t;
    struct Case {
        int loginType, key;
        const char* url;
    } cases[] = {
        {2, 0, "https://config.example/pc/pcupdate.json"},
        {2, 1, "https://web.example/download_pc.html"},
        {2, 2, "https://room.example/rqs/trproxy"},
        {2, 6, "https://room.example/rqs/liveconfig"},
        {2, 7, "https://config.example/pc/TeaMediaLine.json"},
        {2, 8, "https://cms.example"},
        {2, 12, "https://cms.example"},
        {2, 13, "https://mirror.example/mirror/xspeed"},
        {2, 14, "https://live.example/live/#/playkbackclass"},
        {2, 17, "https://config.example/logo/"},
        {2, 18, "https://log.example/"},
        {2, 19, "https://monitor.example/"},
        {0, 7, "https://test-config.example/pc/TestTeaMediaLine.json"},
        {1, 7, "https://test-config.example/pc/TestTeaMediaLine.json"},
        {1, 0, "https://config.example/pc/pcupdate.json"},  // shared with production
        {1, 1, "https://web.example/download_pc.html"},
        {0, 17, "https://config.example/logo/"},
        {1, 3, "https://test-room.example/rqs/twbproxy"},
        {1, 10, "https://test-docs.example"},
        {1, 15, "https://test-snapshot.example/shadow"},
        {2, 20, ""},
        {0, -1, ""},
    };
    for (const Case& c : cases) {
        const char* got = t.Lookup(c.loginType, c.key);
        ASSERT_NE(got, nullptr) << c.key;
        EXPECT_STREQ(got, c.url) << "login type " << c.loginType << " key " << c.key;
    }
    EXPECT_STREQ(t.Lookup(3, 2), "");
    EXPECT_STREQ(t.Lookup(-1, 7), "");
}

TEST(EndpointTables, DeploymentFileGivesHostsByRole)
{
    IniFile ini = IniFile::fromText(
        "[production]\nconfig=http://127.0.0.1:8080/\nroom=http://127.0.0.1:9000\n"
        "[test]\nconfig=http://127.0.0.1:8081\nlog=http://127.0.0.1:7000\n");
    EndpointTables t(ini);
    EXPECT_STREQ(t.Lookup(2, 7), "http://127.0.0.1:8080/pc/TeaMediaLine.json");
    EXPECT_STREQ(t.Lookup(2, 5), "http://127.0.0.1:9000/rqs/mgsvr");
    EXPECT_STREQ(t.Lookup(2, 1), "https://web.example/download_pc.html");  // role not given
    EXPECT_STREQ(t.Lookup(0, 7), "http://127.0.0.1:8081/pc/TestTeaMediaLine.json");
    EXPECT_STREQ(t.Lookup(0, 17), "http://127.0.0.1:8080/logo/");  // the production value
    EXPECT_STREQ(t.Lookup(0, 18), "http://127.0.0.1:7000/");
    EXPECT_STREQ(t.Lookup(0, 2), "https://test-room.example/rqs/trproxy");
}

// The process-wide table: "LoginType" and the deployment file are read at the
// first lookup; lookups from many threads at once, unknown keys among them,
// see the same stable answers.
TEST(UrlProxy, FirstLookupReadsSettingAndDeploymentFile)
{
    TempDir dir;
    std::string file = dir.write("endpoints.ini", "[test]\nconfig=http://127.0.0.1:1234\n");
    testsupport::ScopedEnv env("VELTORA_ENDPOINTS", file);
    CSettings::instance()->SetValue("LoginType", 1);

    std::vector<std::thread> threads;
    std::vector<std::string> seen(8);
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            for (int k = 0; k < 200; ++k)
                UrlProxy::GetUrl(20 + k);  // unknown keys never grow the table
            seen[i] = UrlProxy::GetUrl(7);
        });
    }
    for (auto& t : threads)
        t.join();
    for (const std::string& s : seen)
        EXPECT_EQ(s, "http://127.0.0.1:1234/pc/TestTeaMediaLine.json");
    const char* first = UrlProxy::GetUrl(7);
    EXPECT_EQ(first, UrlProxy::GetUrl(7));  // a stable pointer
    EXPECT_STREQ(UrlProxy::GetUrl(20), "");

    // A later change of the setting takes effect at the next start only.
    CSettings::instance()->SetValue("LoginType", 3);
    EXPECT_STREQ(UrlProxy::GetUrl(7), "http://127.0.0.1:1234/pc/TestTeaMediaLine.json");
}
