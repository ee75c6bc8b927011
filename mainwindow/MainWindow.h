#pragma once
// The teacher's main window: the hub that owns the room's widgets. For now
// it only carries the window title the single-instance check looks for and
// the program's exit.
#include <QMainWindow>

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    // The program's exit sequence: the only way the event loop ends.
    void ExitApp();
};
