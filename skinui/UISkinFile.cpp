#include "skinui/UISkinFile.h"

#include "skinui/UIManager.h"
#include "skinui/UIZip.h"

#include <winapi/winapi.h>

SkinReadResult UIReadFile(const char16_t* path, size_t maxSize, std::vector<uint8_t>& out)
{
    out.clear();
    HANDLE hFile = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    if (!hFile || hFile == INVALID_HANDLE_VALUE)
        return SkinReadResult::OpenFileFailed;
    DWORD high = 0;
    const DWORD dwSize = ::GetFileSize(hFile, &high);
    if (high == 0 && dwSize == 0) {
        ::CloseHandle(hFile);
        return SkinReadResult::Empty;
    }
    if (high != 0 || dwSize == INVALID_FILE_SIZE || dwSize > maxSize) {
        ::CloseHandle(hFile);
        return SkinReadResult::TooLarge;
    }
    out.resize(dwSize);
    DWORD dwRead = 0;
    const BOOL ok = ::ReadFile(hFile, out.data(), dwSize, &dwRead, nullptr);
    ::CloseHandle(hFile);
    if (!ok || dwRead != dwSize) {
        out.clear();
        return SkinReadResult::ReadFailed;
    }
    return SkinReadResult::Ok;
}

SkinReadResult UIReadSkinFile(const char16_t* name, size_t maxSize, std::vector<uint8_t>& out)
{
    out.clear();
    CUIString sFile = CUIWindowManager::GetSkinFolderPath();
    if (CUIWindowManager::GetSkinZipFile().IsEmpty()) {
        sFile += name;
        return UIReadFile(sFile, maxSize, out);
    }
    HZIP hz = nullptr;
    const bool cached = CUIWindowManager::IsSkinZipCached();
    if (cached) {
        hz = CUIWindowManager::GetSkinZipHandle();
    } else {
        sFile += CUIWindowManager::GetSkinZipFile();
        hz = UIZipOpen(const_cast<char16_t*>(sFile.GetData()), 0, ZIP_FILENAME);
    }
    if (!hz)
        return SkinReadResult::OpenZipFailed;
    SkinReadResult result = SkinReadResult::Ok;
    UIZipEntry ze;
    int i = -1;
    if (UIZipFindItem(hz, name, true, &i, &ze) != ZR_OK) {
        result = SkinReadResult::NotInZip;
    } else if (ze.unc_size <= 0) {
        result = SkinReadResult::Empty;
    } else if (static_cast<unsigned long>(ze.unc_size) > maxSize) {
        result = SkinReadResult::TooLarge;
    } else {
        out.resize(static_cast<size_t>(ze.unc_size));
        const ZRESULT res = UIZipUnzipItem(hz, i, out.data(), static_cast<unsigned>(out.size()), ZIP_MEMORY);
        if (res != ZR_OK && res != ZR_MORE) {
            out.clear();
            result = SkinReadResult::UnzipFailed;
        }
    }
    if (!cached)
        UIZipClose(hz);
    return result;
}
