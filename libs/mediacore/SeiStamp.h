#pragma once
// The time stamp carried in H.264 key frames: an SEI message of unregistered
// user data (type 5) whose payload is a 16-byte identifier, the marker
// "seiii" and the sender's time in milliseconds since the epoch as 13 decimal
// digits. Placed as the first unit of a key frame, the marker sits at byte 23
// of the packet whether units are start-code or length prefixed.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mediacore {

constexpr const char kSeiMarker[] = "seiii";
constexpr size_t kSeiMarkerLength = 5;
constexpr size_t kSeiDigits = 13;
// Where the marker lands in a packet that begins with the stamp unit.
constexpr size_t kSeiMarkerOffset = 23;

// The SEI unit with a 4-byte start code, ready to be put before a key
// frame's units. Times outside 0 .. 9999999999999 are clamped.
std::vector<uint8_t> makeSeiStamp(int64_t epochMs);

// Looks for the marker at offsets first..last (inclusive) of data and reads
// the 13 digits after it. Never reads past size: a marker whose digits do not
// fit, or digits that are not all decimal, do not count. -1 when none.
int64_t readSeiStamp(const uint8_t* data, size_t size, size_t first = 18, size_t last = 39);

}  // namespace mediacore
