#pragma once
// Puts files into the installation without ever leaving it half updated.
//
// Staging touches nothing of the live installation: every new file is
// written completely under a private staging folder inside the installation,
// and the folders a file needs are only planned. Every clash is found while
// staging: a file where the release or the installation needs a folder, a
// folder (of the release or installed) where a file goes, a path that leads
// outside the installation, a folder that cannot be written.
//
// commit() then creates the planned folders and renames every staged file
// into place, keeping each replaced file under the staging folder; when a
// step fails, everything it had done is put back, so the installation holds
// the old release whole. A replaced file keeps its mode; a new file is
// executable when it starts with the ELF magic or "#!".
//
// One object is used by one thread at a time (the engine's worker).
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace update {

class StagedInstall {
public:
    // Moves one file over another (rename(2) semantics). The commit calls it
    // for every staged file, so a replacement can fail a chosen step.
    using RenameFn = std::function<bool(const std::string& from, const std::string& to)>;

    // root: the installation folder.
    explicit StagedInstall(std::string root, RenameFn rename = {});
    ~StagedInstall();  // removes the staging folder and whatever is left in it
    StagedInstall(const StagedInstall&) = delete;
    StagedInstall& operator=(const StagedInstall&) = delete;

    // Makes a new staging folder in root (removing those of interrupted
    // runs, ".korvanel-staging-*"); its path, or "" with error.
    static std::string createStage(const std::string& root, std::string& error);
    // A new staging folder of its own.
    bool begin();
    // Takes over a staging folder made by createStage() for the same root
    // (downloads already in it are staged from there without a copy).
    bool adopt(const std::string& stage);
    const std::string& stage() const { return m_stage; }

    // Reserves a staged file for target and opens it for writing; returns the
    // descriptor, or -1 with error(). finishFile() completes it.
    int openFile(const std::string& target);
    // Sets the mode, starts writing it to the disk and closes the file
    // opened last; false on a write error.
    bool finishFile(int fd);
    // Stages a whole file for target: a file directly inside the staging
    // folder is itself the staged file the first time it is used (no copy;
    // the commit moves it), any other file is copied.
    bool stageFile(const std::string& source, const std::string& target);
    // Plans folder and its missing parents (inside the root only); nothing
    // is created before commit().
    bool makeFolders(const std::string& folder);

    // Creates the planned folders, renames every staged file into place in
    // the order staged, calling done(index) after each, and syncs the file
    // system once. On a failure, every file it had replaced is put back and
    // the folders it made are removed; false with error().
    bool commit(const std::function<void(size_t)>& done);
    // Removes the staging folder (after a complete commit).
    void end();
    size_t count() const { return m_files.size(); }
    // Files in place after commit(); 0 after a failed one (all put back).
    size_t committed() const { return m_committed; }
    // The index of the file whose rename failed, or count() when the commit
    // failed elsewhere.
    size_t failedAt() const { return m_failedAt; }
    const std::string& error() const { return m_error; }

    // Writes a whole file by temporary name, sync and rename (for "ver").
    static bool writeWhole(const std::string& path, const std::string& data, std::string& error);

private:
    // Checks target and plans its folders; the staged name, or "" with m_error.
    std::string reserve(const std::string& target);
    // Plans one folder (its parents are planned already).
    bool planFolder(const std::string& folder);
    bool checkWritable(const std::string& target);
    int createTemp(const std::string& temp);
    void rollBack(size_t steps);
    bool syncStage();
    std::string relative(const std::string& path) const;

    struct Staged {
        std::string temp;
        std::string target;
        std::string backup;  // where the replaced file was kept; "" when there was none
    };
    std::string m_root;
    RenameFn m_rename;
    std::string m_stage;                // the staging folder; empty before begin()/adopt()
    std::vector<Staged> m_files;        // in staging order
    std::set<std::string> m_fileTargets;
    std::set<std::string> m_folders;    // every folder a staged file needs (new or installed)
    std::vector<std::string> m_newFolders;  // folders to create, parents first
    std::set<std::string> m_taken;      // staging-folder files already staged as themselves
    std::set<std::string> m_insideFolders;    // folders found to stay inside the root
    std::set<std::string> m_writableFolders;  // target folders found writable
    std::vector<std::string> m_madeFolders;  // made by the running commit, parents first
    size_t m_committed = 0;
    size_t m_failedAt = 0;
    std::string m_error;
};

}  // namespace update
