#pragma once
// The bullet-comment screen over the whiteboard area. Its comments come
// later. GUI thread only.
#include <QWidget>

class CBarrageScreen : public QWidget {
    Q_OBJECT
public:
    explicit CBarrageScreen(QWidget* parent = nullptr);
};
