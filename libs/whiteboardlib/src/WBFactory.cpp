// The two exported factory functions.
#include "WhiteBoardLib.h"

#include "libs/whiteboardlib/src/WhiteBoardImpl.h"

#include <QDebug>
#include <QWidget>

CWhiteBoardLib* WBCreateLib(QWidget* parent, WBLibCallbackFunc callback, const QVariant& config)
{
    if (!parent || !callback) {
        qWarning("WBCreateLib: no %s", parent ? "callback" : "parent widget");
        return nullptr;
    }
    if (config.userType() != QMetaType::QVariantMap) {
        qWarning("WBCreateLib: the configuration is not a map (%s)", config.typeName());
        return nullptr;
    }
    const QVariantMap map = config.toMap();
    WhiteBoardImpl::Config c;
    c.urlWB = map.value("urlWB").toString();
    c.appData = map.value("appData").toString();
    c.userType = map.value("userType").toInt();
    c.curlLock = reinterpret_cast<QReadWriteLock*>(static_cast<quintptr>(map.value("curlLocker").toLongLong()));
    return new WhiteBoardImpl(parent, callback, c);
}

void WBReleaseLib(CWhiteBoardLib* lib)
{
    delete lib;
}
