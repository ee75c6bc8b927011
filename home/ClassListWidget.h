#pragma once
// The class home window ("vtclasstea"): calendar, lessons, courses and
// groups. Its pages come later; what stands is what the room window calls
// and connects. A top-level window, made hidden. GUI thread only.
#include <QVariant>
#include <QWidget>

class ClassListWidget : public QWidget {
    Q_OBJECT
public:
    explicit ClassListWidget(QWidget* parent = nullptr);

    // The home window's handling of an HTTP result; false: not its own.
    bool ClassResult(int type, const QVariant& data);
    void OnTimerUpdate(int tick);

signals:
    void exitApp();
    void switchUser();
};
