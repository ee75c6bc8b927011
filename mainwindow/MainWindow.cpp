#include "mainwindow/MainWindow.h"

#include "app/Logger.h"

#include <QApplication>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle("vtmaintea");
    resize(1280, 720);
    show();
}

MainWindow::~MainWindow() = default;

void MainWindow::ExitApp()
{
    Logger::instance()->Log(LOG_INFO, "MainWindow::ExitApp", "exit");
    QApplication::quit();
}
