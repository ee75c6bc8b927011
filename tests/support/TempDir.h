#pragma once
// Temporary folders and environment for tests: every test that touches the
// data folder runs under its own HOME and XDG_DATA_HOME.
#include <string>

namespace testsupport {

// A private folder made with mkdtemp, removed with everything in it on
// destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() + "/" + rel, with missing parent folders made.
    std::string file(const std::string& rel) const;
    // Writes bytes to path() + "/" + rel and returns the full path.
    std::string write(const std::string& rel, const std::string& bytes) const;

private:
    std::string m_path;
};

// Sets an environment variable for the life of the object; the old value
// (or its absence) comes back on destruction.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld = false;
};

// HOME and XDG_DATA_HOME pointed into a fresh temporary folder, so the
// program's data folder ("VeltoraTea") lands inside it.
class TempHome {
public:
    TempHome();
    const std::string& home() const { return m_dir.path(); }
    // $XDG_DATA_HOME
    std::string dataHome() const { return m_dir.path() + "/.local/share"; }
    // The program's data folder under it.
    std::string dataFolder() const { return dataHome() + "/VeltoraTea"; }

private:
    TempDir m_dir;
    ScopedEnv m_home;
    ScopedEnv m_xdg;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

}  // namespace testsupport
