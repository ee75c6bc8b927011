#pragma once
// Read-only INI access with the Windows profile functions' rules: sections in
// brackets, "key=value" lines, keys and sections matched without regard to
// case, the first occurrence wins, ";" and "#" start comment lines. Values
// written by QSettings that need quoting ("...") are unquoted; QSettings'
// percent escapes of keys are understood.
#include <map>
#include <string>

class IniFile {
public:
    // Loads a file; a missing or unreadable file gives an empty IniFile.
    explicit IniFile(const std::string& path);
    IniFile() = default;

    static IniFile fromText(const std::string& text);

    bool loaded() const { return m_loaded; }
    bool has(const std::string& section, const std::string& key) const;
    // The value, or def when missing; cut to maxChars - 1 characters when
    // maxChars > 0, as GetPrivateProfileString does with its buffer size.
    std::string value(const std::string& section, const std::string& key,
                      const std::string& def = std::string(), size_t maxChars = 0) const;

private:
    void parse(const std::string& text);

    bool m_loaded = false;
    std::map<std::string, std::map<std::string, std::string>> m_sections;  // lower-cased names
};
