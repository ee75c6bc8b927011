#pragma once
// Rules for relative paths that come from outside (manifest paths, names of
// archive entries): nothing they name may lie outside the installation folder.
#include <string>
#include <vector>

namespace update {
namespace safepath {

constexpr size_t kMaxComponent = 200;  // bytes of one name (leaves room for temporary names)
constexpr size_t kMaxPath = 1024;      // bytes of a whole relative path

enum Separators {
    kSlashOrBackslash,  // manifest paths: "\" separates folders ("/" is taken as well)
    kSlashOnly,         // archive entry names: a "\" inside a name is refused
};

// Splits a relative path into its names. False for an absolute path, a drive
// ("C:"), an empty, "." or ".." name, a control character, a name longer than
// kMaxComponent or a path longer than kMaxPath. One trailing separator is
// allowed (a folder entry) and reported through isFolder.
bool split(const std::string& rel, Separators seps, std::vector<std::string>& names,
           bool* isFolder = nullptr);

// root + "/" + the names joined by "/".
std::string join(const std::string& root, const std::vector<std::string>& names);

// True when path, with every symbolic link of its existing part resolved,
// lies inside root (also resolved). Used before anything is written, so a
// link inside the installation cannot lead a write outside it.
bool staysInside(const std::string& root, const std::string& path);

}  // namespace safepath
}  // namespace update
