#include "app/CSettings.h"

#include "app/Logger.h"
#include "app/PubUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

CSettings* CSettings::instance()
{
    static CSettings* settings = [] {
        QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!appData.isEmpty())
            QDir().mkdir(appData);
        return new CSettings(QString::fromStdString(PubUtils::GetAppData()) + "/config.ini");
    }();
    return settings;
}

CSettings::CSettings(const QString& fileName) : QSettings(fileName, QSettings::IniFormat)
{
    QFileInfo info(fileName);
    if (info.exists() && !info.isReadable())
        Logger::instance()->Log(LOG_WARN, "CSettings::CSettings", "settings file %s is not readable; values count as missing",
                                fileName.toUtf8().constData());
    else if (status() == QSettings::FormatError)
        Logger::instance()->Log(LOG_WARN, "CSettings::CSettings", "settings file %s is damaged; unreadable lines count as missing",
                                fileName.toUtf8().constData());
}

CSettings::~CSettings() = default;

void CSettings::SetValue(const QString& key, const QVariant& value, bool compress)
{
    if (compress)
        setValue(key, qCompress(value.toByteArray(), 9));
    else
        setValue(key, value);
    sync();
    if (status() == QSettings::AccessError)
        Logger::instance()->Log(LOG_WARN, "CSettings::SetValue", "cannot write %s to %s", key.toUtf8().constData(),
                                fileName().toUtf8().constData());
}

QVariant CSettings::GetValue(const QString& key, const QVariant& defaultValue, bool compressed)
{
    if (!compressed)
        return value(key, defaultValue);
    if (!contains(key))
        return defaultValue;
    QByteArray stored = value(key).toByteArray();
    // qUncompress needs at least the 4-byte length header; anything shorter
    // or not a valid stream gives an empty array: the value counts as missing.
    QByteArray plain = stored.size() > 4 ? qUncompress(stored) : QByteArray();
    if (plain.isEmpty() && !stored.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "CSettings::GetValue", "compressed value of %s is invalid",
                                key.toUtf8().constData());
        return defaultValue;
    }
    return plain;
}
