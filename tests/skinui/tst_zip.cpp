// The skin zip reader: lookups, extraction into memory, entries, and
// archives whose headers lie.
#include "skinui/UIZip.h"
#include "TempDir.h"
#include "tests/skinui/ZipBuilder.h"

#include <winapi/winbase.h>

#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>
#include <string>
#include <vector>

using ziptest::Member;

namespace {

struct Archive
{
    explicit Archive(const std::vector<Member>& members) : bytes(ziptest::build(members))
    {
        hz = UIZipOpen(&bytes[0], static_cast<unsigned>(bytes.size()), ZIP_MEMORY);
    }
    ~Archive()
    {
        if (hz)
            UIZipClose(hz);
    }
    // Extracts a whole member the way the skin loaders do.
    ZRESULT extract(const char16_t* name, std::string& out)
    {
        int index = -1;
        UIZipEntry ze;
        ZRESULT r = UIZipFindItem(hz, name, true, &index, &ze);
        if (r != ZR_OK)
            return r;
        out.assign(static_cast<size_t>(ze.unc_size), '\0');
        if (ze.unc_size == 0)
            return ZR_OK;
        return UIZipUnzipItem(hz, index, &out[0], static_cast<unsigned>(out.size()), ZIP_MEMORY);
    }
    std::string bytes;
    HZIP hz = nullptr;
};

std::string payload(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('a' + (i * 7 + i / 13) % 26));
    return s;
}

} // namespace

TEST(UIZip, FindByNameSlashesAndCase)
{
    Archive a({{"skin/Main.xml", "<Window/>"}, {"img/bg.png", "png"}});
    ASSERT_NE(a.hz, nullptr);
    int index = -2;
    UIZipEntry ze;
    EXPECT_EQ(UIZipFindItem(a.hz, u"skin\\Main.xml", false, &index, &ze), static_cast<ZRESULT>(ZR_OK));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(std::u16string(ze.name), u"skin/Main.xml");
    EXPECT_EQ(UIZipFindItem(a.hz, u"SKIN\\MAIN.XML", true, &index, nullptr), static_cast<ZRESULT>(ZR_OK));
    EXPECT_EQ(UIZipFindItem(a.hz, u"SKIN\\MAIN.XML", false, &index, &ze), static_cast<ZRESULT>(ZR_NOTFOUND));
    EXPECT_EQ(index, -1);
    EXPECT_EQ(ze.index, -1);
    EXPECT_EQ(UIZipLastResult(), static_cast<ZRESULT>(ZR_NOTFOUND));

    const std::u16string longName(256, u'a');
    EXPECT_EQ(UIZipFindItem(a.hz, longName.c_str(), true, &index, nullptr), static_cast<ZRESULT>(ZR_NOTFOUND));

    EXPECT_EQ(UIZipGetItem(a.hz, -1, &ze), static_cast<ZRESULT>(ZR_OK));
    EXPECT_EQ(ze.index, 2);
    EXPECT_EQ(UIZipGetItem(a.hz, 2, &ze), static_cast<ZRESULT>(ZR_ARGS));
    EXPECT_EQ(UIZipGetItem(a.hz, -2, &ze), static_cast<ZRESULT>(ZR_ARGS));
}

TEST(UIZip, ExtractIntoMemoryStoredAndDeflated)
{
    for (bool deflate : {false, true}) {
        const std::string big = payload(100000);
        Member m{"data.bin", big};
        m.deflate = deflate;
        Archive a({m, {"empty.txt", ""}});
        ASSERT_NE(a.hz, nullptr);
        int index = -1;
        UIZipEntry ze;
        ASSERT_EQ(UIZipFindItem(a.hz, u"data.bin", true, &index, &ze), static_cast<ZRESULT>(ZR_OK));
        EXPECT_EQ(ze.unc_size, 100000);
        std::string out(big.size(), '\0');
        // A buffer of exactly the member's size: "more", then the end.
        EXPECT_EQ(UIZipUnzipItem(a.hz, index, &out[0], static_cast<unsigned>(out.size()), ZIP_MEMORY),
                  static_cast<ZRESULT>(ZR_MORE));
        EXPECT_EQ(out, big);
        EXPECT_EQ(UIZipUnzipItem(a.hz, index, &out[0], static_cast<unsigned>(out.size()), ZIP_MEMORY),
                  static_cast<ZRESULT>(ZR_OK));
        // In pieces: each call continues where the last stopped.
        std::string pieces;
        char chunk[4096];
        ZRESULT r;
        while ((r = UIZipUnzipItem(a.hz, index, chunk, sizeof chunk, ZIP_MEMORY)) == ZR_MORE)
            pieces.append(chunk, std::min(sizeof chunk, big.size() - pieces.size()));
        EXPECT_EQ(r, static_cast<ZRESULT>(ZR_OK));
        EXPECT_EQ(pieces, big);
        std::string empty;
        EXPECT_EQ(a.extract(u"empty.txt", empty), static_cast<ZRESULT>(ZR_OK));
        EXPECT_EQ(UIZipUnzipItem(a.hz, 5, chunk, sizeof chunk, ZIP_MEMORY), static_cast<ZRESULT>(ZR_ARGS));
    }
}

