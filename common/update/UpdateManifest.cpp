#include "common/update/UpdateManifest.h"

#include "common/update/SafePath.h"
#include "common/Sha1.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

namespace update {

std::string jsonString(const json& object, const char* key)
{
    if (!object.is_object())
        return {};
    auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

double jsonNumber(const json& object, const char* key)
{
    if (!object.is_object())
        return 0;
    auto it = object.find(key);
    return it != object.end() && it->is_number() ? it->get<double>() : 0.0;
}

bool hasString(const json& object, const char* key)
{
    if (!object.is_object())
        return false;
    auto it = object.find(key);
    return it != object.end() && it->is_string();
}

json parseJson(const std::string& text) { return json::parse(text, nullptr, false); }

std::string normalDigest(const std::string& text)
{
    if (!sha1::isHexDigest(text))
        return {};
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string mapPath(const std::string& installFolder, const std::string& rel)
{
    std::vector<std::string> names;
    bool folder = false;
    if (!safepath::split(rel, safepath::kSlashOrBackslash, names, &folder) || folder)
        return {};
    return safepath::join(installFolder, names);
}

FileEntry parseFileEntry(const json& item, const std::string& installFolder)
{
    FileEntry e;
    e.path = jsonString(item, "path");
    double size = jsonNumber(item, "size");
    if (!std::isfinite(size) || size < std::numeric_limits<int32_t>::min() ||
        size > std::numeric_limits<int32_t>::max())
        size = -1;  // cannot be a real size: verification fails on it
    e.size = static_cast<int32_t>(std::trunc(size));
    e.digest = normalDigest(jsonString(item, "digest"));
    if (!e.isArchive())
        e.fullPath = mapPath(installFolder, e.path);
    return e;
}

std::string archiveFolder(const std::string& installFolder, const FileEntry& e)
{
    if (e.path.size() < kArchivePrefixLength)
        return {};
    std::string rel = e.path.substr(kArchivePrefixLength);
    if (rel.size() > kMaxArchiveFolder)
        return {};
    if (rel.empty())
        return installFolder;
    std::vector<std::string> names;
    bool folder = false;
    if (!safepath::split(rel, safepath::kSlashOrBackslash, names, &folder))
        return {};
    return safepath::join(installFolder, names);
}

namespace {

// The names of the path an entry writes (a file) or unpacks into (a folder).
bool entryNames(const FileEntry& e, std::vector<std::string>& names)
{
    names.clear();
    if (!e.isArchive())
        return safepath::split(e.path, safepath::kSlashOrBackslash, names);
    const std::string rel = e.path.substr(kArchivePrefixLength);
    return rel.empty() || safepath::split(rel, safepath::kSlashOrBackslash, names);
}

std::string joined(const std::vector<std::string>& names, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out += (i ? "/" : "") + names[i];
    return out;
}

// A path that one entry writes as a file and another needs as a folder.
bool findClash(const std::vector<FileEntry>& entries, std::string& why)
{
    std::map<std::string, std::string> files;    // joined path -> the entry's path
    std::map<std::string, std::string> folders;  // joined folder -> the entry that needs it
    std::vector<std::string> names;
    for (const FileEntry& e : entries) {
        if (!entryNames(e, names))
            continue;
        const size_t folderCount = e.isArchive() ? names.size() : names.size() - 1;
        for (size_t n = 1; n <= folderCount; ++n)
            folders.emplace(joined(names, n), e.path);
        if (!e.isArchive())
            files.emplace(joined(names, names.size()), e.path);
    }
    for (const auto& [path, entry] : files) {
        auto folder = folders.find(path);
        if (folder != folders.end()) {
            why = "path \"" + entry + "\" is a file, but \"" + folder->second + "\" needs it as a folder";
            return true;
        }
    }
    return false;
}

}  // namespace

bool checkManifest(const json& manifest, const std::string& installFolder, std::string& why)
{
    if (!manifest.is_object()) {
        why = "not a JSON object";
        return false;
    }
    if (!hasString(manifest, "version")) {
        why = "no string \"version\"";
        return false;
    }
    auto files = manifest.find("files");
    if (files == manifest.end() || !files->is_array()) {
        why = "\"files\" is not an array";
        return false;
    }
    size_t index = 0;
    for (const json& item : *files) {
        const std::string at = "file " + std::to_string(index++);
        if (!item.is_object()) {
            why = at + " is not an object";
            return false;
        }
        if (!hasString(item, "path")) {
            why = at + " has no string \"path\"";
            return false;
        }
        auto size = item.find("size");
        if (size == item.end() || !size->is_number()) {
            why = at + " (" + jsonString(item, "path") + ") has no number \"size\"";
            return false;
        }
        const double bytes = size->get<double>();
        if (!std::isfinite(bytes) || bytes < 0 || bytes > std::numeric_limits<int32_t>::max() ||
            bytes != std::trunc(bytes)) {
            why = at + " (" + jsonString(item, "path") + ") has size " + size->dump();
            return false;
        }
        if (normalDigest(jsonString(item, "digest")).empty()) {
            why = at + " (" + jsonString(item, "path") + ") has no 40-hex-digit \"digest\"";
            return false;
        }
        const FileEntry e = parseFileEntry(item, installFolder);
        if ((e.isArchive() ? archiveFolder(installFolder, e) : e.fullPath).empty()) {
            why = at + " path \"" + e.path + "\" could lead outside the installation";
            return false;
        }
    }
    return !findClash(manifestFiles(manifest, installFolder), why);
}

VersionReply parseVersionReply(const std::string& body)
{
    VersionReply r;
    json v = parseJson(body);
    if (hasString(v, "latest-version") && hasString(v, "minimum-required")) {
        r.valid = true;
        r.latest = jsonString(v, "latest-version");
        r.minimum = jsonString(v, "minimum-required");
    }
    return r;
}

std::vector<FileEntry> manifestFiles(const json& manifest, const std::string& installFolder)
{
    std::vector<FileEntry> out;
    if (!manifest.is_object())
        return out;
    auto it = manifest.find("files");
    if (it == manifest.end() || !it->is_array())
        return out;
    out.reserve(it->size());
    for (const json& item : *it)
        out.push_back(parseFileEntry(item, installFolder));
    return out;
}

bool readLocalManifest(const std::string& file, const std::string& installFolder, std::string& localVersion,
                       FileMap& localFiles)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    json manifest = parseJson(text);
    if (hasString(manifest, "version"))
        localVersion = jsonString(manifest, "version") + ".json";
    for (FileEntry& e : manifestFiles(manifest, installFolder))
        localFiles.emplace(e.path, std::move(e));
    return true;
}

Comparison compareFiles(const std::vector<FileEntry>& latest, FileMap localFiles)
{
    Comparison c;
    for (const FileEntry& e : latest) {
        auto it = localFiles.find(e.path);
        if (it == localFiles.end()) {
            c.downloads.push_back(e);
            continue;
        }
        if (e.digest.empty() || e.digest != it->second.digest)
            c.downloads.push_back(e);
        localFiles.erase(it);
    }
    c.localOnly = std::move(localFiles);
    return c;
}

}  // namespace update
