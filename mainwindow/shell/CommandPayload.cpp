#include "mainwindow/shell/CommandPayload.h"

#include "app/Logger.h"

#include <cmath>

namespace cmdpayload {

namespace {

bool IsNumber(const QVariant& v)
{
    switch (v.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        return std::isfinite(v.toDouble());
    default:
        return false;
    }
}

const char* KindName(Kind kind)
{
    switch (kind) {
    case Kind::Text: return "text";
    case Kind::Bool: return "bool";
    case Kind::Int: return "integer";
    case Kind::List: return "list";
    case Kind::Map: return "map";
    }
    return "?";
}

}  // namespace

bool IsKind(const QVariant& value, Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return value.userType() == QMetaType::QString;
    case Kind::Bool:
        return value.userType() == QMetaType::Bool || IsNumber(value);
    case Kind::Int: {
        if (IsNumber(value))
            return true;
        bool ok = false;
        if (value.userType() == QMetaType::QString)
            value.toString().trimmed().toLongLong(&ok, 10);
        return ok;
    }
    case Kind::List:
        return value.userType() == QMetaType::QVariantList || value.userType() == QMetaType::QStringList;
    case Kind::Map:
        return value.userType() == QMetaType::QVariantMap;
    }
    return false;
}

bool CheckKeys(const char* func, int code, const QVariantMap& map, const std::vector<Key>& keys)
{
    for (const Key& key : keys) {
        const auto it = map.constFind(QString::fromLatin1(key.name));
        if (it == map.constEnd()) {
            if (!key.required)
                continue;
            Logger::instance()->Log(LOG_WARN, func, "bad payload %d: no \"%s\"", code, key.name);
            return false;
        }
        if (!IsKind(it.value(), key.kind)) {
            Logger::instance()->Log(LOG_WARN, func, "bad payload %d: \"%s\" is not a %s", code, key.name,
                                    KindName(key.kind));
            return false;
        }
    }
    return true;
}

bool Check(const char* func, int code, const QVariant& var, const std::vector<Key>& keys, QVariantMap* out)
{
    if (var.userType() != QMetaType::QVariantMap) {
        Logger::instance()->Log(LOG_WARN, func, "bad payload %d: not a map (%s)", code,
                                var.isValid() ? var.typeName() : "none");
        return false;
    }
    const QVariantMap map = var.toMap();
    if (!CheckKeys(func, code, map, keys))
        return false;
    *out = map;
    return true;
}

}  // namespace cmdpayload
