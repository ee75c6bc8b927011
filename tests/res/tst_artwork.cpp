// Every image of the artwork manifests is in the program's resources at the
// size its manifest gives.
#include <QFile>
#include <QImage>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTextStream>
#include <gtest/gtest.h>

#include "TestPaths.h"

TEST(Artwork, EveryManifestImageIsBuiltAtItsSize)
{
    const QString resDir = QString::fromStdString(testsupport::sourceDir()) + "/res";
    QDirIterator it(resDir, {"*.artwork"}, QDir::Files, QDirIterator::Subdirectories);
    int checked = 0;
    while (it.hasNext()) {
        QFile manifest(it.next());
        ASSERT_TRUE(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
        QTextStream in(&manifest);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QStringList f = line.split(QRegularExpression("\\s+"));
            ASSERT_GE(f.size(), 4) << line.toStdString();
            QImage image(f[0]);
            ASSERT_FALSE(image.isNull()) << f[0].toStdString() << " is not in the resources";
            if (!f[3].endsWith(".png")) {
                EXPECT_EQ(image.size(), QSize(f[1].toInt(), f[2].toInt())) << f[0].toStdString();
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}
