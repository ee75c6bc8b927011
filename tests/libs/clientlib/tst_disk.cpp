// Client library: cloud-disk folder operations, uploads registered and
// converted, documents opened into the room for the whiteboard.
// test-libs: whiteboardlib
#include "tests/libs/clientlib/ClientLibProbe.h"

#include "WBRoomDocs.h"

#include <QFileInfo>
#include <QImage>
#include <QUrl>

using namespace cltest;

namespace {

// Lists a folder and answers its entries by name.
QMap<QString, QVariantMap> list(ClientLib* lib, const QString& owner, const QString& uuid, int* code = nullptr)
{
    rec().clear();
    lib->ListNetFolder(owner, "81", uuid);
    const QVariantMap a = answer(RsC_Http_NetFolderList);
    if (code) *code = a.value("code").toInt();
    EXPECT_EQ(a.value("user_data").toMap().value("uuid").toString(), uuid);
    EXPECT_EQ(a.value("user_data").toMap().value("userType").toString(), owner);
    QMap<QString, QVariantMap> out;
    for (const QVariant& v : a.value("listFiles").toList()) out.insert(v.toMap().value("name").toString(), v.toMap());
    return out;
}

}  // namespace

TEST(ClientLibDisk, FolderOperations)
{
    LibFixture lib;
    lib.login();
    auto root = list(lib.lib(), "teacher", "0");
    ASSERT_EQ(root.keys(), (QStringList{"song.mp3", "课件"}));
    const QVariantMap folder = root.value("课件");
    EXPECT_EQ(folder.value("file_type").toInt(), 0);
    for (const char* key : {"uuid", "puuid", "file_type", "name", "ext_name", "create_user", "create_time",
                            "update_time", "file_url", "guid", "size", "pageNum"})
        EXPECT_TRUE(folder.contains(key)) << key;

    // A new folder inside "课件", renamed (percent-encoded, "+" for a space), then deleted with its content.
    rec().clear();
    lib->MakeNetDir("teacher", "f1", "第一章", "81");
    const QVariantMap made = answer(RsC_Http_NetMakeDir);
    ASSERT_EQ(made.value("code").toInt(), 0);
    const QString dirId = made.value("uuid").toString();
    auto inside = list(lib.lib(), "teacher", "f1");
    ASSERT_TRUE(inside.contains("第一章"));
    EXPECT_TRUE(inside.contains("a.pdf"));

    rec().clear();
    lib->MakeNetDir("teacher", "f1", "第一章", "81");
    EXPECT_EQ(answer(RsC_Http_NetMakeDir).value("code").toInt(), 409);

    rec().clear();
    lib->MakeNetDir("teacher", dirId, "小节", "81");
    ASSERT_EQ(answer(RsC_Http_NetMakeDir).value("code").toInt(), 0);

    rec().clear();
    lib->RenameNetFile("teacher", dirId, QString::fromLatin1(QUrl::toPercentEncoding("第 1 章").replace("%20", "+")),
                       "81");
    EXPECT_EQ(answer(RsC_Http_NetRename).value("code").toInt(), 0);
    inside = list(lib.lib(), "teacher", "f1");
    EXPECT_TRUE(inside.contains("第 1 章"));

    rec().clear();
    lib->DeleteNetFile("teacher", dirId, "81");
    EXPECT_EQ(answer(RsC_Http_NetDelete).value("code").toInt(), 0);
    inside = list(lib.lib(), "teacher", "f1");
    EXPECT_FALSE(inside.contains("第 1 章"));
    int code = 0;
    list(lib.lib(), "teacher", dirId, &code);
    EXPECT_EQ(code, 404);

    // The group's disk is another one.
    auto group = list(lib.lib(), "group", "0");
    EXPECT_TRUE(group.isEmpty());
}

