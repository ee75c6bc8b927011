#include "skinui/UIZipArchive.h"

#include "skinui/UIText.h"

#include <winapi/winbase.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace {

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kMaxComment = 0xFFFF;

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

char16_t foldUnit(char16_t c)
{
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

} // namespace

struct UIZipArchive::Stream
{
    z_stream z{};
    bool inflating = false;  // z initialised
    bool finished = false;   // all data delivered and verified
    uint64_t dataOffset = 0; // where the member's data starts
    uint64_t inputLeft = 0;  // compressed bytes not yet handed to zlib / copied
    uint64_t produced = 0;   // uncompressed bytes delivered
    uint32_t crc = 0;
    uint8_t in[16384];
    bool streamEnded = false;

    ~Stream()
    {
        if (inflating)
            inflateEnd(&z);
    }
};

UIZipArchive::UIZipArchive() = default;

UIZipArchive::~UIZipArchive()
{
    close();
}

bool UIZipArchive::openMemory(const void* data, size_t size)
{
    close();
    if (!data)
        return false;
    m_mem = static_cast<const uint8_t*>(data);
    m_size = size;
    if (!parseDirectory()) {
        close();
        return false;
    }
    m_open = true;
    return true;
}

bool UIZipArchive::openFile(HANDLE file)
{
    close();
    if (!file || file == INVALID_HANDLE_VALUE)
        return false;
    m_file = file;
    DWORD high = 0;
    SetLastError(0);
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != 0) {
        close();
        return false;
    }
    m_size = (static_cast<uint64_t>(high) << 32) | low;
    if (!parseDirectory()) {
        close();
        return false;
    }
    m_open = true;
    return true;
}

void UIZipArchive::close()
{
    closeMember();
    if (m_file)
        CloseHandle(m_file);
    m_file = nullptr;
    m_mem = nullptr;
    m_size = 0;
    m_members.clear();
    m_open = false;
}

