#pragma once
// The skin library's zip reader: archives from a file handle, a file name or
// a memory block; members looked up by name and extracted into memory or a
// file. Every call returns a result code and stores it process-wide.

#include <winapi/wintypes.h>

typedef DWORD ZRESULT;

#define ZR_OK 0x00000000
#define ZR_NODUPH 0x00000100   // the file handle cannot be duplicated
#define ZR_NOFILE 0x00000200   // the file cannot be opened or created
#define ZR_WRITE 0x00000400    // writing the extracted data failed
#define ZR_NOTFOUND 0x00000500 // member not found
#define ZR_MORE 0x00000600     // the buffer is full; the member stays open
#define ZR_CORRUPT 0x00000700  // the member's local header is corrupt
#define ZR_READ 0x00000800     // reading the member's extra data failed
#define ZR_ARGS 0x00010000     // bad argument
#define ZR_NOTMMAP 0x00020000
#define ZR_ZMODE 0x00080000    // not an archive opened for reading
#define ZR_NOTINITED 0x01000000 // the reader is already open
#define ZR_SEEK 0x02000000     // a file handle that is not a disk file
#define ZR_FLATE 0x05000000    // inflating failed (data, size or CRC wrong)

// Source and destination kinds.
#define ZIP_HANDLE 1
#define ZIP_FILENAME 2
#define ZIP_MEMORY 3

struct UIZipEntry
{
    int index;          // for the query with index -1: the number of members
    WCHAR name[MAX_PATH];
    DWORD attr;         // Windows file attributes
    FILETIME atime, ctime, mtime;
    long comp_size;
    long unc_size;
};

class UIZipArchive;

class CUIUnzip
{
public:
    CUIUnzip();
    ~CUIUnzip();
    CUIUnzip(const CUIUnzip&) = delete;
    CUIUnzip& operator=(const CUIUnzip&) = delete;

    ZRESULT Open(void* z, unsigned int len, DWORD flags);
    ZRESULT Get(int index, UIZipEntry* ze);
    ZRESULT Find(const WCHAR* name, bool ic, int* index, UIZipEntry* ze);
    ZRESULT Unzip(int index, void* dst, unsigned int len, DWORD flags);
    ZRESULT Close();

private:
    ZRESULT unzipToFile(int index, void* dst, DWORD flags);

    UIZipArchive* m_archive;    // null when closed
    int m_currentFile;          // member open for reading, -1 = none
    int m_czei;                 // index of the cached entry, -1 = none
    UIZipEntry m_cze;
    WCHAR m_rootDir[MAX_PATH];  // current folder at opening + "\"
};

struct UIZipHandleData
{
    DWORD flag; // 1: opened for reading
    CUIUnzip* unz;
};
typedef UIZipHandleData* HZIP;

HZIP UIZipOpen(void* z, unsigned int len, DWORD flags);
ZRESULT UIZipClose(HZIP hz);
ZRESULT UIZipGetItem(HZIP hz, int index, UIZipEntry* ze);
ZRESULT UIZipFindItem(HZIP hz, const WCHAR* name, bool ic, int* index, UIZipEntry* ze);
ZRESULT UIZipUnzipItem(HZIP hz, int index, void* dst, unsigned int len, DWORD flags);
void UIZipCreateFolders(const WCHAR* root, const WCHAR* path);
// The code of the last call (process-wide).
ZRESULT UIZipLastResult();
