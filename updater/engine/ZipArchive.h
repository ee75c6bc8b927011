#pragma once
// Update archives read with libzip. Every entry name is checked before
// anything is extracted: names that could leave the target folder
// (absolute, "..", "\", over-long) and symbolic links make the archive
// unusable, as does a damaged archive.
#include <cstdint>
#include <string>
#include <vector>

typedef struct zip zip_t;

namespace update {

class ZipArchive {
public:
    struct Entry {
        uint64_t index = 0;
        std::vector<std::string> names;  // the entry's path, split and checked
        bool folder = false;
        uint64_t size = 0;
    };

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive and checks every entry; false with error() otherwise.
    bool open(const std::string& path);
    const std::vector<Entry>& entries() const { return m_entries; }
    // Writes one file entry's data to an open file descriptor; the data is
    // checked against the entry's size and CRC.
    bool extract(const Entry& entry, int fd);
    const std::string& error() const { return m_error; }

private:
    zip_t* m_zip = nullptr;
    std::vector<Entry> m_entries;
    std::string m_error;
};

}  // namespace update
