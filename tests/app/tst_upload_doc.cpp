// test-labels: e2e
// test-sources: UploadServices.cpp
// Courseware uploads against a fake document service: the pre-upload check,
// the multipart post, the encoded queries, and every way the service or the
// file can fail.
#include "app/CData.h"
#include "app/PubUtils.h"
#include "app/UploadDoc.h"
#include "app/UploadHttp.h"
#include "tests/app/UploadServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

using uploadtest::Answer;
using uploadtest::Services;

namespace {

const char* kNew = R"({"code":0,"data":{"exist":0}})";
const char* kStored = R"({"code":0,"data":{"docid":"doc-9","exist":1,"md5":"abc","url":"http://cdn/doc-9.pdf"}})";
const char* kUploaded = R"({"code":0,"data":{"docid":"doc-10"}})";

class UploadDocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Services::instance().reset();
        CData::instance()->ResetData(true);
        file = Services::instance().home().home() + "/files/my doc 课件.pdf";
        bytes = std::string("%PDF-1.4 courseware\n") + std::string(200000, 'x');
        writeFile(file, bytes);
    }
    void TearDown() override { uploadhttp::SetLimits(uploadhttp::Limits()); }

    static void writeFile(const std::string& path, const std::string& data)
    {
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data.data(), qint64(data.size()));
    }
    static void login(const QString& group = "g&1=2")
    {
        ASSERT_TRUE(CData::instance()->SetLoginVar({"tok+en/=", "live7", "u1", "Teacher", group, "2"}));
    }
    // Runs a job on the calling thread and returns it.
    static std::unique_ptr<UploadDoc> run(int kind, const std::string& path, QVariant params)
    {
        auto job = std::make_unique<UploadDoc>(kind, QString::fromStdString(path), params);
        job->run();
        return job;
    }
    std::string file;
    std::string bytes;
};

