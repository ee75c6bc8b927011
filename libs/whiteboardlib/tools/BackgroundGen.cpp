// Draws the four built-in board backgrounds (16:9 PNG files) into the folder
// given as the only argument: bk1 plain light board, bk2 green chalkboard,
// bk3 squared paper, bk4 dark slate.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cstdio>

namespace {

const int kWidth = 1280;
const int kHeight = 720;

void drawGrid(QPainter& p, int step, const QColor& minor, const QColor& major)
{
    for (int x = 0, i = 0; x < kWidth; x += step, ++i) {
        p.setPen(QPen(i % 5 == 0 ? major : minor, 1));
        p.drawLine(x, 0, x, kHeight);
    }
    for (int y = 0, i = 0; y < kHeight; y += step, ++i) {
        p.setPen(QPen(i % 5 == 0 ? major : minor, 1));
        p.drawLine(0, y, kWidth, y);
    }
}

QImage drawBackground(int index)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 1: {
        QLinearGradient g(0, 0, 0, kHeight);
        g.setColorAt(0, QColor(0xFA, 0xFA, 0xF7));
        g.setColorAt(1, QColor(0xEF, 0xEF, 0xEA));
        p.fillRect(img.rect(), g);
        break;
    }
    case 2: {
        QRadialGradient g(kWidth / 2, kHeight / 2, kWidth * 0.7);
        g.setColorAt(0, QColor(0x2F, 0x5D, 0x46));
        g.setColorAt(1, QColor(0x1F, 0x42, 0x31));
        p.fillRect(img.rect(), g);
        p.setPen(QPen(QColor(0x6B, 0x4A, 0x2B), 24));
        p.setBrush(Qt::NoBrush);
        p.drawRect(img.rect().adjusted(12, 12, -12, -12));
        break;
    }
    case 3:
        p.fillRect(img.rect(), QColor(0xFD, 0xFE, 0xFF));
        drawGrid(p, 32, QColor(0xD8, 0xE6, 0xF3), QColor(0xB4, 0xCD, 0xE6));
        break;
    default: {
        QLinearGradient g(0, 0, kWidth, kHeight);
        g.setColorAt(0, QColor(0x2B, 0x32, 0x3A));
        g.setColorAt(1, QColor(0x1B, 0x20, 0x26));
        p.fillRect(img.rect(), g);
        break;
    }
    }
    p.end();
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    for (int i = 1; i <= 4; ++i) {
        const QString file = QString("%1/bk%2.png").arg(dir).arg(i);
        if (!drawBackground(i).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
