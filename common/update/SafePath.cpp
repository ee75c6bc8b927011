#include "common/update/SafePath.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace update {
namespace safepath {

bool split(const std::string& rel, Separators seps, std::vector<std::string>& names, bool* isFolder)
{
    names.clear();
    if (isFolder)
        *isFolder = false;
    if (rel.empty() || rel.size() > kMaxPath)
        return false;
    auto isSep = [seps](char c) { return c == '/' || (seps == kSlashOrBackslash && c == '\\'); };
    if (isSep(rel[0]))
        return false;  // absolute
    if (rel.size() >= 2 && rel[1] == ':')
        return false;  // drive letter
    std::string name;
    for (size_t i = 0; i <= rel.size(); ++i) {
        const bool end = i == rel.size();
        const char c = end ? '/' : rel[i];
        if (!end && seps == kSlashOnly && c == '\\')
            return false;
        if (!end && static_cast<unsigned char>(c) < 0x20)
            return false;
        if (end || isSep(c)) {
            if (name.empty()) {
                // Only a single trailing separator may leave an empty name.
                if (end && i > 0 && isSep(rel[i - 1]) && !names.empty()) {
                    if (isFolder)
                        *isFolder = true;
                    break;
                }
                return false;
            }
            if (name == "." || name == ".." || name.size() > kMaxComponent)
                return false;
            names.push_back(name);
            name.clear();
            continue;
        }
        name.push_back(c);
    }
    return !names.empty();
}

std::string join(const std::string& root, const std::vector<std::string>& names)
{
    std::string out = root;
    for (const std::string& n : names) {
        if (out.empty() || out.back() != '/')
            out.push_back('/');
        out += n;
    }
    return out;
}

bool staysInside(const std::string& root, const std::string& path)
{
    std::error_code ec;
    fs::path r = fs::weakly_canonical(fs::path(root), ec);
    if (ec)
        return false;
    fs::path p = fs::weakly_canonical(fs::path(path), ec);
    if (ec)
        return false;
    std::string rs = r.string();
    std::string ps = p.string();
    if (!rs.empty() && rs.back() == '/')
        rs.pop_back();
    return ps.size() > rs.size() && ps.compare(0, rs.size(), rs) == 0 && ps[rs.size()] == '/';
}

}  // namespace safepath
}  // namespace update
