#pragma once
// The teacher's countdown tool: minutes and seconds set with step buttons,
// a room-wide countdown started and stopped through the client library. The
// room's countdown command (134) makes it count, on the session's one-second
// tick. On the student side the same command drives the countdown badge,
// which the main window makes beside the tool and connects to the badge
// signals. GUI thread only.
#include <QWidget>

#include "widgets/TitleDrag.h"

namespace Ui {
class CountdownWidget;
}

class CountdownWidget : public QWidget {
    Q_OBJECT
public:
    // The longest time that can be set, and the preset after every stop.
    static constexpr int kMaxSeconds = 5940;
    static constexpr int kPresetSeconds = 300;

    explicit CountdownWidget(QWidget* parent = nullptr);
    ~CountdownWidget() override;

    // The room's countdown command: start with the total seconds, or stop.
    void StartCountdown(bool start, int seconds);
    // Leaving the room: stops locally (no library call), hides when asked.
    void StopCountdown(bool hide);

    // Remaining seconds: -1 stopped, 0 ended, above 0 counting.
    int Seconds() const { return m_remaining; }

    void ShowTime(int seconds);
    void SetRunning(bool running);

signals:
    // The student badge: started or stopped with the room's command.
    void sgBadgeStart(bool start, int seconds);
    void sgBadgeStop(bool hide);

public slots:
    void onTimerUpdate(int index);
    void on_btnUpMin10_clicked();
    void on_btnUpMin_clicked();
    void on_btnUpSec10_clicked();
    void on_btnUpSec_clicked();
    void on_btnDownMin10_clicked();
    void on_btnDownMin_clicked();
    void on_btnDownSec10_clicked();
    void on_btnDownSec_clicked();
    void on_btnClose_clicked();
    void on_btnStart_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int SetSeconds() const;
    void Step(int delta);
    void StopSteps(bool hideBadge);

    Ui::CountdownWidget* ui;       // GUI thread only, like every member
    QWidget* m_parent = nullptr;   // the toasts' parent
    static constexpr int kDragBand = 40;  // the top band the window is dragged by
    TitleDrag m_drag{this, kDragBand};  // frameless drag by the top band
    int m_remaining = -1;
};
