// Embedded resources, modules, files, profile files, processes, the shell
// and text conversion, as the updater uses them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "TempDir.h"
#include "windows.h"

namespace {
std::string narrow(const std::u16string& s)
{
    char buf[1024];
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), buf, sizeof buf, nullptr, nullptr);
    return std::string(buf, size_t(n));
}
}  // namespace

TEST(WinapiResources, EmbeddedTableAndIcons)
{
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC r = FindResourceW(self, MAKEINTRESOURCEW(100), u"ZIPRES");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(self, r), 768u);
    auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(self, r)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[1], 1);
    EXPECT_EQ(bytes[257], 1);
    EXPECT_NE(FindResourceW(self, MAKEINTRESOURCEW(3), u"XML"), nullptr);  // types ignore case
    EXPECT_NE(FindResourceW(self, u"#100", u"zipres"), nullptr);
    EXPECT_EQ(FindResourceW(self, MAKEINTRESOURCEW(101), u"ZIPRES"), nullptr);
    HICON big = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(107), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), 0));
    HICON small = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(107), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(big, nullptr);
    EXPECT_NE(small, nullptr);
    EXPECT_EQ(LoadImageW(self, MAKEINTRESOURCEW(999), IMAGE_ICON, 16, 16, 0), nullptr);
    DestroyIcon(big);
    DestroyIcon(small);
}

TEST(WinapiResources, SystemLibrariesAndFailurePaths)
{
    HMODULE msimg = LoadLibraryW(u"msimg32.dll");
    ASSERT_NE(msimg, nullptr);
    EXPECT_NE(GetProcAddress(msimg, "AlphaBlend"), nullptr);
    EXPECT_NE(GetProcAddress(msimg, "GradientFill"), nullptr);
    EXPECT_EQ(GetProcAddress(msimg, "Nothing"), nullptr);
    EXPECT_NE(GetProcAddress(GetModuleHandleW(u"User32.dll"), "SetLayeredWindowAttributes"), nullptr);
    EXPECT_EQ(LoadLibraryW(u"riched20.dll"), nullptr);
    EXPECT_EQ(LoadLibraryA("DBGHELP.DLL"), nullptr);
    CLSID id{};
    EXPECT_EQ(CLSIDFromString(u"{8D33F740-CF58-11CE-A89D-00AA006CADC5}", &id), S_OK);
    EXPECT_EQ(id.Data1, 0x8D33F740u);
    EXPECT_EQ(id.Data4[7], 0xC5);
    EXPECT_NE(CLSIDFromString(u"not a guid", &id), S_OK);
    EXPECT_TRUE(FAILED(CLSIDFromProgID(u"Shell.Explorer", &id)));
    EXPECT_EQ(ImmGetContext(nullptr), nullptr);
    char path[300];
    DWORD n = GetModuleFileNameA(nullptr, path, 300);
    ASSERT_GT(n, 0u);
    EXPECT_NE(std::string(path).find("platform_winapi_tst_resources"), std::string::npos);
}

