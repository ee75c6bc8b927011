#include "skinui/UIZip.h"

#include "skinui/UIString.h"
#include "skinui/UIWindowWnd.h"
#include "skinui/UIZipArchive.h"

#include <winapi/winbase.h>

#include <cstring>
#include <vector>

namespace {

ZRESULT g_lastResult = ZR_OK; // UI thread only (shared by all archives)

ZRESULT store(ZRESULT r)
{
    g_lastResult = r;
    return r;
}

void unixToFileTime(uint32_t seconds, FILETIME* ft)
{
    const uint64_t v = static_cast<uint64_t>(seconds) * 10000000ULL + 116444736000000000ULL;
    ft->dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
    ft->dwHighDateTime = static_cast<DWORD>(v >> 32);
}

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// A path that stays below the folder it is joined to: not absolute, no drive
// and no ".." step.
bool staysBelow(const std::u16string& path)
{
    if (path.empty())
        return true;
    if (path[0] == u'/' || path[0] == u'\\')
        return false;
    if (path.size() > 1 && path[1] == u':')
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(u"/\\", start);
        if (end == std::u16string::npos)
            end = path.size();
        if (path.compare(start, end - start, u"..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

ZRESULT UIZipLastResult()
{
    return g_lastResult;
}

CUIUnzip::CUIUnzip() : m_archive(nullptr), m_currentFile(-1), m_czei(-1)
{
    std::memset(&m_cze, 0, sizeof m_cze);
    m_rootDir[0] = 0;
}

CUIUnzip::~CUIUnzip()
{
    Close();
}

ZRESULT CUIUnzip::Open(void* z, unsigned int len, DWORD flags)
{
    if (m_archive)
        return ZR_NOTINITED;
    const DWORD n = GetCurrentDirectoryW(MAX_PATH - 1, m_rootDir);
    if (n == 0 || n >= MAX_PATH - 1)
        m_rootDir[0] = 0;
    else
        lstrcatW(m_rootDir, u"\\");

    auto archive = new UIZipArchive;
    bool ok = false;
    if (flags == ZIP_HANDLE) {
        HANDLE h = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), static_cast<HANDLE>(z), GetCurrentProcess(), &h, 0, FALSE,
                             DUPLICATE_SAME_ACCESS)) {
            delete archive;
            return ZR_NODUPH;
        }
        if (GetFileType(h) != FILE_TYPE_DISK) {
            CloseHandle(h);
            delete archive;
            return ZR_SEEK;
        }
        ok = archive->openFile(h);
    } else if (flags == ZIP_FILENAME) {
        HANDLE h = CreateFileW(static_cast<const WCHAR*>(z), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!h || h == INVALID_HANDLE_VALUE) {
            delete archive;
            return ZR_NOFILE;
        }
        ok = archive->openFile(h);
    } else if (flags == ZIP_MEMORY) {
        ok = archive->openMemory(z, len);
    } else {
        delete archive;
        return ZR_ARGS;
    }
    if (!ok) {
        delete archive;
        return ZR_CORRUPT;
    }
    m_archive = archive;
    m_currentFile = -1;
    m_czei = -1;
    return ZR_OK;
}

ZRESULT CUIUnzip::Get(int index, UIZipEntry* ze)
{
    if (!m_archive || !ze)
        return ZR_ARGS;
    if (index < -1 || index >= m_archive->count())
        return ZR_ARGS;
    if (m_currentFile != -1) {
        m_archive->closeMember();
        m_currentFile = -1;
    }
    if (index == -1) {
        std::memset(ze, 0, sizeof *ze);
        ze->index = m_archive->count();
        return ZR_OK;
    }
    if (index == m_czei) {
        std::memcpy(ze, &m_cze, sizeof *ze);
        return ZR_OK;
    }
    const UIZipArchive::Member* m = m_archive->member(index);
    std::vector<uint8_t> extra;
    const UIZipArchive::ReadResult r = m_archive->localExtra(index, extra);
    if (r == UIZipArchive::ReadCorrupt)
        return ZR_CORRUPT;
    if (r != UIZipArchive::ReadOk)
        return ZR_READ;

    std::memset(ze, 0, sizeof *ze);
    ze->index = index;
    lstrcpynW(ze->name, m->wideName.c_str(), MAX_PATH);

    const DWORD a = m->externalAttributes;
    DWORD attr = FILE_ATTRIBUTE_NORMAL;
    if ((a & 0x10) || (a & 0x40000000))
        attr |= FILE_ATTRIBUTE_DIRECTORY;
    if (a & 0x20)
        attr |= FILE_ATTRIBUTE_ARCHIVE;
    if (a & 0x02)
        attr |= FILE_ATTRIBUTE_HIDDEN;
    if (a & 0x04)
        attr |= FILE_ATTRIBUTE_SYSTEM;
    if ((a & 0x01) || !(a & 0x800000))
        attr |= FILE_ATTRIBUTE_READONLY;
    ze->attr = attr;

    FILETIME ft{};
    DosDateTimeToFileTime(m->dosDate, m->dosTime, &ft);
    ze->atime = ze->ctime = ze->mtime = ft;
    // Extended timestamps ("UT") replace the MS-DOS time where given.
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        const unsigned tag = extra[pos] | (extra[pos + 1] << 8);
        const size_t size = extra[pos + 2] | (extra[pos + 3] << 8);
        const size_t body = pos + 4;
        if (size > extra.size() - body)
            break;
        if (tag == 0x5455 && size >= 1) {
            const uint8_t flags = extra[body];
            size_t p = body + 1;
            const size_t end = body + size;
            if ((flags & 1) && p + 4 <= end) {
                unixToFileTime(le32(&extra[p]), &ze->mtime);
                p += 4;
            }
            if ((flags & 2) && p + 4 <= end) {
                unixToFileTime(le32(&extra[p]), &ze->atime);
                p += 4;
            }
            if ((flags & 4) && p + 4 <= end)
                unixToFileTime(le32(&extra[p]), &ze->ctime);
        }
        pos = body + size;
    }
    ze->comp_size = static_cast<long>(m->compressedSize);
    ze->unc_size = static_cast<long>(m->uncompressedSize);
    std::memcpy(&m_cze, ze, sizeof *ze);
    m_czei = index;
    return ZR_OK;
}

