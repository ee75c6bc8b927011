#pragma once
// The update formats both programs read: the version reply, the update
// manifest (also stored as the local manifest "ver") and its file entries.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace update {

using json = nlohmann::json;

// Manifest paths that begin with this marker name an archive to unpack; the
// marker and one further character are followed by the target folder.
constexpr const char* kArchiveMarker = "*<zip>";
constexpr size_t kArchivePrefixLength = 7;
constexpr size_t kMaxArchiveFolder = 127;

struct FileEntry {
    std::string fullPath;  // install folder + "/" + path with "/" separators; empty when path is unsafe
    std::string path;      // relative path as the manifest or the scan gives it; key of the local map
    int32_t size = 0;      // bytes
    std::string digest;    // 40 lower-case hex digits; empty when the manifest's was not a valid digest

    bool isArchive() const { return path.compare(0, 6, kArchiveMarker) == 0; }
};

using FileMap = std::map<std::string, FileEntry>;  // keyed by path, byte order

// Typed reads with json11's defaults: a missing member or a wrong type gives "", 0 or null.
std::string jsonString(const json& object, const char* key);
double jsonNumber(const json& object, const char* key);
bool hasString(const json& object, const char* key);
json parseJson(const std::string& text);  // discarded value when the text is not JSON

// The lower-case form of an exactly-40-hex-digit digest, else "".
std::string normalDigest(const std::string& text);

// Maps a relative manifest path onto the install folder; "" when the path
// could leave it (see SafePath.h). Archive entries are not mapped here.
std::string mapPath(const std::string& installFolder, const std::string& rel);

FileEntry parseFileEntry(const json& item, const std::string& installFolder);

// The folder an archive entry unpacks into, or "" when it is refused.
std::string archiveFolder(const std::string& installFolder, const FileEntry& entry);

// The whole shape of a latest manifest, checked before any of it is used:
// an object with string "version" and array "files" of objects, each with a
// string "path" that stays inside the installation, a whole number "size"
// from 0 on and a 40-hex-digit "digest", and no path that one entry writes as
// a file while another needs it as a folder. False with the first fault in why.
bool checkManifest(const json& manifest, const std::string& installFolder, std::string& why);

struct VersionReply {
    bool valid = false;     // an object with string "latest-version" and "minimum-required"
    std::string latest;
    std::string minimum;
};
VersionReply parseVersionReply(const std::string& body);

// The "files" array of a manifest (empty when missing or not an array).
std::vector<FileEntry> manifestFiles(const json& manifest, const std::string& installFolder);

// Reads a local manifest "ver": version ("version" + ".json", empty when
// missing) and its files (a path listed twice keeps its first entry).
// False only when the file cannot be opened.
bool readLocalManifest(const std::string& file, const std::string& installFolder, std::string& localVersion,
                       FileMap& localFiles);

struct Comparison {
    std::vector<FileEntry> downloads;  // new or changed files, in manifest order
    FileMap localOnly;                 // installed files the manifest no longer lists
    bool needsUpdate() const { return !downloads.empty() || !localOnly.empty(); }
};
// Sizes are not compared; a digest that is not valid on either side never matches.
Comparison compareFiles(const std::vector<FileEntry>& latest, FileMap localFiles);

}  // namespace update
