#pragma once
// The settings file "config.ini" in the data folder, in INI format. Every
// change is written to disk at once. Values may be stored compressed.
#include <QSettings>
#include <QVariant>

class CSettings : public QSettings {
public:
    // The process-wide settings object, made on first use.
    static CSettings* instance();

    // A settings object on any file; the program uses instance().
    explicit CSettings(const QString& fileName);
    ~CSettings() override;

    void SetValue(const QString& key, const QVariant& value, bool compress = false);
    QVariant GetValue(const QString& key, const QVariant& defaultValue = QVariant(), bool compressed = false);
};
