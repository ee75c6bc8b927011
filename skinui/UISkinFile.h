#pragma once
// Reads a whole skin file: from the skin folder, or from the skin zip when one
// is set (the kept-open archive or the zip named in the skin folder). Shared
// by the markup loader and the image loader.

#include <cstddef>
#include <cstdint>
#include <vector>

enum class SkinReadResult {
    Ok,
    OpenFileFailed, // the file cannot be opened
    Empty,          // size 0
    TooLarge,       // above the caller's limit
    ReadFailed,     // fewer bytes than the size
    OpenZipFailed,  // no archive
    NotInZip,       // no such member
    UnzipFailed,    // extraction failed or the member is damaged
};

// name is relative to the skin folder (or a member name of the skin zip).
SkinReadResult UIReadSkinFile(const char16_t* name, size_t maxSize, std::vector<uint8_t>& out);
// Reads a plain file path.
SkinReadResult UIReadFile(const char16_t* path, size_t maxSize, std::vector<uint8_t>& out);
