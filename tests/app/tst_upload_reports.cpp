// test-labels: e2e
// test-sources: UploadServices.cpp
// Snapshot upload and JSON reports against fake report services.
#include "app/CData.h"
#include "app/UploadDoc.h"
#include "tests/app/UploadServices.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using uploadtest::Services;

namespace {

class UploadReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Services::instance().reset();
        CData::instance()->ResetData(true);
    }
    static std::unique_ptr<UploadDoc> run(int kind, const QString& path, const QVariant& params)
    {
        auto job = std::make_unique<UploadDoc>(kind, path, params);
        job->run();
        return job;
    }
    static QVariantMap report(qint64 type, const QString& body) { return {{"type", type}, {"postData", body}}; }
};

TEST_F(UploadReportTest, ReportTypesGoToTheirPathsAsJsonPosts)
{
    const struct {
        qint64 type;
        const char* path;
    } cases[] = {{2001, "/openapi/speedrp"}, {0, "/openapi/eventrp"}, {2000, "/openapi/eventrp"}, {2002, "/openapi/eventrp"}};
    Services::instance().script("/openapi/speedrp", 200, "{}");
    Services::instance().script("/openapi/eventrp", 200, "{}");
    const QString body = QString::fromUtf8(R"({"a":"测试","b":1})");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        auto job = run(UploadDoc::Report, QString(), report(c.type, body));
        EXPECT_TRUE(job->IsSuccess());
        auto seen = Services::instance().seen();
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().method, "POST");
        EXPECT_EQ(seen.back().path, c.path);
        EXPECT_EQ(seen.back().contentType, "application/json;charset=UTF-8");
        EXPECT_EQ(seen.back().body, body.toStdString());
    }
}

TEST_F(UploadReportTest, AReportAnsweredWithAnErrorFailsOnce)
{
    Services::instance().script("/openapi/eventrp", 500, "{}");
    auto job = run(UploadDoc::Report, QString(), report(5, "{}"));
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_EQ(Services::instance().seen().size(), 1u);
}

TEST_F(UploadReportTest, ARecordReportIsTriedTwiceWhenTheFirstFails)
{
    const std::string body = R"({"stream":"s1","op":"start"})";
    Services::instance().script("/openapi/stream_notify", {{500, "no"}, {200, "{}"}});
    auto job = run(UploadDoc::RecordReport, QString(), QVariantMap{{"postData", QString::fromStdString(body)}});
    EXPECT_TRUE(job->IsSuccess());
    auto seen = Services::instance().seen("/openapi/stream_notify");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].body, body);
    EXPECT_EQ(seen[1].contentType, "application/json;charset=UTF-8");

    Services::instance().reset();
    Services::instance().script("/openapi/stream_notify", 503, "");
    job = run(UploadDoc::RecordReport, QString(), QVariantMap{{"postData", "{}"}});
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_EQ(Services::instance().seen().size(), 2u);

    Services::instance().reset();
    Services::instance().script("/openapi/stream_notify", 200, "");
    job = run(UploadDoc::RecordReport, QString(), QVariantMap{{"postData", "{}"}});
    EXPECT_TRUE(job->IsSuccess());
    EXPECT_EQ(Services::instance().seen().size(), 1u);
}

TEST_F(UploadReportTest, SnapshotIsPostedWithTheEncodedTokenAndHttpErrorsFail)
{
    const QString dir = QString::fromStdString(Services::instance().home().home()) + "/snap";
    QDir().mkpath(dir);
    const QString path = dir + "/1700000000123.jpg";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xff\xd8\xff\xe0 jpeg bytes");
    f.close();

    // No login variables: the address ends in "?token=".
    Services::instance().script("/shadow", 200, "stored");
    auto job = run(UploadDoc::Snapshot, path, QVariant());
    EXPECT_TRUE(job->IsSuccess()) << job->GetErrMsg().toStdString();
    auto seen = Services::instance().seen("/shadow");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].target, "/shadow?token=");
    ASSERT_EQ(seen[0].parts.size(), 1u);
    EXPECT_EQ(seen[0].parts[0].name, "miravo");
    EXPECT_EQ(seen[0].parts[0].filename, "1700000000123.jpg");
    EXPECT_EQ(seen[0].parts[0].content, "\xff\xd8\xff\xe0 jpeg bytes");

    ASSERT_TRUE(CData::instance()->SetLoginVar({"a b&c", "1", "2", "3", "4", "2"}));
    Services::instance().reset();
    Services::instance().script("/shadow", 500, "down");
    job = run(UploadDoc::Snapshot, path, QVariant());
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_EQ(job->GetErrMsg().toStdString(), "upload failed(http 500)!");
    seen = Services::instance().seen("/shadow");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].target, "/shadow?token=a+b%26c");

    Services::instance().reset();
    job = run(UploadDoc::Snapshot, path + ".gone", QVariant());
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_TRUE(Services::instance().seen().empty());
}

}  // namespace
