// test-labels: e2e
// test-sources: UploadServices.cpp
// The chat picture upload against a fake image file server: the multipart
// post, the retries, the answer's "hash" and "location", the cache copy.
#include "app/PubUtils.h"
#include "app/UploadFile.h"
#include "tests/app/UploadServices.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

using uploadtest::Answer;
using uploadtest::Services;

namespace {

const char* kStored = R"([{"hash":"h-1","location":"http://img.example/p/abc.png"},{"hash":"other"}])";

class UploadFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Services::instance().reset();
        dir = QString::fromStdString(Services::instance().home().home()) + "/pics";
        QDir().mkpath(dir);
        picture = dir + "/shot 1.png";
        QImage img(8, 6, QImage::Format_RGB32);
        img.fill(Qt::red);
        ASSERT_TRUE(img.save(picture));
        QFile::remove(QString::fromStdString(PubUtils::GetUrlLocalFile("http://img.example/p/abc.png")));
    }
    // Runs the thread to its end; finish is counted.
    std::unique_ptr<UploadFile> upload(const QVariantList& params)
    {
        auto up = std::make_unique<UploadFile>(params, 0);
        up->SetRetryPause(1);
        QSignalSpy spy(up.get(), &UploadFile::finish);
        up->start();
        EXPECT_TRUE(up->wait(30000));
        EXPECT_EQ(spy.count(), 1);
        return up;
    }
    QString dir;
    QString picture;
};

TEST_F(UploadFileTest, AStoredPictureGivesHashAndLocationByNameAndACacheCopy)
{
    Services::instance().script("/upload", 202, kStored);
    auto up = upload({1, picture});
    ASSERT_TRUE(up->IsSuccess()) << up->GetErrMsg().toStdString();
    EXPECT_EQ(up->GetHash(), "h-1");
    EXPECT_EQ(up->GetLocation(), "http://img.example/p/abc.png");
    EXPECT_EQ(up->GetResults(), (QVariantList{"h-1", "http://img.example/p/abc.png"}));
    EXPECT_TRUE(up->GetErrMsg().isEmpty());

    auto seen = Services::instance().seen("/upload");
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_EQ(seen[0].parts.size(), 1u);
    EXPECT_EQ(seen[0].parts[0].name, "file");
    EXPECT_EQ(seen[0].parts[0].filename, "shot 1.png");
    QFile f(picture);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray::fromStdString(seen[0].parts[0].content), f.readAll());

    QImage cached(QString::fromStdString(PubUtils::GetUrlLocalFile("http://img.example/p/abc.png")));
    EXPECT_EQ(cached.size(), QSize(8, 6));
}

TEST_F(UploadFileTest, FailedAttemptsAreRetriedUpToFourTimes)
{
    Services::instance().script("/upload", {{500, "busy"}, {503, ""}, {202, kStored}});
    auto up = upload({1, picture});
    EXPECT_TRUE(up->IsSuccess());
    EXPECT_EQ(Services::instance().seen().size(), 3u);
    EXPECT_EQ(up->GetLocation(), "http://img.example/p/abc.png");

    const struct {
        const char* what;
        Answer answer;
        const char* err;
    } failing[] = {
        {"status 200 is not a stored file", {200, kStored}, "UpLoadWBFile(200)"},
        {"empty array", {202, "[]"}, "UpLoadWBFile(bad reply)"},
        {"not json", {202, "stored!"}, "UpLoadWBFile(bad reply)"},
        {"no location", {202, R"([{"hash":"h"}])"}, "UpLoadWBFile(bad reply)"},
    };
    for (const auto& c : failing) {
        SCOPED_TRACE(c.what);
        Services::instance().reset();
        Services::instance().script("/upload", {c.answer});
        up = upload({1, picture});
        EXPECT_FALSE(up->IsSuccess());
        EXPECT_EQ(up->GetErrMsg().toStdString(), c.err);
        EXPECT_TRUE(up->GetLocation().isEmpty());
        EXPECT_TRUE(up->GetResults().isEmpty());
        EXPECT_EQ(Services::instance().seen().size(), size_t(UploadFile::kMaxAttempts));
    }
}

TEST_F(UploadFileTest, AFileThatIsNoPictureIsUploadedWithoutACacheCopy)
{
    const QString notes = dir + "/notes.txt";
    QFile f(notes);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("plain text");
    f.close();
    Services::instance().script("/upload", 202, kStored);
    auto up = upload({1, notes});
    EXPECT_TRUE(up->IsSuccess());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PubUtils::GetUrlLocalFile("http://img.example/p/abc.png"))));
}

TEST_F(UploadFileTest, AMissingFileOrAnotherModeSendsNothing)
{
    auto up = upload({1, dir + "/vanished.png"});
    EXPECT_FALSE(up->IsSuccess());
    EXPECT_FALSE(up->GetErrMsg().isEmpty());
    up = upload({0, picture});
    EXPECT_FALSE(up->IsSuccess());
    EXPECT_TRUE(Services::instance().seen().empty());
}

}  // namespace
