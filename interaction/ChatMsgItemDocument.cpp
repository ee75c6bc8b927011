#include "interaction/ChatMsgItemDocument.h"

#include <QImage>
#include <QUrl>

namespace {

const char kFacePrefix[] = ":/face/res/face/";

}  // namespace

ChatMsgItemDocument::ChatMsgItemDocument(QObject* parent) : QTextDocument(parent) {}

bool ChatMsgItemDocument::IsAllowedResource(const QUrl& name)
{
    QString path = name.toString();
    if (path.startsWith("qrc:"))
        path = path.mid(3);
    return path.startsWith(kFacePrefix) && !path.contains("..") && path.endsWith(".png");
}

QVariant ChatMsgItemDocument::loadResource(int type, const QUrl& name)
{
    if (IsAllowedResource(name))
        return QTextDocument::loadResource(type, name);
    if (type == QTextDocument::ImageResource) {
        QImage none(1, 1, QImage::Format_ARGB32);
        none.fill(Qt::transparent);
        return none;
    }
    return QByteArray(" ");
}
