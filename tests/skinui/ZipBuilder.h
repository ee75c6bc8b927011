#pragma once
// Builds zip archives in memory for the tests (stored or deflated members,
// optional extended timestamps, and knobs to make headers lie).

#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ziptest {

struct Member
{
    Member(std::string n, std::string d) : name(std::move(n)), data(std::move(d)) {}
    std::string name;
    std::string data;
    bool deflate = true;
    uint32_t externalAttributes = 0x20;
    uint16_t dosTime = (10 << 11) | (30 << 5) | (15 >> 1); // 10:30:14
    uint16_t dosDate = ((2024 - 1980) << 9) | (5 << 5) | 17;
    std::vector<uint8_t> localExtra;
    // Lies, applied to the central directory record.
    int64_t crcDelta = 0;
    int64_t sizeDelta = 0;
    int64_t compressedSizeOverride = -1;
    int64_t localOffsetOverride = -1;
    uint16_t versionMadeBy = 0x0314; // Unix, 2.0
};

inline void put16(std::string& s, uint32_t v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

inline void put32(std::string& s, uint32_t v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

inline std::string deflateRaw(const std::string& in)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, in.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Extended timestamp block: flags, then the times in order mtime, atime, ctime.
inline std::vector<uint8_t> extendedTime(uint8_t flags, uint32_t mtime, uint32_t atime = 0, uint32_t ctime = 0)
{
    std::string s;
    std::string body;
    body.push_back(static_cast<char>(flags));
    if (flags & 1)
        put32(body, mtime);
    if (flags & 2)
        put32(body, atime);
    if (flags & 4)
        put32(body, ctime);
    put16(s, 0x5455);
    put16(s, static_cast<uint32_t>(body.size()));
    s += body;
    return std::vector<uint8_t>(s.begin(), s.end());
}

inline std::string build(const std::vector<Member>& members)
{
    std::string out, central;
    for (const Member& m : members) {
        const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                         static_cast<uInt>(m.data.size())));
        const std::string body = m.deflate ? deflateRaw(m.data) : m.data;
        const uint32_t offset = static_cast<uint32_t>(out.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, m.deflate ? 8 : 0);
        put16(out, m.dosTime);
        put16(out, m.dosDate);
        put32(out, crc);
        put32(out, static_cast<uint32_t>(body.size()));
        put32(out, static_cast<uint32_t>(m.data.size()));
        put16(out, static_cast<uint32_t>(m.name.size()));
        put16(out, static_cast<uint32_t>(m.localExtra.size()));
        out += m.name;
        out.append(m.localExtra.begin(), m.localExtra.end());
        out += body;

        put32(central, 0x02014b50);
        put16(central, m.versionMadeBy);
        put16(central, 20);
        put16(central, 0);
        put16(central, m.deflate ? 8 : 0);
        put16(central, m.dosTime);
        put16(central, m.dosDate);
        put32(central, static_cast<uint32_t>(crc + m.crcDelta));
        put32(central, static_cast<uint32_t>(m.compressedSizeOverride >= 0 ? m.compressedSizeOverride
                                                                           : static_cast<int64_t>(body.size())));
        put32(central, static_cast<uint32_t>(m.data.size() + m.sizeDelta));
        put16(central, static_cast<uint32_t>(m.name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, m.externalAttributes);
        put32(central, static_cast<uint32_t>(m.localOffsetOverride >= 0 ? m.localOffsetOverride : offset));
        central += m.name;
    }
    const uint32_t dirOffset = static_cast<uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<uint32_t>(members.size()));
    put16(out, static_cast<uint32_t>(members.size()));
    put32(out, static_cast<uint32_t>(central.size()));
    put32(out, dirOffset);
    put16(out, 0);
    return out;
}

} // namespace ziptest
