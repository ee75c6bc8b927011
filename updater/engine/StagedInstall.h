#pragma once
// Puts files into the installation without ever leaving one half written:
// every new file is first written completely (and synced) under a private
// staging folder inside the installation, then renamed into place. A
// replaced file keeps its mode; a new file is executable when it starts with
// the ELF magic or "#!".
#include <functional>
#include <string>
#include <vector>

namespace update {

class StagedInstall {
public:
    // root: the installation folder. Staging folders of an interrupted run
    // (".korvanel-staging-*") are removed by begin().
    explicit StagedInstall(std::string root);
    ~StagedInstall();  // removes what was staged and not committed
    StagedInstall(const StagedInstall&) = delete;
    StagedInstall& operator=(const StagedInstall&) = delete;

    bool begin();
    // Reserves a staged file for target and opens it for writing; returns the
    // descriptor, or -1 with error(). finishFile() completes it.
    int openFile(const std::string& target);
    // Sets the mode and closes the file opened last; false on a write error.
    bool finishFile(int fd);
    // Copies a whole file into a staged file for target.
    bool stageCopy(const std::string& source, const std::string& target);
    // Makes target's missing folders (inside the root only).
    bool makeFolders(const std::string& folder);

    // Syncs the staged files to disk, then renames every one into place in
    // the order staged, calling done(index) after each, and syncs again.
    // Stops at the first failure.
    bool commit(const std::function<void(size_t)>& done);
    // Removes the (now empty) staging folder after a complete commit.
    void end();
    size_t count() const { return m_files.size(); }
    size_t committed() const { return m_committed; }
    const std::string& error() const { return m_error; }

    // Writes a whole file by temporary name, sync and rename (for "ver").
    static bool writeWhole(const std::string& path, const std::string& data, std::string& error);

private:
    bool syncStage();

    struct Staged {
        std::string temp;
        std::string target;
    };
    std::string m_root;
    std::string m_stage;          // the staging folder; empty before begin()
    std::vector<Staged> m_files;  // in staging order
    size_t m_committed = 0;
    std::string m_error;
};

}  // namespace update