TEST(ClientLibDisk, BadRequestsAreAnsweredWithAReason)
{
    LibFixture lib;
    lib.login();
    struct Case {
        const char* name;
        std::function<bool(ClientLib*)> call;
        int result;
        int code;
    } cases[] = {
        {"empty owner", [](ClientLib* l) { return l->ListNetFolder("", "81", "0"); }, RsC_Http_NetFolderList, 400},
        {"unknown owner", [](ClientLib* l) { return l->ListNetFolder("school", "81", "0"); }, RsC_Http_NetFolderList, 400},
        {"unknown folder", [](ClientLib* l) { return l->ListNetFolder("teacher", "81", "zz"); }, RsC_Http_NetFolderList, 404},
        {"empty dir name", [](ClientLib* l) { return l->MakeNetDir("teacher", "0", "", "81"); }, RsC_Http_NetMakeDir, 400},
        {"dir in a file", [](ClientLib* l) { return l->MakeNetDir("teacher", "f2", "x", "81"); }, RsC_Http_NetMakeDir, 404},
        {"rename unknown", [](ClientLib* l) { return l->RenameNetFile("teacher", "zz", "x", "81"); }, RsC_Http_NetRename, 404},
        {"delete empty id", [](ClientLib* l) { return l->DeleteNetFile("teacher", "", "81"); }, RsC_Http_NetDelete, 400},
        {"group unknown", [](ClientLib* l) { return l->ListNetFolder("group", "999", "0"); }, RsC_Http_NetFolderList, 404},
        {"add not a map", [](ClientLib* l) { return l->AddNetFile(QVariant("x")); }, RsC_Http_NetAddFile, 400},
        {"status not a map", [](ClientLib* l) { return l->GetNetDocStatus(QVariant(3)); }, RsC_Http_NetDocStatus, 400},
        {"open outside room", [](ClientLib* l) { return l->OpenNetFile("g2", "81", "1", "t", "a.pdf"); }, RsC_Http_OpenNetFile, 1020},
    };
    for (const Case& c : cases) {
        rec().clear();
        c.call(lib.lib());
        const QVariantMap a = answer(c.result);
        EXPECT_EQ(a.value("code").toInt(), c.code) << c.name;
        EXPECT_FALSE(a.value("errMsg").toString().isEmpty()) << c.name;
    }
}

TEST(ClientLibDisk, UploadIsRegisteredConvertedAndOpenedIntoTheRoom)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    lib->AddNetFile(QVariantMap{{"fileName", "讲义.pdf"}, {"parentid", "f1"}, {"groupid", "81"},
                                {"userType", "teacher"}, {"filetype", 1}, {"md5", "abc"}});
    const QVariantMap added = answer(RsC_Http_NetAddFile);
    ASSERT_EQ(added.value("code").toInt(), 0);
    const QString guid = added.value("guid").toString();
    auto inside = list(lib.lib(), "teacher", "f1");
    ASSERT_TRUE(inside.contains("讲义.pdf"));
    // Converted after a moment: the status turns 1 and the listing gets the page address.
    int status = -1;
    testsupport::waitUntil([&] {
        rec().clear();
        lib->GetNetDocStatus(QVariantMap{{"groupid", "81"}, {"userType", "teacher"}, {"docid", guid}});
        status = answer(RsC_Http_NetDocStatus).value("status").toInt();
        return status == 1;
    }, 20000);
    ASSERT_EQ(status, 1);
    inside = list(lib.lib(), "teacher", "f1");
    EXPECT_TRUE(inside.value("讲义.pdf").value("file_url").toString().contains("xxxx"));

    // Into the room: the whiteboard's room documents get it with its pages.
    const QStringList vars = lib.enterRoom(todayRoom(lib.lib(), "今日数学"));
    ASSERT_EQ(vars.size(), 6);
    const std::vector<WBDocInfo> before = wbdocs::RoomDocs(vars[1].toStdString());
    rec().clear();
    lib->OpenNetFile(guid, "81", "1", vars[0], "讲义.pdf");
    const QVariantMap opened = answer(RsC_Http_OpenNetFile);
    EXPECT_EQ(opened.value("code").toInt(), 0);
    EXPECT_EQ(opened.value("user_data").toMap().value("fileName").toString(), "讲义.pdf");
    EXPECT_EQ(opened.value("user_data").toMap().value("userType").toString(), "teacher");
    const std::vector<WBDocInfo> docs = wbdocs::RoomDocs(vars[1].toStdString());
    ASSERT_EQ(docs.size(), before.size() + 1);
    const WBDocInfo& doc = docs.back();
    EXPECT_EQ(doc.docId, guid.toStdString());
    EXPECT_EQ(doc.fileName, "讲义.pdf");
    const QString page1 = QString::fromStdString(doc.pageUrl).replace("xxxx", "0001");
    EXPECT_TRUE(QFileInfo::exists(page1)) << page1.toStdString();
    EXPECT_FALSE(QImage(page1).isNull());
    wbdocs::ClearAllRooms();
}

TEST(ClientLibDisk, MediaDocumentAnswersItsPercentEncodedAddress)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    const QVariantMap cmd{{"docid", "g3"}, {"ts", 0}, {"totalTs", 30000}, {"fileName", "song.mp3"},
                          {"type", "audio"}, {"cmd", "open"}};
    lib->OpenDocCmd("g3", cmd);
    const QVariantMap a = answer(RsC_Http_MediaUrl);
    EXPECT_EQ(a.value("code").toInt(), 0);
    EXPECT_EQ(a.value("user_data").toMap(), cmd);
    EXPECT_EQ(QUrl::fromPercentEncoding(a.value("geturl").toString().toUtf8()), "http://127.0.0.1:1/a b.mp3");
    rec().clear();
    lib->OpenDocCmd("g2", cmd);  // not a media document
    EXPECT_EQ(answer(RsC_Http_MediaUrl).value("code").toInt(), 404);
}
