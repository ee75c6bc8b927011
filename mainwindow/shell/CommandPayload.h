#pragma once
// Checks of the payloads that the libraries deliver with their commands: the
// payload must be a map and each listed key must have a value of its kind
// (required keys must be there; optional keys may be absent, and a missing
// key then reads as an empty text, 0 or false). A payload that fails is
// ignored by the caller; the check writes the log line that says why.
// GUI thread only (pure functions).
#include <QVariant>

#include <vector>

namespace cmdpayload {

enum class Kind {
    Text,  // a string
    Bool,  // a bool or a number
    Int,   // a number or a text holding a decimal integer
    List,  // a list
    Map,   // a map
};

struct Key {
    const char* name;
    Kind kind;
    bool required = true;
};

// An optional key.
inline Key Opt(const char* name, Kind kind) { return Key{name, kind, false}; }

// Whether value is of that kind.
bool IsKind(const QVariant& value, Kind kind);

// True when var is a map whose keys pass; out then holds the map. Otherwise
// logs (level 200, function func) "bad payload <code>: <reason>".
bool Check(const char* func, int code, const QVariant& var, const std::vector<Key>& keys, QVariantMap* out);

// As Check, for the keys of a map already taken apart.
bool CheckKeys(const char* func, int code, const QVariantMap& map, const std::vector<Key>& keys);

}  // namespace cmdpayload
