#pragma once
// The student's lottery panel. Its form comes later. GUI thread only.
#include <QWidget>

class LotteryAnswer : public QWidget {
    Q_OBJECT
public:
    explicit LotteryAnswer(QWidget* parent = nullptr);
    void ShowWidget(qint64 lotteryId);
    void ShowResult(bool won) { m_won = won; }
    void ResetData(bool hide);

private:
    qint64 m_lotteryId = 0;  // GUI thread only, like every member
    bool m_won = false;
};
