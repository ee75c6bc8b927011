#pragma once
// The record every stage of the updater reports with, and the receiver that
// the window implements by posting its progress message (0x800, wParam = the
// kind, lParam = the record). Tests receive them with a recorder.
#include <memory>
#include <string>

namespace update {

// Kinds of progress reports, in the numbering the window dispatches on.
enum ProgressKind : int {
    kScanFolder = 0,        // narrow text: the folder being scanned
    kRemoteVersion = 1,     // narrow text: the latest version
    kCheckFailed = 2,       // text: the failure
    kUpToDate = 3,          // no record
    kUpdateAvailable = 4,   // no record
    kFileDownloaded = 5,    // narrow text: relative path
    kAllDownloaded = 6,     // no record
    kDownloadFailed = 7,    // narrow text: relative path
    kVerifyFailed = 8,      // narrow text: relative path
    kFileInstalled = 9,     // narrow text: relative path
    kFileUnpacked = 10,     // narrow text: full path of the unpacked file
    kInstallFailed = 11,    // narrow text: relative path
    kInstallComplete = 12,  // no record
    kDownloadProgress = 16, // total and done
};

struct UpdateProgress {
    std::u16string text;     // set by the poster for kind 2 only; the window fills it from narrowText otherwise
    std::string narrowText;  // folder, version or path (UTF-8), by kind
    double total = 0;        // kind 16: number of files to download
    double done = 0;         // kind 16: files finished so far

    // Kind 16 as a percentage from 0 to 100 (100 when there is nothing to do).
    double percent() const;
};

// Receiver of the reports. post() is called on the stage's worker thread and
// must only hand the record on (the window posts it to itself); the record,
// when there is one, becomes the receiver's.
class IUpdateProgress {
public:
    virtual ~IUpdateProgress() = default;
    virtual void post(int kind, std::unique_ptr<UpdateProgress> record) = 0;
    // One diagnostic line (a reason for a failure, a step taken). The default
    // prints it to standard output.
    virtual void log(const std::string& line);
};

std::unique_ptr<UpdateProgress> narrowRecord(const std::string& text);
std::unique_ptr<UpdateProgress> textRecord(const std::u16string& text);
std::unique_ptr<UpdateProgress> countRecord(double total, double done);
// UTF-8 to UTF-16 (invalid bytes become U+FFFD).
std::u16string utf16(const std::string& utf8);

}  // namespace update