bool UIZipArchive::readAt(uint64_t offset, void* buf, size_t len) const
{
    if (offset > m_size || len > m_size - offset)
        return false; // never past the archive
    if (len == 0)
        return true;
    if (m_mem) {
        std::memcpy(buf, m_mem + offset, len);
        return true;
    }
    if (!m_file)
        return false;
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(0);
    if (SetFilePointer(m_file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != 0)
        return false;
    auto* out = static_cast<uint8_t*>(buf);
    while (len > 0) {
        const DWORD chunk = static_cast<DWORD>(len > 0x40000000 ? 0x40000000 : len);
        DWORD got = 0;
        if (!ReadFile(m_file, out, chunk, &got, nullptr) || got != chunk)
            return false; // a short read is a failure, never partial success
        out += got;
        len -= got;
    }
    return true;
}

bool UIZipArchive::parseDirectory()
{
    if (m_size < kEndSize)
        return false;
    // The end record sits in the last 22 + comment bytes.
    const uint64_t tailLen = std::min<uint64_t>(m_size, kEndSize + kMaxComment);
    std::vector<uint8_t> tail(static_cast<size_t>(tailLen));
    if (!readAt(m_size - tailLen, tail.data(), tail.size()))
        return false;
    int64_t endPos = -1;
    for (int64_t i = static_cast<int64_t>(tail.size()) - static_cast<int64_t>(kEndSize); i >= 0; --i) {
        if (le32(&tail[i]) == kEndSig) {
            endPos = i;
            break;
        }
    }
    if (endPos < 0)
        return false;
    const uint8_t* e = &tail[static_cast<size_t>(endPos)];
    const uint16_t entries = le16(e + 10);
    const uint32_t dirSize = le32(e + 12);
    const uint32_t dirOffset = le32(e + 16);
    const uint64_t endOffset = m_size - tailLen + static_cast<uint64_t>(endPos);
    if (static_cast<uint64_t>(dirOffset) + dirSize > endOffset)
        return false; // the directory would overlap the end record or lie outside
    std::vector<uint8_t> dir(dirSize);
    if (!readAt(dirOffset, dir.data(), dir.size()))
        return false;
    size_t pos = 0;
    m_members.clear();
    m_members.reserve(entries);
    for (unsigned i = 0; i < entries; ++i) {
        if (dir.size() - pos < kCentralSize)
            return false;
        const uint8_t* c = &dir[pos];
        if (le32(c) != kCentralSig)
            return false;
        Member m;
        m.versionMadeBy = le16(c + 4);
        m.flags = le16(c + 8);
        m.method = le16(c + 10);
        m.dosTime = le16(c + 12);
        m.dosDate = le16(c + 14);
        m.crc = le32(c + 16);
        m.compressedSize = le32(c + 20);
        m.uncompressedSize = le32(c + 24);
        const uint16_t nameLen = le16(c + 28);
        const uint16_t extraLen = le16(c + 30);
        const uint16_t commentLen = le16(c + 32);
        m.externalAttributes = le32(c + 38);
        m.localHeaderOffset = le32(c + 42);
        const size_t recordLen = kCentralSize + nameLen + extraLen + commentLen;
        if (dir.size() - pos < recordLen)
            return false;
        m.name.assign(reinterpret_cast<const char*>(c + kCentralSize), nameLen);
        m.wideName = UIUtf8ToUtf16(m.name);
        pos += recordLen;
        m_members.push_back(std::move(m));
    }
    return true;
}

const UIZipArchive::Member* UIZipArchive::member(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return &m_members[static_cast<size_t>(index)];
}

int UIZipArchive::find(const std::u16string& name, bool ignoreCase) const
{
    for (int i = 0; i < count(); ++i) {
        const std::u16string& n = m_members[static_cast<size_t>(i)].wideName;
        if (n.size() != name.size())
            continue;
        bool same = true;
        for (size_t k = 0; k < n.size() && same; ++k)
            same = ignoreCase ? foldUnit(n[k]) == foldUnit(name[k]) : n[k] == name[k];
        if (same)
            return i;
    }
    return -1;
}

// Reads a member's local header: its signature must be there.
bool UIZipArchive::readLocalHeader(const Member& m, uint16_t& nameLen, uint16_t& extraLen) const
{
    uint8_t h[kLocalSize];
    if (!readAt(m.localHeaderOffset, h, sizeof h) || le32(h) != kLocalSig)
        return false;
    nameLen = le16(h + 26);
    extraLen = le16(h + 28);
    return true;
}

UIZipArchive::ReadResult UIZipArchive::localExtra(int index, std::vector<uint8_t>& extra) const
{
    extra.clear();
    const Member* m = member(index);
    uint16_t nameLen = 0, extraLen = 0;
    if (!m || !readLocalHeader(*m, nameLen, extraLen))
        return ReadCorrupt;
    extra.resize(extraLen);
    if (!readAt(static_cast<uint64_t>(m->localHeaderOffset) + kLocalSize + nameLen, extra.data(), extra.size())) {
        extra.clear();
        return ReadExtraFailed;
    }
    return ReadOk;
}

UIZipArchive::ReadResult UIZipArchive::openMember(int index)
{
    closeMember();
    const Member* m = member(index);
    uint16_t nameLen = 0, extraLen = 0;
    if (!m || !readLocalHeader(*m, nameLen, extraLen))
        return ReadCorrupt;
    auto s = std::make_unique<Stream>();
    s->dataOffset = static_cast<uint64_t>(m->localHeaderOffset) + kLocalSize + nameLen + extraLen;
    if (s->dataOffset > m_size || m->compressedSize > m_size - s->dataOffset)
        return ReadCorrupt; // the data would run past the archive
    if (m->flags & 1)
        return ReadInflateFailed; // encrypted members are not supported
    if (m->method == 0) {
        if (m->compressedSize != m->uncompressedSize)
            return ReadInflateFailed;
    } else if (m->method == Z_DEFLATED) {
        if (inflateInit2(&s->z, -MAX_WBITS) != Z_OK)
            return ReadInflateFailed;
        s->inflating = true;
    } else {
        return ReadInflateFailed;
    }
    s->inputLeft = m->compressedSize;
    s->crc = static_cast<uint32_t>(crc32(0L, Z_NULL, 0));
    m_stream = std::move(s);
    m_current = index;
    return ReadOk;
}

void UIZipArchive::closeMember()
{
    m_stream.reset();
    m_current = -1;
}

// Hands the next block of compressed data to zlib when its input is used up.
bool UIZipArchive::refillInput()
{
    Stream& s = *m_stream;
    if (s.z.avail_in != 0 || s.inputLeft == 0)
        return true;
    const Member& m = m_members[static_cast<size_t>(m_current)];
    const size_t n = static_cast<size_t>(std::min<uint64_t>(s.inputLeft, sizeof s.in));
    if (!readAt(s.dataOffset + (m.compressedSize - s.inputLeft), s.in, n))
        return false;
    s.inputLeft -= n;
    s.z.next_in = s.in;
    s.z.avail_in = static_cast<uInt>(n);
    return true;
}

// Called once all expected bytes are out: the member must end here and its
// CRC must match.
UIZipArchive::ReadResult UIZipArchive::finishCheck()
{
    Stream& s = *m_stream;
    const Member& m = m_members[static_cast<size_t>(m_current)];
    if (s.inflating && !s.streamEnded) {
        // The deflate stream must end without producing anything more.
        uint8_t probe[1];
        for (;;) {
            if (!refillInput())
                return ReadInflateFailed;
            s.z.next_out = probe;
            s.z.avail_out = sizeof probe;
            const int rc = inflate(&s.z, Z_NO_FLUSH);
            if (s.z.avail_out == 0)
                return ReadInflateFailed; // more data than the directory says
            if (rc == Z_STREAM_END) {
                s.streamEnded = true;
                break;
            }
            if (rc != Z_OK || (s.z.avail_in == 0 && s.inputLeft == 0))
                return ReadInflateFailed;
        }
    }
    if (s.crc != m.crc)
        return ReadInflateFailed;
    s.finished = true;
    return ReadOk;
}

UIZipArchive::ReadResult UIZipArchive::readMember(void* buf, size_t len, size_t* got)
{
    *got = 0;
    if (!m_stream)
        return ReadInflateFailed;
    Stream& s = *m_stream;
    const Member& m = m_members[static_cast<size_t>(m_current)];
    if (s.finished || len == 0)
        return ReadOk;
    const uint64_t remaining = m.uncompressedSize - s.produced;
    if (remaining == 0) {
        const ReadResult r = finishCheck();
        return r;
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(remaining, len));
    auto* out = static_cast<uint8_t*>(buf);
    size_t done = 0;
    if (!s.inflating) {
        if (!readAt(s.dataOffset + (m.compressedSize - s.inputLeft), out, want))
            return ReadInflateFailed;
        s.inputLeft -= want;
        done = want;
    } else {
        s.z.next_out = out;
        s.z.avail_out = static_cast<uInt>(want);
        while (s.z.avail_out > 0) {
            if (!refillInput())
                return ReadInflateFailed;
            const uInt before = s.z.avail_out;
            const int rc = inflate(&s.z, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) {
                s.streamEnded = true;
                break;
            }
            if (rc != Z_OK && !(rc == Z_BUF_ERROR && s.z.avail_out != before))
                return ReadInflateFailed;
            if (s.z.avail_in == 0 && s.inputLeft == 0 && s.z.avail_out == before)
                return ReadInflateFailed; // input exhausted, no progress
        }
        done = want - s.z.avail_out;
        if (s.streamEnded && s.produced + done < m.uncompressedSize)
            return ReadInflateFailed; // the stream ended short of its size
    }
    s.crc = static_cast<uint32_t>(crc32(s.crc, out, static_cast<uInt>(done)));
    s.produced += done;
    *got = done;
    if (s.produced == m.uncompressedSize) {
        // Verify as soon as the last byte is out, so a caller that stops
        // after filling an exact-size buffer never takes a bad member.
        const ReadResult r = finishCheck();
        if (r != ReadOk) {
            *got = 0;
            return r;
        }
    }
    return ReadOk;
}
