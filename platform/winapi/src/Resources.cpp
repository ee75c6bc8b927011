// Embedded resources (registered by the table winapi_add_resources()
// generates) and the resource calls over them.
#include "platform/winapi/src/Resources.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>

#include "platform/winapi/src/TextConv.h"
#include "winapi/platform.h"
#include "winapi/winbase.h"

namespace winapi {

namespace {

struct Resource {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

struct ResourceTable {
    std::mutex mutex;
    std::map<std::pair<std::u16string, std::u16string>, std::unique_ptr<Resource>> entries;  // guarded by mutex
};

ResourceTable& resources()
{
    static ResourceTable* t = new ResourceTable;
    return *t;
}

// "#<number>" for numeric ids, else the upper-cased name.
std::u16string key(LPCWSTR name)
{
    if (IS_INTRESOURCE(name))
        return fromUtf8("#" + std::to_string(uintptr_t(name)));
    std::u16string k;
    for (const char16_t* p = name; *p; ++p)
        k.push_back((*p >= 'a' && *p <= 'z') ? char16_t(*p - 32) : *p);
    // "#100" written as a string names the same resource as id 100.
    if (k.size() > 1 && k[0] == u'#') {
        std::string digits = toUtf8(k.substr(1));
        if (digits.find_first_not_of("0123456789") == std::string::npos)
            return fromUtf8("#" + std::to_string(std::stoul(digits)));
    }
    return k;
}

struct PngReader {
    const std::vector<unsigned char>* bytes;
    size_t pos;
};

cairo_status_t readPng(void* closure, unsigned char* data, unsigned int length)
{
    auto* r = static_cast<PngReader*>(closure);
    if (r->pos + length > r->bytes->size())
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes->data() + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* decodePng(const std::vector<unsigned char>& bytes)
{
    PngReader r{&bytes, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readPng, &r);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

uint32_t le32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

cairo_surface_t* decodeIcoEntry(const std::vector<unsigned char>& bytes, size_t off, size_t size)
{
    if (off > bytes.size() || size > bytes.size() - off || size < 40)
        return nullptr;
    const unsigned char* p = bytes.data() + off;
    if (size >= 8 && std::memcmp(p, "\x89PNG", 4) == 0)
        return decodePng(std::vector<unsigned char>(p, p + size));
    // A DIB: BITMAPINFOHEADER, then 32-bit rows bottom-up (height doubled).
    int32_t w = int32_t(le32(p + 4)), h = int32_t(le32(p + 8)) / 2;
    uint16_t bpp = le16(p + 14);
    uint32_t header = le32(p);
    if (bpp != 32 || w <= 0 || h <= 0 || w > 1024 || h > 1024 || header > size)
        return nullptr;
    if (size - header < size_t(w) * size_t(h) * 4)
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    unsigned char* d = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* px = p + header;
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = px + size_t(h - 1 - y) * size_t(w) * 4;
        auto* out = reinterpret_cast<uint32_t*>(d + size_t(y) * size_t(stride));
        for (int x = 0; x < w; ++x) {
            unsigned b = row[x * 4], g = row[x * 4 + 1], r = row[x * 4 + 2], a = row[x * 4 + 3];
            out[x] = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

cairo_surface_t* decodeIco(const std::vector<unsigned char>& bytes, int want)
{
    if (bytes.size() < 6)
        return nullptr;
    int count = le16(bytes.data() + 4);
    if (bytes.size() < 6 + size_t(count) * 16)
        return nullptr;
    int best = -1, bestSize = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = bytes.data() + 6 + i * 16;
        int size = e[0] ? e[0] : 256;
        // The smallest entry not below the wanted size, else the largest.
        bool better = best < 0 || (size >= want && (bestSize < want || size < bestSize)) ||
                      (size < want && bestSize < want && size > bestSize);
        if (better) {
            best = i;
            bestSize = size;
        }
    }
    if (best < 0)
        return nullptr;
    const unsigned char* e = bytes.data() + 6 + best * 16;
    return decodeIcoEntry(bytes, le32(e + 12), le32(e + 8));
}

}  // namespace

void registerResource(const char16_t* type, const char16_t* name, const unsigned char* data, size_t size)
{
    auto r = std::make_unique<Resource>();
    r->data = data;
    r->size = size;
    ResourceTable& t = resources();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.entries[{key(type), key(name)}] = std::move(r);
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool loadResourceBytes(LPCWSTR name, LPCWSTR type, std::vector<unsigned char>& out)
{
    HRSRC r = FindResourceW(nullptr, name, type);
    if (!r)
        return false;
    auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, r)));
    DWORD size = SizeofResource(nullptr, r);
    if (!data || !size)
        return false;
    out.assign(data, data + size);
    return true;
}

cairo_surface_t* decodeImage(const std::vector<unsigned char>& bytes, int width, int height)
{
    cairo_surface_t* img = nullptr;
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "\x89PNG", 4) == 0)
        img = decodePng(bytes);
    else if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0)
        img = decodeIco(bytes, std::max(width, height));
    if (!img)
        return nullptr;
    int w = cairo_image_surface_get_width(img), h = cairo_image_surface_get_height(img);
    if ((width <= 0 || width == w) && (height <= 0 || height == h))
        return img;
    width = width > 0 ? width : w;
    height = height > 0 ? height : h;
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(out);
    cairo_scale(cr, double(width) / w, double(height) / h);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(img);
    return out;
}

}  // namespace winapi

using namespace winapi;

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type)
{
    if (!name || !type) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ResourceTable& t = resources();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.entries.find({key(type), key(name)});
    if (it == t.entries.end()) {
        SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(it->second.get());
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    if (!resource)
        return nullptr;
    return const_cast<unsigned char*>(reinterpret_cast<Resource*>(resource)->data);
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return resource ? DWORD(reinterpret_cast<Resource*>(resource)->size) : 0;
}

BOOL FreeResource(HGLOBAL) { return FALSE; }