ZRESULT CUIUnzip::Find(const WCHAR* name, bool ic, int* index, UIZipEntry* ze)
{
    auto notFound = [&]() {
        if (index)
            *index = -1;
        if (ze) {
            std::memset(ze, 0, sizeof *ze);
            ze->index = -1;
        }
        return ZR_NOTFOUND;
    };
    if (!m_archive || !name)
        return notFound();
    const int len = lstrlenW(name);
    if (len >= 256)
        return notFound();
    std::u16string wanted(name, static_cast<size_t>(len));
    for (char16_t& c : wanted)
        if (c == u'\\')
            c = u'/';
    const int i = m_archive->find(wanted, ic);
    if (i < 0)
        return notFound();
    if (m_currentFile != -1) {
        m_archive->closeMember();
        m_currentFile = -1;
    }
    if (ze) {
        const ZRESULT r = Get(i, ze);
        if (r != ZR_OK)
            return r;
    }
    if (index)
        *index = i;
    return ZR_OK;
}

ZRESULT CUIUnzip::Unzip(int index, void* dst, unsigned int len, DWORD flags)
{
    if (!m_archive)
        return ZR_ARGS;
    if (flags != ZIP_MEMORY)
        return unzipToFile(index, dst, flags);
    if (!dst || len == 0)
        return ZR_ARGS;
    if (index != m_currentFile) {
        if (m_currentFile != -1)
            m_archive->closeMember();
        m_currentFile = -1;
        if (index < 0 || index >= m_archive->count())
            return ZR_ARGS;
        const UIZipArchive::ReadResult r = m_archive->openMember(index);
        if (r == UIZipArchive::ReadCorrupt)
            return ZR_CORRUPT;
        if (r != UIZipArchive::ReadOk)
            return ZR_FLATE;
        m_currentFile = index;
    }
    size_t got = 0;
    const UIZipArchive::ReadResult r = m_archive->readMember(dst, len, &got);
    if (r != UIZipArchive::ReadOk) {
        m_archive->closeMember();
        m_currentFile = -1;
        return ZR_FLATE;
    }
    if (got > 0)
        return ZR_MORE;
    m_archive->closeMember();
    m_currentFile = -1;
    return ZR_OK;
}

