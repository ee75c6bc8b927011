#include "interaction/ChatMsgItemDocument.h"

#include <QImage>
#include <QUrl>

namespace {

const char kFacePrefix[] = ":/face/res/face/";

}  // namespace

ChatMsgItemDocument::ChatMsgItemDocument(QObject* parent) : QTextDocument(parent) {}

namespace {

// The resource path of an emoticon picture, or empty.
QString FacePath(const QUrl& name)
{
    // ":/..." is not a valid URL; its text stays in the path.
    QString path = name.isValid() ? name.toString() : name.path();
    if (path.startsWith("qrc:"))
        path = path.mid(3);
    if (path.startsWith(kFacePrefix) && !path.contains("..") && path.endsWith(".png"))
        return path;
    return QString();
}

}  // namespace

bool ChatMsgItemDocument::IsAllowedResource(const QUrl& name) { return !FacePath(name).isEmpty(); }

QVariant ChatMsgItemDocument::loadResource(int type, const QUrl& name)
{
    const QString face = FacePath(name);
    if (type == QTextDocument::ImageResource && !face.isEmpty()) {
        const QImage picture(face);
        if (!picture.isNull())
            return picture;
    }
    if (type == QTextDocument::ImageResource) {
        QImage none(1, 1, QImage::Format_ARGB32);
        none.fill(Qt::transparent);
        return none;
    }
    return QByteArray(" ");
}
