#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir()
{
    std::string tmpl = (fs::temp_directory_path() / "veltora-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Make everything writable first so read-only fixtures go too.
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string& rel) const
{
    fs::path p = fs::path(m_path) / rel;
    std::error_code ec;
    fs::create_directories(p.parent_path(), ec);
    return p.string();
}

std::string TempDir::write(const std::string& rel, const std::string& bytes) const
{
    std::string p = file(rel);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name)
{
    if (const char* old = getenv(name)) {
        m_hadOld = true;
        m_old = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadOld)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

TempHome::TempHome()
    : m_home("HOME", m_dir.path()), m_xdg("XDG_DATA_HOME", m_dir.path() + "/.local/share")
{
    std::error_code ec;
    fs::create_directories(m_dir.path() + "/.local/share", ec);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

}  // namespace testsupport
