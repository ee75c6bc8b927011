// test-labels: e2e
#include "HttpFixture.h"
#include "NginxFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(NginxFixture, ServesFilesAndAcceptsRtmp)
{
    testsupport::NginxFixture::Options o;
    o.rtmp = true;
    testsupport::NginxFixture nginx(o);
    ASSERT_TRUE(nginx.start()) << nginx.error();
    std::ofstream(nginx.httpRoot() + "/hello.json") << "{\"a\":1}";
    httplib::Client cli("127.0.0.1", nginx.httpPort());
    auto res = cli.Get("/hello.json");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "{\"a\":1}");
    EXPECT_GT(nginx.rtmpPort(), 0);
}

TEST(HttpFixture, RecordsRequests)
{
    testsupport::HttpFixture http;
    http.server().Get("/x", [](const httplib::Request&, httplib::Response& r) { r.set_content("ok", "text/plain"); });
    ASSERT_TRUE(http.start());
    httplib::Client cli("127.0.0.1", http.port());
    auto res = cli.Get("/x?k=v");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "ok");
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_EQ(http.requests()[0], "GET /x?k=v");
}
