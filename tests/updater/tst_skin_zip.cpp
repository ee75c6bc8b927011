// The updater's skin as the program carries it: the "ZIPRES" 100 resource
// holds both skin files and every image they name, at the sizes the window
// lays them out with; the program icon is resource 107.
// test-libs: korvanel_skin skinui
#include <gtest/gtest.h>
#include <winapi/winapi.h>
#include <zip.h>

#include <map>
#include <regex>
#include <set>
#include <stb_image.h>
#include <string>

namespace {

std::string resourceBytes(LPCWSTR name, LPCWSTR type)
{
    HRSRC r = ::FindResourceW(nullptr, name, type);
    HGLOBAL g = r ? ::LoadResource(nullptr, r) : nullptr;
    const void* data = g ? ::LockResource(g) : nullptr;
    return data ? std::string(static_cast<const char*>(data), ::SizeofResource(nullptr, r)) : std::string();
}

std::map<std::string, std::string> unzip(const std::string& bytes)
{
    std::map<std::string, std::string> out;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* z = src ? zip_open_from_source(src, ZIP_RDONLY, &error) : nullptr;
    if (!z)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        out[st.name] = data;
    }
    zip_close(z);
    return out;
}

struct Size {
    int w = 0, h = 0;
};

Size pngSize(const std::string& bytes)
{
    Size s;
    int n = 0;
    if (!stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), int(bytes.size()), &s.w, &s.h, &n))
        return {};
    return s;
}

}  // namespace

TEST(SkinZip, EveryNamedImageIsThereAtItsSize)
{
    const auto files = unzip(resourceBytes(MAKEINTRESOURCEW(100), u"ZIPRES"));
    ASSERT_TRUE(files.count("Korvanel.xml"));
    ASSERT_TRUE(files.count("UpdateMsgListItem.xml"));

    // Every image file the skin names (plain or as file='...').
    std::set<std::string> named;
    const std::string& xml = files.at("Korvanel.xml");
    const std::regex png("([A-Za-z0-9_]+\\.png)");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), png); it != std::sregex_iterator(); ++it)
        named.insert((*it)[1]);
    EXPECT_EQ(named.size(), 22u);
    for (const std::string& name : named)
        EXPECT_TRUE(files.count(name)) << name << " is named by the skin but missing";
    // Carried though the skin does not name them.
    for (const char* extra : {"btn_blue_dis.png", "logo16.png", "logo32.png", "logo48.png"})
        EXPECT_TRUE(files.count(extra)) << extra;

    const std::map<std::string, std::pair<int, int>> sizes = {
        {"applogo.png", {48, 67}},       {"blueClose.png", {26, 26}},   {"blueClose3.png", {26, 26}},
        {"btn_blue_normal.png", {100, 30}}, {"yellowbtn.png", {100, 30}}, {"yellowbtn3.png", {100, 30}},
        {"progress1.png", {16, 16}},     {"progress2.png", {16, 16}},   {"v2scrollbar_bkg.png", {14, 14}},
        {"v2scrollbar_bar_normal.png", {14, 20}},
    };
    for (const auto& [name, size] : sizes) {
        const Size s = pngSize(files.at(name));
        EXPECT_EQ(s.w, size.first) << name;
        EXPECT_EQ(s.h, size.second) << name;
    }
}

TEST(SkinZip, ProgramIconIsAResource)
{
    const Size s = pngSize(resourceBytes(MAKEINTRESOURCEW(107), RT_GROUP_ICON));
    EXPECT_EQ(s.w, 48);
    EXPECT_EQ(s.h, 48);
}