TEST(UIZip, LyingHeadersAreRefused)
{
    struct Case
    {
        const char* what;
        Member member;
    };
    const std::string text = payload(5000);
    std::vector<Case> cases;
    for (bool deflate : {false, true}) {
        Member crc{"m", text};
        crc.deflate = deflate;
        crc.crcDelta = 1;
        cases.push_back({"wrong crc", crc});
        Member shorter{"m", text};
        shorter.deflate = deflate;
        shorter.sizeDelta = -10;
        cases.push_back({"size too small", shorter});
        Member longer{"m", text};
        longer.deflate = deflate;
        longer.sizeDelta = 10;
        cases.push_back({"size too large", longer});
        Member past{"m", text};
        past.deflate = deflate;
        past.compressedSizeOverride = 0x7FFFFFFF;
        cases.push_back({"data past the archive", past});
        Member offset{"m", text};
        offset.deflate = deflate;
        offset.localOffsetOverride = 7;
        cases.push_back({"local header elsewhere", offset});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Archive a({c.member});
        ASSERT_NE(a.hz, nullptr);
        std::string out;
        const ZRESULT r = a.extract(u"m", out);
        EXPECT_TRUE(r != ZR_OK && r != ZR_MORE) << std::hex << r;
    }
}

TEST(UIZip, BrokenArchivesGiveNoHandle)
{
    const std::string notZip = "this is not a zip archive at all, just text";
    EXPECT_EQ(UIZipOpen(const_cast<char*>(notZip.data()), static_cast<unsigned>(notZip.size()), ZIP_MEMORY), nullptr);
    EXPECT_EQ(UIZipOpen(const_cast<char*>(notZip.data()), 4, 9), nullptr);
    EXPECT_EQ(UIZipLastResult(), static_cast<ZRESULT>(ZR_ARGS));
    // Every truncation of a good archive: no crash, no success past the end.
    const std::string good = ziptest::build({{"a.xml", payload(3000)}, {"b.xml", "<b/>"}});
    for (size_t n = 0; n < good.size(); n += 7) {
        std::string cut = good.substr(0, n);
        HZIP hz = UIZipOpen(cut.empty() ? nullptr : &cut[0], static_cast<unsigned>(cut.size()), ZIP_MEMORY);
        if (hz)
            UIZipClose(hz);
    }
    EXPECT_EQ(UIZipClose(nullptr), static_cast<ZRESULT>(ZR_ARGS));
    UIZipHandleData wrong{2, nullptr};
    EXPECT_EQ(UIZipClose(&wrong), static_cast<ZRESULT>(ZR_ZMODE));
}

TEST(UIZip, EntryAttributesAndTimes)
{
    Member dir{"folder/", ""};
    dir.deflate = false;
    dir.externalAttributes = 0x41ED0010; // Unix directory, rwx, MS-DOS directory
    Member file{"folder/f.txt", "x"};
    file.externalAttributes = 0x81A40020; // rw-r--r--, archive
    file.localExtra = ziptest::extendedTime(1, 1700000000);
    Member ro{"ro.txt", "y"};
    ro.externalAttributes = 0x81240001;
    Archive a({dir, file, ro});
    ASSERT_NE(a.hz, nullptr);
    UIZipEntry ze;
    ASSERT_EQ(UIZipGetItem(a.hz, 0, &ze), static_cast<ZRESULT>(ZR_OK));
    EXPECT_EQ(ze.attr, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY));
    ASSERT_EQ(UIZipGetItem(a.hz, 1, &ze), static_cast<ZRESULT>(ZR_OK));
    EXPECT_EQ(ze.attr, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE));
    const uint64_t mtime = (static_cast<uint64_t>(ze.mtime.dwHighDateTime) << 32) | ze.mtime.dwLowDateTime;
    EXPECT_EQ(mtime, 1700000000ULL * 10000000ULL + 116444736000000000ULL);
    FILETIME dos{};
    ASSERT_TRUE(DosDateTimeToFileTime(file.dosDate, file.dosTime, &dos));
    EXPECT_EQ(ze.atime.dwLowDateTime, dos.dwLowDateTime);
    EXPECT_EQ(ze.ctime.dwHighDateTime, dos.dwHighDateTime);
    ASSERT_EQ(UIZipGetItem(a.hz, 2, &ze), static_cast<ZRESULT>(ZR_OK));
    EXPECT_TRUE(ze.attr & FILE_ATTRIBUTE_READONLY);
}

