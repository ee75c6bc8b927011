#pragma once
// The courseware panel (room, own and group cloud folders). Its pages come
// later; what stands is the set-up, reset and tick entry the room shell
// calls. GUI thread only.
#include <QWidget>
#include <QVariant>

class DocWidget : public QWidget {
    Q_OBJECT
public:
    explicit DocWidget(QWidget* parent = nullptr);
    void InitPages();
    void Clear();
    void onUserHttpCmd(int type, QVariant data);
    void TimerUpdate(int tick);
};