TEST_F(UploadDocTest, RoomUploadSendsEncodedQueriesAndTheFileAsMiravoPart)
{
    login();
    Services::instance().script("/classpreupload", 200, kNew);
    Services::instance().script("/classupload", 200, kUploaded);
    QVariantMap params{{"parent", "f 1&2"}, {"puuid", "0"}, {"fileName", "my doc 课件.pdf"}};

    auto job = std::make_unique<UploadDoc>(UploadDoc::RoomDoc, QString::fromStdString(file), params);
    double lastTotal = -1, lastPos = -1;
    int progress = 0;
    QObject::connect(job.get(), &UploadDoc::UpProgress, job.get(),
                     [&](UploadDoc*, double total, double pos) { ++progress; lastTotal = total; lastPos = pos; },
                     Qt::DirectConnection);
    job->run();

    ASSERT_TRUE(job->IsSuccess()) << job->GetErrMsg().toStdString();
    EXPECT_TRUE(job->GetErrMsg().isEmpty());
    QVariantMap r = job->GetResult().toMap();
    EXPECT_EQ(r.value("docid").toString(), "doc-10");
    EXPECT_EQ(r.value("name").toString(), QString::fromUtf8("my doc 课件.pdf"));
    EXPECT_EQ(r.value("exist").toInt(), 0);
    EXPECT_EQ(r.value("md5").toString(), "");
    EXPECT_EQ(r.value("url").toString(), "");
    EXPECT_EQ(r.value("puuid").toString(), "0");  // the caller's keys come back
    EXPECT_EQ(r.value("parent").toString(), "f 1&2");

    auto checks = Services::instance().seen("/classpreupload");
    ASSERT_EQ(checks.size(), 1u);
    const std::string md5 = PubUtils::GetFileMd5(QString::fromStdString(file));
    EXPECT_EQ(checks[0].target, "/classpreupload?name=my+doc+%E8%AF%BE%E4%BB%B6.pdf&groupid=g%261%3D2&md5=" + md5
                                    + "&parent=f+1%262&token=tok%2Ben%2F%3D");
    EXPECT_EQ(checks[0].params.find("token")->second, "tok+en/=");

    auto uploads = Services::instance().seen("/classupload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].method, "POST");
    EXPECT_EQ(uploads[0].target, "/classupload?groupid=g%261%3D2&token=tok%2Ben%2F%3D");
    ASSERT_EQ(uploads[0].parts.size(), 1u);
    EXPECT_EQ(uploads[0].parts[0].name, "miravo");
    EXPECT_EQ(uploads[0].parts[0].filename, "my doc 课件.pdf");
    EXPECT_EQ(uploads[0].parts[0].contentType, "application/octet-stream");
    EXPECT_TRUE(uploads[0].parts[0].content == bytes);
    EXPECT_GT(progress, 0);
    EXPECT_EQ(lastTotal, lastPos);
}

TEST_F(UploadDocTest, CloudUploadOfAStoredFileSendsNothingAndCarriesNoToken)
{
    login();
    Services::instance().script("/teacherpreupload", 200, kStored);
    auto job = std::make_unique<UploadDoc>(UploadDoc::CloudDoc, QString::fromStdString(file), QVariantMap{{"parent", "77"}});
    int progress = 0;
    QObject::connect(job.get(), &UploadDoc::UpProgress, job.get(), [&] { ++progress; }, Qt::DirectConnection);
    job->run();

    ASSERT_TRUE(job->IsSuccess()) << job->GetErrMsg().toStdString();
    QVariantMap r = job->GetResult().toMap();
    EXPECT_EQ(r.value("docid").toString(), "doc-9");
    EXPECT_EQ(r.value("exist").type(), QVariant::LongLong);
    EXPECT_EQ(r.value("exist").toLongLong(), 1);
    EXPECT_EQ(r.value("md5").toString(), "abc");
    EXPECT_EQ(r.value("url").toString(), "http://cdn/doc-9.pdf");
    EXPECT_EQ(progress, 0);
    auto all = Services::instance().seen();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].params.count("token"), 0u);
    EXPECT_EQ(all[0].params.find("parent")->second, "77");
}

TEST_F(UploadDocTest, CloudUploadPostsToTeacherWebUploadWithGroupOnly)
{
    login("G7");
    Services::instance().script("/teacherpreupload", 200, R"({"data":"not an object"})");
    Services::instance().script("/teacherwebupload", 200, kUploaded);
    auto job = run(UploadDoc::CloudDoc, file, 0);  // no parameter map at all
    ASSERT_TRUE(job->IsSuccess()) << job->GetErrMsg().toStdString();
    EXPECT_EQ(job->GetResult().toMap().value("parent").toString(), "");
    auto uploads = Services::instance().seen("/teacherwebupload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].target, "/teacherwebupload?groupid=G7");
}

TEST_F(UploadDocTest, WithoutLoginVariablesNoGroupIsSentAndTheQueryStillOpensWithQuestionMark)
{
    Services::instance().script("/classpreupload", 200, R"({"code":0,"data":{"exist":2}})");
    Services::instance().script("/classupload", 200, kUploaded);
    auto job = run(UploadDoc::RoomDoc, file, QVariantMap{});
    ASSERT_TRUE(job->IsSuccess()) << job->GetErrMsg().toStdString();
    auto checks = Services::instance().seen("/classpreupload");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].params.count("groupid"), 0u);
    auto uploads = Services::instance().seen("/classupload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].target, "/classupload?token=");
}

struct FailureCase {
    const char* what;
    Answer check;
    Answer upload;
    const char* errMsg;
    size_t requests;
};

