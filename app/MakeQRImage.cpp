#include "app/MakeQRImage.h"

#include "app/Logger.h"

#include <QBitmap>
#include <QPainter>
#include <QSaveFile>

#include <qrcodegen.hpp>

#include <algorithm>
#include <memory>
#include <stdexcept>

bool MakeQRImage(QString text, QString filePath)
{
    static const char* const func = "MakeQRImage";
    if (text.isEmpty())
        return false;

    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<qrcodegen::QrCode> qr;
    try {
        qr.reset(new qrcodegen::QrCode(qrcodegen::QrCode::encodeText(utf8.constData(), qrcodegen::QrCode::Ecc::LOW)));
    } catch (const std::exception& e) {
        // Data too long for the largest version.
        Logger::instance()->Log(LOG_WARN, func, "encode failed (%d bytes): %s", int(utf8.size()), e.what());
        return false;
    }

    const int n = std::max(1, qr->getSize());
    QBitmap bitmap(300, 300);
    bitmap.fill(Qt::color0);  // white
    {
        QPainter painter(&bitmap);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::color1);  // black
        const qreal s = qreal(std::min(bitmap.width(), bitmap.height())) / (n + 2);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                if (qr->getModule(x, y))
                    painter.drawRect(QRectF((x + 1) * s, (y + 1) * s, s, s));
            }
        }
    }

    // Written beside the target and renamed into place, so a reader never
    // sees half a picture and a failed write leaves nothing behind.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        Logger::instance()->Log(LOG_WARN, func, "open %s failed: %s", filePath.toUtf8().constData(),
                                file.errorString().toUtf8().constData());
        return false;
    }
    if (!bitmap.save(&file, "PNG") || !file.commit()) {
        Logger::instance()->Log(LOG_WARN, func, "save %s failed: %s", filePath.toUtf8().constData(),
                                file.errorString().toUtf8().constData());
        return false;
    }
    return true;
}
