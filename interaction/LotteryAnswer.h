#pragma once
// The student's lottery panel: a large picture in the middle of the room
// window while the teacher's draw runs; a click on it takes part through the
// client library; the student's own result runs a short animation that ends
// on a won or a not-won picture. Dormant in the teacher build (its show
// operations do nothing there). GUI thread only.
#include <QWidget>

class QTimer;

namespace Ui {
class LotteryAnswer;
}

class LotteryAnswer : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 200;
    static constexpr int kLastFrame = 4;

    explicit LotteryAnswer(QWidget* parent = nullptr);
    ~LotteryAnswer() override;

    // The room started a draw (command 149).
    void ShowWidget(qint64 lotteryId);
    // The room announced this student's result (command 150).
    void ShowResult(bool won);
    void ResetData(bool hide);

    qint64 LotteryId() const { return m_lotteryId; }
    bool Joined() const { return m_joined; }
    int Frame() const { return m_frame; }
    bool Animating() const;

public slots:
    void onUpdateTimer();
    void on_btnClose_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowPicture(const QString& name);

    Ui::LotteryAnswer* ui;      // GUI thread only, like every member
    QTimer* m_timer = nullptr;  // the animation, owned by the panel
    int m_frame = 0;            // animation step, 0 to 4
    bool m_joined = false;      // the student takes part in the draw shown
    bool m_won = false;         // the result as last announced
    qint64 m_lotteryId = 0;     // the draw shown; 0 = none
};