TEST(UIZip, FileSourcesAndExtractionIntoFiles)
{
    testsupport::TempDir dir;
    Member evil("../escape/", "");
    evil.deflate = false;
    evil.externalAttributes = 0x10;
    Member folder("sub/inner/", "");
    folder.deflate = false;
    folder.externalAttributes = 0x10;
    const std::string zipPath =
        dir.write("a.zip", ziptest::build({{"sub/inner/f.txt", payload(20000)}, folder, evil}));
    const std::u16string wpath(zipPath.begin(), zipPath.end());
    HZIP byName = UIZipOpen(const_cast<char16_t*>(wpath.c_str()), 0, ZIP_FILENAME);
    ASSERT_NE(byName, nullptr);
    const std::u16string missing = wpath + u".none";
    EXPECT_EQ(UIZipOpen(const_cast<char16_t*>(missing.c_str()), 0, ZIP_FILENAME), nullptr);
    EXPECT_EQ(UIZipLastResult(), static_cast<ZRESULT>(ZR_NOFILE));

    // Into a file named by the caller, below the folder current when the
    // archive was opened; anything leaving it is refused and not written.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    HZIP inDir = UIZipOpen(const_cast<char16_t*>(wpath.c_str()), 0, ZIP_FILENAME);
    ASSERT_NE(inDir, nullptr);
    EXPECT_EQ(UIZipUnzipItem(inDir, 0, const_cast<char16_t*>(u"out/copy.txt"), 0, ZIP_FILENAME),
              static_cast<ZRESULT>(ZR_OK));
    EXPECT_TRUE(testsupport::readFile(dir.path() + "/out/copy.txt") == payload(20000));
    const std::string outside = dir.path() + "/outside.txt";
    const std::u16string wOutside(outside.begin(), outside.end());
    const std::vector<std::u16string> refused = {u"../escaped.txt", u"out/../../escaped.txt", u"C:escaped.txt",
                                                 u"\\escaped.txt", wOutside};
    for (const std::u16string& dest : refused) {
        EXPECT_EQ(UIZipUnzipItem(inDir, 0, const_cast<char16_t*>(dest.c_str()), 0, ZIP_FILENAME),
                  static_cast<ZRESULT>(ZR_ARGS));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/../escaped.txt"));
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_EQ(UIZipClose(inDir), static_cast<ZRESULT>(ZR_OK));
    std::filesystem::current_path(before);
    EXPECT_EQ(UIZipClose(byName), static_cast<ZRESULT>(ZR_OK));

    // From an open file handle.
    HANDLE h = ::CreateFileW(wpath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HZIP byHandle = UIZipOpen(h, 0, ZIP_HANDLE);
    ::CloseHandle(h); // the archive keeps its own duplicate
    ASSERT_NE(byHandle, nullptr);
    std::string out(20000, '\0');
    EXPECT_EQ(UIZipUnzipItem(byHandle, 0, &out[0], 20000, ZIP_MEMORY), static_cast<ZRESULT>(ZR_MORE));
    EXPECT_TRUE(out == payload(20000));
    UIZipClose(byHandle);
}

TEST(UIZip, FolderCreationStaysBelowTheRoot)
{
    testsupport::TempDir dir;
    const std::u16string root = std::u16string(dir.path().begin(), dir.path().end()) + u"/";
    UIZipCreateFolders(root.c_str(), u"a/b/c");
    EXPECT_TRUE(testsupport::fileExists(dir.path() + "/a/b/c"));
}