TEST_F(UploadDocTest, FailuresAreReportedWithAReasonAndNeverAsSuccess)
{
    const FailureCase cases[] = {
        {"check code", {200, R"({"code":1002,"msg":"令牌无效"})"}, {}, "上传课件失败(1002) 令牌无效", 1},
        {"check code on http error", {403, R"({"code":7,"msg":"no"})"}, {}, "上传课件失败(7) no", 1},
        {"check not json", {200, "<html>busy</html>"}, {}, "上传课件失败. json err", 1},
        {"check json array", {200, "[1,2]"}, {}, "上传课件失败. json err", 1},
        {"check http error", {500, "oops"}, {}, "上传课件失败. http code:500", 1},
        {"check 502 with code 0", {502, R"({"code":0})"}, {}, "上传课件失败. http code:502", 1},
        {"stored without docid", {200, R"({"code":0,"data":{"exist":1}})"}, {}, "上传课件失败, 返回数据缺少docid", 1},
        {"upload code", {200, kNew}, {200, R"({"code":5,"msg":"文件太大"})"}, "上传课件失败, 文件太大", 2},
        {"upload too large", {200, kNew}, {413, "Payload Too Large"}, "上传课件失败. http code:413", 2},
        {"upload not json", {200, kNew}, {200, "ok"}, "上传课件失败. json err", 2},
        {"upload without docid", {200, kNew}, {200, R"({"code":0,"data":{}})"}, "上传课件失败, 返回数据缺少docid", 2},
    };
    login();
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        Services::instance().reset();
        Services::instance().script("/classpreupload", {c.check});
        Services::instance().script("/classupload", {c.upload});
        auto job = run(UploadDoc::RoomDoc, file, QVariantMap{{"parent", "0"}});
        EXPECT_FALSE(job->IsSuccess());
        EXPECT_EQ(job->GetErrMsg().toStdString(), c.errMsg);
        EXPECT_FALSE(job->GetResult().isValid());
        EXPECT_EQ(Services::instance().seen().size(), c.requests);
    }
}

TEST_F(UploadDocTest, AMissingFileFailsWithoutARequest)
{
    login();
    auto job = run(UploadDoc::RoomDoc, file + ".gone", QVariantMap{});
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_EQ(job->GetErrMsg().toStdString(), "打开文件失败!");
    EXPECT_TRUE(Services::instance().seen().empty());
}

TEST_F(UploadDocTest, AStalledServiceEndsInATimeoutFailure)
{
    login();
    uploadhttp::Limits quick;
    quick.connectSec = 2;
    quick.lowSpeedSec = 1;
    uploadhttp::SetLimits(quick);
    Services::instance().script("/classpreupload", {Answer{200, kNew, true}});
    auto job = run(UploadDoc::RoomDoc, file, QVariantMap{});
    Services::instance().release();
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_EQ(job->GetErrMsg().toStdString(), "上传课件失败. http code:" + std::to_string(int(CURLE_OPERATION_TIMEDOUT)));
}

TEST_F(UploadDocTest, AnUnknownKindFinishesAsFailure)
{
    auto job = std::make_unique<UploadDoc>(6, QString(), QVariant());
    QSignalSpy spy(job.get(), &UploadDoc::finish);
    job->run();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(job->IsSuccess());
    EXPECT_TRUE(Services::instance().seen().empty());
}

TEST_F(UploadDocTest, StartRunsOnThePoolAndFinishReachesTheGuiThreadQueued)
{
    login();
    Services::instance().script("/classpreupload", 200, kStored);
    auto* job = new UploadDoc(UploadDoc::RoomDoc, QString::fromStdString(file), QVariantMap{});
    QObject receiver;
    QThread* finishedOn = nullptr;
    bool ok = false;
    QObject::connect(job, &UploadDoc::finish, &receiver, [&](UploadDoc* j) {
        finishedOn = QThread::currentThread();
        ok = j->IsSuccess();
        j->deleteLater();
    });
    job->Start();
    ASSERT_TRUE(testsupport::waitUntil([&] { return finishedOn != nullptr; }, uploadtest::kWaitMs));
    EXPECT_EQ(finishedOn, QThread::currentThread());
    EXPECT_TRUE(ok);
}

}  // namespace