ZRESULT CUIUnzip::unzipToFile(int index, void* dst, DWORD flags)
{
    if (flags != ZIP_HANDLE && flags != ZIP_FILENAME)
        return ZR_ARGS;
    if (m_currentFile != -1) {
        m_archive->closeMember();
        m_currentFile = -1;
    }
    if (index < 0 || index >= m_archive->count() || !dst)
        return ZR_ARGS;
    UIZipEntry ze;
    const ZRESULT gr = Get(index, &ze);
    if (gr != ZR_OK)
        return gr;
    if (ze.attr & FILE_ATTRIBUTE_DIRECTORY) {
        if (flags == ZIP_FILENAME && staysBelow(ze.name))
            UIZipCreateFolders(m_rootDir, ze.name);
        return ZR_OK;
    }
    HANDLE h = nullptr;
    if (flags == ZIP_HANDLE) {
        h = static_cast<HANDLE>(dst);
    } else {
        const std::u16string dest(static_cast<const WCHAR*>(dst));
        // A destination must stay below the extraction folder: no "..",
        // no absolute path, no drive prefix.
        if (!staysBelow(dest)) {
            UITrace(u"zip: refused to extract to %s", dest.c_str());
            return ZR_ARGS;
        }
        const size_t slash = dest.find_last_of(u"/\\");
        if (slash != std::u16string::npos) {
            const std::u16string folder = dest.substr(0, slash);
            if (staysBelow(folder))
                UIZipCreateFolders(m_rootDir, folder.c_str());
        }
        h = CreateFileW(dest.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, ze.attr, nullptr);
        if (!h || h == INVALID_HANDLE_VALUE)
            return ZR_NOFILE;
    }
    bool failed = m_archive->openMember(index) != UIZipArchive::ReadOk;
    std::vector<uint8_t> buf(16384);
    while (!failed) {
        size_t got = 0;
        if (m_archive->readMember(buf.data(), buf.size(), &got) != UIZipArchive::ReadOk) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(h, buf.data(), static_cast<DWORD>(got), &written, nullptr) || written != got)
            failed = true;
    }
    if (!failed && GetFileType(h) == FILE_TYPE_DISK)
        SetFileTime(h, &ze.ctime, &ze.atime, &ze.mtime);
    if (flags == ZIP_FILENAME)
        CloseHandle(h);
    m_archive->closeMember();
    return failed ? ZR_WRITE : ZR_OK;
}

ZRESULT CUIUnzip::Close()
{
    if (m_archive) {
        m_archive->close();
        delete m_archive;
        m_archive = nullptr;
    }
    m_currentFile = -1;
    m_czei = -1;
    return ZR_OK;
}

void UIZipCreateFolders(const WCHAR* root, const WCHAR* path)
{
    if (!root || !path || !*path)
        return;
    const std::u16string p(path);
    const size_t slash = p.find_last_of(u"/\\");
    if (slash != std::u16string::npos && slash > 0) {
        const std::u16string parent = p.substr(0, slash < 259 ? slash : 259);
        UIZipCreateFolders(root, parent.c_str());
    }
    const std::u16string full = std::u16string(root) + p;
    CreateDirectoryW(full.c_str(), nullptr);
}

HZIP UIZipOpen(void* z, unsigned int len, DWORD flags)
{
    auto* unz = new CUIUnzip;
    const ZRESULT r = store(unz->Open(z, len, flags));
    if (r != ZR_OK) {
        delete unz;
        return nullptr;
    }
    return new UIZipHandleData{1, unz};
}

ZRESULT UIZipClose(HZIP hz)
{
    if (!hz)
        return store(ZR_ARGS);
    if (hz->flag != 1)
        return store(ZR_ZMODE);
    const ZRESULT r = hz->unz->Close();
    delete hz->unz;
    delete hz;
    return store(r);
}

ZRESULT UIZipGetItem(HZIP hz, int index, UIZipEntry* ze)
{
    if (!hz)
        return store(ZR_ARGS);
    if (hz->flag != 1)
        return store(ZR_ZMODE);
    return store(hz->unz->Get(index, ze));
}

ZRESULT UIZipFindItem(HZIP hz, const WCHAR* name, bool ic, int* index, UIZipEntry* ze)
{
    if (!hz)
        return store(ZR_ARGS);
    if (hz->flag != 1)
        return store(ZR_ZMODE);
    return store(hz->unz->Find(name, ic, index, ze));
}

ZRESULT UIZipUnzipItem(HZIP hz, int index, void* dst, unsigned int len, DWORD flags)
{
    if (!hz)
        return store(ZR_ARGS);
    if (hz->flag != 1)
        return store(ZR_ZMODE);
    return store(hz->unz->Unzip(index, dst, len, flags));
}
