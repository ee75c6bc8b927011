#pragma once
// The rounded countdown badge of the student side: counts down on the
// session's one-second tick, turns red and pulses in the last seconds, and
// hides itself when the pulse ends. The countdown tool owns one and starts or
// stops it. GUI thread only.
#include <QWidget>

class QGraphicsOpacityEffect;
class QSequentialAnimationGroup;

namespace Ui {
class StuCountdown;
}

class StuCountdown : public QWidget {
    Q_OBJECT
public:
    explicit StuCountdown(QWidget* parent);
    ~StuCountdown() override;

    // start false or seconds <= 0 stops and hides; else places, shows and
    // counts down from seconds.
    void StartCountdown(bool start, int seconds);
    void StopCountdown(bool hide);

    int Remaining() const { return m_remaining; }
    QString TimeText() const;
    const QSequentialAnimationGroup* Pulse() const { return m_pulse; }

public slots:
    void onTimerUpdate(int tick);
    void onAniFinish();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowTime();
    void SetStatus(int status);
    void StartFinalPhase();

    Ui::StuCountdown* ui;            // GUI thread only, like every member
    int m_remaining = -1;
    QSequentialAnimationGroup* m_pulse = nullptr;
    QGraphicsOpacityEffect* m_effect = nullptr;
};
