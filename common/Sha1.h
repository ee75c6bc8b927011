#pragma once
// SHA-1 (FIPS 180-1). The update check digests the installed files with it and
// the updater checks downloads with the same routines.
#include <cstdint>
#include <string>

struct Sha1Context {
    uint32_t state[5];
    uint32_t count[2];        // message length in bits: low, high
    unsigned char buffer[64]; // the incomplete block
};

void Sha1Init(Sha1Context& ctx);
void Sha1Update(Sha1Context& ctx, const unsigned char* data, unsigned int length);
void Sha1Final(unsigned char digest[20], Sha1Context& ctx);
void Sha1Transform(uint32_t state[5], const unsigned char block[64]);

namespace sha1 {
// 40 lower-case hexadecimal characters of a 20-byte digest.
std::string toHex(const unsigned char digest[20]);
std::string ofBytes(const void* data, size_t length);
// Digest of a file read in blocks; empty when the file cannot be read.
std::string ofFile(const std::string& path);
// Digest of the whole file behind an open descriptor, read from its start
// (the descriptor's offset is left alone); empty on a read error.
std::string ofDescriptor(int fd);
// True for exactly 40 hexadecimal characters (either case).
bool isHexDigest(const std::string& text);
// Compares a computed digest with an expected one, ignoring case; an
// expected value that is not a 40-character hex digest never matches.
bool digestMatches(const std::string& computed, const std::string& expected);
}  // namespace sha1