TEST(WinapiResources, FilesFoldersAndProfiles)
{
    testsupport::TempDir dir;
    std::string base = dir.path();
    // Windows-spelled paths work.
    std::string winDir = base + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(winDir.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(winDir.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    std::string file = base + "/sub/config.ini";
    {
        std::ofstream out(file);
        out << "[VeltoraTea]\nUpdateUrl=http://update.example/\nAppName=Veltora\nDownloadURL=https://dl.example/x\n";
    }
    std::u16string wfile;
    for (char c : file)
        wfile.push_back(char16_t(c));
    WCHAR buf[50];
    EXPECT_EQ(GetPrivateProfileStringW(u"VeltoraTea", u"AppName", u"", buf, 50, wfile.c_str()), 7u);
    EXPECT_EQ(std::u16string(buf), u"Veltora");
    EXPECT_EQ(GetPrivateProfileStringW(u"veltoratea", u"updateurl", u"", buf, 10, wfile.c_str()), 9u);  // cut
    EXPECT_EQ(GetPrivateProfileStringW(u"VeltoraTea", u"Missing", u"def", buf, 50, wfile.c_str()), 3u);
    EXPECT_EQ(GetPrivateProfileStringW(u"VeltoraTea", u"AppName", u"def", buf, 50, u"/no/such/file.ini"), 3u);

    HANDLE h = CreateFileW(wfile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(h), DWORD(FILE_TYPE_DISK));
    DWORD size = GetFileSize(h, nullptr);
    std::string content(size, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(h, content.data(), size, &got, nullptr));
    EXPECT_EQ(got, size);
    FILETIME ft;
    ASSERT_TRUE(DosDateTimeToFileTime(WORD(((2020 - 1980) << 9) | (5 << 5) | 17), WORD((12 << 11) | (30 << 5)), &ft));
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1589718600);  // 2020-05-17 12:30:00 UTC

    std::string copy = base + "\\sub\\copy.ini";
    EXPECT_TRUE(CopyFileA(file.c_str(), copy.c_str(), FALSE));
    EXPECT_FALSE(CopyFileA(file.c_str(), copy.c_str(), TRUE));
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((base + "\\sub\\*").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::string> names;
    do {
        names.push_back(fd.cFileName);
        if (std::string(fd.cFileName) == "copy.ini") {
            EXPECT_EQ(fd.nFileSizeLow, size);
        }
        if (std::string(fd.cFileName) == ".") {
            EXPECT_TRUE(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    EXPECT_NE(std::find(names.begin(), names.end(), "copy.ini"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "config.ini"), names.end());
    char tmp[512];
    EXPECT_GT(GetTempPathA(512, tmp), 0u);
    EXPECT_EQ(tmp[std::strlen(tmp) - 1], '/');
}

TEST(WinapiResources, SpecialFolderIsTheDataBase)
{
    testsupport::TempHome home;
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_LOCAL_APPDATA, TRUE));
    std::string p = narrow(path);
    EXPECT_EQ(p + "/VeltoraTea", home.dataFolder());
    struct stat st;
    EXPECT_EQ(stat(p.c_str(), &st), 0);
}

TEST(WinapiResources, ProcessesThreadsAndTheShell)
{
    testsupport::TempDir dir;
    // A program whose path has blanks, named unquoted as the updater does.
    std::string folder = dir.path() + "/my app";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string script = folder + "/run.sh";
    std::string marker = dir.path() + "/ran";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\necho \"$1\" > '" << marker << "'\n";
    }
    chmod(script.c_str(), 0755);
    std::u16string line;
    for (char c : script + ".exe first")
        line.push_back(char16_t(c));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                               &si, &pi));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), DWORD(WAIT_OBJECT_0));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(testsupport::readFile(marker), "first\n");

    // A program named like the path's first word ("<dir>/my") never runs in
    // place of the one the line names: unquoted, quoted, or named apart.
    std::string decoy = dir.path() + "/my";
    std::string decoyMarker = dir.path() + "/decoy-ran";
    {
        std::ofstream out(decoy);
        out << "#!/bin/sh\ntouch '" << decoyMarker << "'\n";
    }
    chmod(decoy.c_str(), 0755);
    auto wide = [](const std::string& s) { return std::u16string(s.begin(), s.end()); };
    struct Form {
        std::u16string name;
        std::u16string line;
        const char* expect;
    } forms[] = {
        {u"", wide(script + " unquoted"), "unquoted\n"},
        {u"", wide("\"" + script + "\" quoted"), "quoted\n"},
        {wide(script), wide("run.sh named"), "named\n"},
    };
    for (Form& f : forms) {
        std::remove(marker.c_str());
        ASSERT_TRUE(CreateProcessW(f.name.empty() ? nullptr : f.name.c_str(), f.line.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &si, &pi));
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), DWORD(WAIT_OBJECT_0));
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        EXPECT_EQ(testsupport::readFile(marker), f.expect);
        EXPECT_FALSE(testsupport::fileExists(decoyMarker));
    }
    std::u16string missing = u"/no/such/program arg";
    EXPECT_FALSE(CreateProcessW(nullptr, missing.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));

    // A detached thread runs; its handle may be closed at once.
    static std::atomic<int> ran{0};
    HANDLE t = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
        ran = int(reinterpret_cast<intptr_t>(p));
        return 0;
    }, reinterpret_cast<LPVOID>(intptr_t(7)), 0, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, 10000), DWORD(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(t));
    EXPECT_EQ(ran.load(), 7);

    // Only web pages are opened; the opener gets the URL as one argument.
    std::string opener = dir.path() + "/opener.sh";
    std::string seen = dir.path() + "/seen";
    {
        std::ofstream out(opener);
        out << "#!/bin/sh\nprintf '%s' \"$1\" > '" << seen << "'\n";
    }
    chmod(opener.c_str(), 0755);
    testsupport::ScopedEnv env("WINAPI_URL_OPENER", opener);
    EXPECT_LE(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"/etc/passwd", nullptr, nullptr, SW_SHOWNORMAL)),
              32);
    EXPECT_LE(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"file:///etc/passwd", nullptr, nullptr, 1)),
              32);
    EXPECT_GT(reinterpret_cast<intptr_t>(
                  ShellExecuteW(nullptr, u"open", u"https://dl.example/a b;rm", nullptr, nullptr, SW_SHOWNORMAL)),
              32);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (testsupport::readFile(seen).empty() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(testsupport::readFile(seen), "https://dl.example/a b;rm");
}

TEST(WinapiResources, TextConversionAndFormatting)
{
    const char* utf8 = "升级 ok";
    WCHAR w[16];
    int n = MultiByteToWideChar(CP_ACP, 0, utf8, -1, w, 16);
    EXPECT_EQ(n, 6);  // with the terminator
    EXPECT_EQ(std::u16string(w), u"升级 ok");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), 6);
    char back[32];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, w, -1, back, 32, nullptr, nullptr), int(std::strlen(utf8)) + 1);
    EXPECT_STREQ(back, utf8);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xff\xfe", 2, w, 16), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xff", 1, w, 16), 1);
    EXPECT_EQ(w[0], 0xFFFD);
    WCHAR out[64];
    wsprintfW(out, u"%s=%d %05.2s %x %S", u"key", -42, u"abc", 255u, "nar");
    EXPECT_EQ(std::u16string(out), u"key=-42    ab ff nar");
    EXPECT_EQ(_wtoi(u"123abc"), 123);
    EXPECT_EQ(_wcsicmp(u"ButtonUI", u"buttonui"), 0);
    EXPECT_EQ(wcstoul16(u"ff", nullptr, 16), 255ul);
    const char16_t* pair = u"\U0001F600x";
    EXPECT_EQ(CharNextW(pair), pair + 2);
}
