#include "common/IniFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// QSettings escapes key characters outside [A-Za-z0-9_-.] as %XX or %UXXXX.
std::string unescapeKey(const std::string& k)
{
    std::string out;
    for (size_t i = 0; i < k.size(); ++i) {
        if (k[i] == '%' && i + 2 < k.size() + 0 && std::isxdigit(static_cast<unsigned char>(k[i + 1]))
            && i + 2 < k.size() && std::isxdigit(static_cast<unsigned char>(k[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(k.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(k[i]);
        }
    }
    return out;
}

std::string unquote(const std::string& v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

IniFile::IniFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    std::ostringstream ss;
    ss << in.rdbuf();
    parse(ss.str());
    m_loaded = true;
}

IniFile IniFile::fromText(const std::string& text)
{
    IniFile f;
    f.parse(text);
    f.m_loaded = true;
    return f;
}

void IniFile::parse(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    std::string section;
    bool first = true;
    while (std::getline(in, line)) {
        if (first && line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF
            && static_cast<unsigned char>(line[1]) == 0xBB && static_cast<unsigned char>(line[2]) == 0xBF)
            line.erase(0, 3);
        first = false;
        std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[') {
            size_t close = t.find(']');
            section = lower(trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = lower(unescapeKey(trim(t.substr(0, eq))));
        std::string value = unquote(trim(t.substr(eq + 1)));
        auto& sec = m_sections[section];
        if (!sec.count(key))
            sec.emplace(key, value);
    }
}

bool IniFile::has(const std::string& section, const std::string& key) const
{
    auto s = m_sections.find(lower(section));
    return s != m_sections.end() && s->second.count(lower(key)) > 0;
}

std::string IniFile::value(const std::string& section, const std::string& key, const std::string& def,
                           size_t maxChars) const
{
    std::string v = def;
    auto s = m_sections.find(lower(section));
    if (s != m_sections.end()) {
        auto k = s->second.find(lower(key));
        if (k != s->second.end())
            v = k->second;
    }
    if (maxChars > 0 && v.size() > maxChars - 1)
        v.resize(maxChars - 1);
    return v;
}
