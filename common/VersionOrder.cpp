#include "common/VersionOrder.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace version {

namespace {

std::vector<uint64_t> components(const std::string& text)
{
    std::vector<uint64_t> parts;
    size_t i = 0;
    // Tolerate blanks and a leading "v".
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == 'v' || text[i] == 'V'))
        ++i;
    while (i <= text.size()) {
        uint64_t value = 0;
        bool overflow = false;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (value > (UINT64_MAX - 9) / 10)
                overflow = true;
            else
                value = value * 10 + static_cast<uint64_t>(text[i] - '0');
            ++i;
        }
        parts.push_back(overflow ? UINT64_MAX : value);
        // Skip the rest of the component (suffixes such as "-beta").
        while (i < text.size() && text[i] != '.')
            ++i;
        if (i >= text.size())
            break;
        ++i;  // the dot
    }
    while (!parts.empty() && parts.back() == 0)
        parts.pop_back();
    return parts;
}

}  // namespace

int compare(const std::string& a, const std::string& b)
{
    std::vector<uint64_t> pa = components(a);
    std::vector<uint64_t> pb = components(b);
    size_t n = pa.size() > pb.size() ? pa.size() : pb.size();
    for (size_t i = 0; i < n; ++i) {
        uint64_t x = i < pa.size() ? pa[i] : 0;
        uint64_t y = i < pb.size() ? pb[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace version
