// Loading of page images and pictures from a local file, a file:// URL, a
// Qt resource (":/...") or an http(s) URL. Runs on the library thread.
#pragma once

#include <QImage>
#include <QString>

class QReadWriteLock;

class WBImageSource
{
public:
    // curlLock: the program's lock around creating and cleaning up curl
    // handles (may be null).
    explicit WBImageSource(QReadWriteLock* curlLock) : m_curlLock(curlLock) {}

    // A null image on failure, with the reason in *error.
    QImage load(const QString& source, QString* error) const;
    // Whether the source can be had, without loading it where that is cheap
    // (files and resources); URLs are fetched.
    bool exists(const QString& source) const;

    static bool isUrl(const QString& source);
    // The local file a source names ("file://" stripped); empty for URLs.
    static QString localPath(const QString& source);

private:
    bool fetch(const QString& url, QByteArray* body, QString* error) const;

    QReadWriteLock* m_curlLock; // owned by the program; the lock is thread-safe
};
