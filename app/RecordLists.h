#pragma once
// Keyed lists of session records (users, courses, groups): the one way
// CData adds, replaces and finds an entry by its id.
#include <vector>

namespace records {

// Replaces the first entry that matches with item, else appends item.
// True when item was appended (it was new).
template <typename T, typename Match>
bool ReplaceOrAppend(std::vector<T>& list, const T& item, Match match)
{
    for (T& entry : list) {
        if (match(entry)) {
            entry = item;
            return false;
        }
    }
    list.push_back(item);
    return true;
}

// Copies the first entry that matches into out; false when none does.
template <typename T, typename Match>
bool FindFirst(const std::vector<T>& list, Match match, T& out)
{
    for (const T& entry : list) {
        if (match(entry)) {
            out = entry;
            return true;
        }
    }
    return false;
}

}  // namespace records
