// The main of every Qt test: a QApplication on the offscreen platform (the
// CTest environment sets QT_QPA_PLATFORM; tests labelled xvfb get a real
// X display from xvfb-run instead).
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
