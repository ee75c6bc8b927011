#pragma once
// Shared pieces of the updater tests: a recorder of progress reports, a
// builder of the server's tree (version reply, manifest, content store) and
// of zip archives, and an installation with its local manifest.
#include "TempDir.h"
#include "updater/engine/UpdateEngine.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kit {

struct Report {
    int kind;
    std::string narrow;
    std::u16string text;
    double total = 0;
    double done = 0;
    bool hasRecord = false;
};

// Records every report; safe to use from the engine's worker thread.
class Recorder : public update::IUpdateProgress {
public:
    void post(int kind, std::unique_ptr<update::UpdateProgress> record) override;
    void log(const std::string& line) override;
    std::vector<Report> reports() const;
    std::vector<int> kinds(bool withProgress = false) const;
    std::vector<std::string> texts(int kind) const;
    std::string logText() const;
    // Waits for one of the kinds (counted from the report at index from);
    // returns it, or -1 after maxMs.
    int waitFor(const std::vector<int>& kinds, size_t from = 0, int maxMs = 20000) const;
    void clear();

private:
    mutable std::mutex m_lock;            // guards everything below
    mutable std::condition_variable m_cv;
    std::vector<Report> m_reports;
    std::vector<std::string> m_log;
};

// One file of a release: its path in the manifest and its bytes.
struct ReleaseFile {
    std::string path;
    std::string bytes;
};

// The manifest body of a release (digests in lower case unless upper).
std::string manifestBody(const std::string& version, const std::vector<ReleaseFile>& files, bool upperDigests = false);
std::string versionReply(const std::string& latest, const std::string& minimum);

// Fills a served folder: /version/<app>, /latest/<app>, /store/cached/<sha1>.
void publish(const std::string& htmlRoot, const std::string& appName, const std::string& version,
             const std::vector<ReleaseFile>& files, const std::string& minimum = "1.0.0");

// A zip archive in memory. Entry names are taken verbatim; mode, when not 0,
// is stored as Unix attributes (S_IFLNK makes a link entry).
struct ZipItem {
    std::string name;
    std::string bytes;
    unsigned mode = 0;
    bool folder = false;
};
std::string makeZip(const std::vector<ZipItem>& items);

// A home with a data folder and an installation: the settings point at the
// server and the engine's temporary files go to their own folder.
class Install {
public:
    explicit Install(const std::string& updateUrl, const std::string& appName = "VeltoraTea");
    std::string root() const { return m_root.path(); }
    std::string dataFolder() const { return m_home.dataFolder(); }
    std::string tempBase() const { return m_temp.path(); }
    std::string outside() const { return m_outside.path(); }  // must stay empty
    // Writes the installation's files and a "ver" listing them.
    void installRelease(const std::string& version, const std::vector<ReleaseFile>& files);
    void writeFile(const std::string& rel, const std::string& bytes, unsigned mode = 0644);
    std::string read(const std::string& rel) const;
    std::string ver() const;
    update::UpdateEngine::Options options(long lowSpeedSec = 5) const;

private:
    testsupport::TempHome m_home;
    testsupport::TempDir m_root;
    testsupport::TempDir m_temp;
    testsupport::TempDir m_outside;
};

// Every file below folder (relative paths), for "nothing written" checks.
std::vector<std::string> listTree(const std::string& folder);

// Runs check, download and installation in order on the calling thread,
// each only when the previous one ended with kind 4 or 6; returns the last kind.
int runAllStages(update::UpdateEngine& engine, Recorder& recorder);

}  // namespace kit
