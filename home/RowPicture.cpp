#include "home/RowPicture.h"

#include <QImageReader>
#include <QLabel>
#include <QUrl>

namespace {
// Pictures larger than this are not decoded.
constexpr int kMaxPictureSide = 4096;
}

bool rowpicture::IsWebUrl(const std::string& url)
{
    const QString scheme = QUrl(QString::fromStdString(url)).scheme().toLower();
    return scheme == "http" || scheme == "https";
}

QPixmap rowpicture::Cached(const std::string& url)
{
    if (!IsWebUrl(url))
        return QPixmap();
    std::string local;
    if (!DownThread::HasCacheFile(url, local))
        return QPixmap();
    QImageReader reader(QString::fromStdString(local));
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        return QPixmap();
    return QPixmap::fromImageReader(&reader);
}

void rowpicture::Show(QLabel* label, const QString& file, const QString& fallback, Qt::TransformationMode mode)
{
    QPixmap picture;
    if (!file.isEmpty()) {
        QImageReader reader(file);
        const QSize size = reader.size();
        if (size.isValid() && size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide)
            picture = QPixmap::fromImageReader(&reader);
    }
    if (picture.isNull())
        picture.load(fallback);
    label->setPixmap(picture.scaled(label->size(), Qt::KeepAspectRatio, mode));
}
