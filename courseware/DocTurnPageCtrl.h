#pragma once
// The page-turn buttons of the drawing bar. Their form comes later; what
// stands is the reset and the sub-classroom switch. GUI thread only.
#include <QWidget>

class DocTurnPageCtrl : public QWidget {
    Q_OBJECT
public:
    explicit DocTurnPageCtrl(QWidget* parent = nullptr);
    void Reset() { m_subRoom = false; }
    void SetSubRoomMode(bool subRoom) { m_subRoom = subRoom; }
    bool IsSubRoomMode() const { return m_subRoom; }

private:
    bool m_subRoom = false;  // GUI thread only
};
