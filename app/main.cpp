// The entry of Veltora.
#include "Logger.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    MainWindow w;
    return app.exec();
}
