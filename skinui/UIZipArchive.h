#pragma once
// Reading side of the zip format, on zlib's raw inflate: the central
// directory, local headers and member data of an archive held in memory or
// in a file. Every read is bounded by the archive's size; a member is only
// reported complete when its size and CRC-32 match the central directory.
// The skin library's UIZip* functions are built on this.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <winapi/wintypes.h>

class UIZipArchive
{
public:
    struct Member
    {
        std::string name;           // as stored (UTF-8 or code page bytes)
        std::u16string wideName;    // the name as UTF-16
        uint16_t flags = 0;
        uint16_t method = 0;
        uint16_t dosTime = 0;
        uint16_t dosDate = 0;
        uint32_t crc = 0;
        uint32_t compressedSize = 0;
        uint32_t uncompressedSize = 0;
        uint32_t externalAttributes = 0;
        uint16_t versionMadeBy = 0;
        uint32_t localHeaderOffset = 0;
    };

    // Results of member reads.
    enum ReadResult {
        ReadOk = 0,        // bytes delivered (count > 0) or member finished (count 0)
        ReadCorrupt = -1,  // the local header is not a local header / lies
        ReadExtraFailed = -2,
        ReadInflateFailed = -3 // data, size or CRC wrong, or unsupported method
    };

    UIZipArchive();
    ~UIZipArchive();
    UIZipArchive(const UIZipArchive&) = delete;
    UIZipArchive& operator=(const UIZipArchive&) = delete;

    // The memory block is not copied and must outlive the archive.
    bool openMemory(const void* data, size_t size);
    // Takes ownership of the file handle (closed by close()).
    bool openFile(HANDLE file);
    void close();
    bool isOpen() const { return m_open; }

    int count() const { return static_cast<int>(m_members.size()); }
    const Member* member(int index) const;
    // First member whose name equals the given UTF-16 name (forward slashes),
    // optionally ignoring case; -1 when none.
    int find(const std::u16string& name, bool ignoreCase) const;

    // The member's local extra field (read from its local header).
    ReadResult localExtra(int index, std::vector<uint8_t>& extra) const;

    // Opens a member for reading; closes any member open before.
    ReadResult openMember(int index);
    int openMemberIndex() const { return m_current; }
    // Reads up to len bytes of the open member. *got = 0 means the member is
    // finished (and verified).
    ReadResult readMember(void* buf, size_t len, size_t* got);
    void closeMember();

    uint64_t archiveSize() const { return m_size; }

private:
    bool readAt(uint64_t offset, void* buf, size_t len) const;
    bool parseDirectory();
    ReadResult finishCheck();
    bool refillInput();
    bool readLocalHeader(const Member& m, uint16_t& nameLen, uint16_t& extraLen) const;

    bool m_open = false;
    const uint8_t* m_mem = nullptr;
    HANDLE m_file = nullptr;
    uint64_t m_size = 0;
    std::vector<Member> m_members;

    // The open member.
    struct Stream;
    std::unique_ptr<Stream> m_stream;
    int m_current = -1;
};
