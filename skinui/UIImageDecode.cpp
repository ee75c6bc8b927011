// Image loading of the render engine: resource, skin folder, skin zip or a
// plain path; decoding with stb_image into premultiplied 32-bit bitmaps.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include "skinui/UIRender.h"
#include "skinui/UISkinFile.h"

#include <cstring>
#include <vector>

UIImageInfo* CUIRenderEngine::DecodeImage(const unsigned char* data, size_t size, DWORD mask)
{
    if (!data || size == 0 || size > kMaxImageFile)
        return nullptr;
    int x = 0, y = 0, n = 0;
    // Check the size before decoding: a huge header never allocates.
    if (!stbi_info_from_memory(data, static_cast<int>(size), &x, &y, &n))
        return nullptr;
    if (x <= 0 || y <= 0 || x > kMaxImageSide || y > kMaxImageSide)
        return nullptr;
    unsigned char* pImage = stbi_load_from_memory(data, static_cast<int>(size), &x, &y, &n, 4);
    if (!pImage)
        return nullptr;
    if (x <= 0 || y <= 0 || x > kMaxImageSide || y > kMaxImageSide) {
        stbi_image_free(pImage);
        return nullptr;
    }
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof(BITMAPINFO));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = x;
    bmi.bmiHeader.biHeight = -y; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(x) * static_cast<DWORD>(y) * 4;
    bool bAlphaChannel = false;
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap || !pBits) {
        if (hBitmap)
            ::DeleteObject(hBitmap);
        stbi_image_free(pImage);
        return nullptr;
    }
    auto* pDest = static_cast<LPBYTE>(pBits);
    const size_t pixels = static_cast<size_t>(x) * static_cast<size_t>(y);
    for (size_t i = 0; i < pixels; i++) {
        const unsigned char r = pImage[i * 4], g = pImage[i * 4 + 1], b = pImage[i * 4 + 2], a = pImage[i * 4 + 3];
        pDest[i * 4 + 3] = a;
        if (a < 255) {
            pDest[i * 4] = static_cast<BYTE>(static_cast<DWORD>(b) * a / 255);
            pDest[i * 4 + 1] = static_cast<BYTE>(static_cast<DWORD>(g) * a / 255);
            pDest[i * 4 + 2] = static_cast<BYTE>(static_cast<DWORD>(r) * a / 255);
            bAlphaChannel = true;
        } else {
            pDest[i * 4] = b;
            pDest[i * 4 + 1] = g;
            pDest[i * 4 + 2] = r;
        }
        const DWORD stored = static_cast<DWORD>(pDest[i * 4]) | (static_cast<DWORD>(pDest[i * 4 + 1]) << 8) |
                             (static_cast<DWORD>(pDest[i * 4 + 2]) << 16) | (static_cast<DWORD>(pDest[i * 4 + 3]) << 24);
        if (stored == mask) {
            pDest[i * 4] = pDest[i * 4 + 1] = pDest[i * 4 + 2] = pDest[i * 4 + 3] = 0;
            bAlphaChannel = true;
        }
    }
    stbi_image_free(pImage);
    auto* data2 = new UIImageInfo;
    data2->hBitmap = hBitmap;
    data2->nX = x;
    data2->nY = y;
    data2->alphaChannel = bAlphaChannel;
    data2->dwMask = 0;
    return data2;
}

UIImageInfo* CUIRenderEngine::LoadImage(const char16_t* bitmap, const char16_t* type, DWORD mask)
{
    if (!bitmap)
        return nullptr;
    std::vector<uint8_t> bytes;
    if (type && *type) {
        HINSTANCE module = CUIWindowManager::GetResourceModule();
        HRSRC hResource = ::FindResourceW(module, bitmap, type);
        if (hResource) {
            HGLOBAL hGlobal = ::LoadResource(module, hResource);
            const DWORD size = ::SizeofResource(module, hResource);
            const void* p = hGlobal ? ::LockResource(hGlobal) : nullptr;
            if (p && size > 0 && size <= kMaxImageFile)
                bytes.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
            if (hGlobal)
                ::FreeResource(hGlobal);
        }
    } else {
        if (UIReadSkinFile(bitmap, kMaxImageFile, bytes) != SkinReadResult::Ok)
            bytes.clear();
    }
    if (bytes.empty() && !IS_INTRESOURCE(bitmap)) {
        // Last resort: the name as a plain path. A short read gives nothing.
        if (UIReadFile(bitmap, kMaxImageFile, bytes) != SkinReadResult::Ok)
            bytes.clear();
    }
    if (bytes.empty())
        return nullptr;
    return DecodeImage(bytes.data(), bytes.size(), mask);
}

void CUIRenderEngine::FreeImage(const UIImageInfo* bitmap)
{
    if (!bitmap)
        return;
    if (bitmap->hBitmap)
        ::DeleteObject(bitmap->hBitmap);
    delete bitmap;
}
