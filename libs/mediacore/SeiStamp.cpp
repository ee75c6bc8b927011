#include "libs/mediacore/SeiStamp.h"

#include <cstring>

namespace mediacore {

namespace {
// Our identifier of the payload: no zero bytes, so no emulation prevention
// is ever needed in the unit.
const uint8_t kSeiUuid[16] = {0x56, 0x4c, 0x54, 0x52, 0x2d, 0x53, 0x54, 0x41,
                              0x4d, 0x50, 0x2d, 0x4d, 0x53, 0x2d, 0x31, 0x33};
}  // namespace

std::vector<uint8_t> makeSeiStamp(int64_t epochMs)
{
    if (epochMs < 0)
        epochMs = 0;
    if (epochMs > 9999999999999LL)
        epochMs = 9999999999999LL;
    char digits[kSeiDigits + 1];
    int64_t v = epochMs;
    for (int i = int(kSeiDigits) - 1; i >= 0; --i) {
        digits[i] = char('0' + v % 10);
        v /= 10;
    }
    const uint8_t payloadSize = uint8_t(sizeof kSeiUuid + kSeiMarkerLength + kSeiDigits);
    std::vector<uint8_t> out;
    out.reserve(7 + payloadSize + 1);
    out.insert(out.end(), {0, 0, 0, 1, 0x06 /* SEI */, 0x05 /* user data unregistered */, payloadSize});
    out.insert(out.end(), kSeiUuid, kSeiUuid + sizeof kSeiUuid);
    out.insert(out.end(), kSeiMarker, kSeiMarker + kSeiMarkerLength);
    out.insert(out.end(), digits, digits + kSeiDigits);
    out.push_back(0x80);  // end of the message payload bits
    return out;
}

int64_t readSeiStamp(const uint8_t* data, size_t size, size_t first, size_t last)
{
    if (!data)
        return -1;
    const size_t need = kSeiMarkerLength + kSeiDigits;
    for (size_t off = first; off <= last && off < size && size - off >= need; ++off) {
        if (std::memcmp(data + off, kSeiMarker, kSeiMarkerLength) != 0)
            continue;
        int64_t value = 0;
        for (size_t i = 0; i < kSeiDigits; ++i) {
            const uint8_t c = data[off + kSeiMarkerLength + i];
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        return value;
    }
    return -1;
}

}  // namespace mediacore
