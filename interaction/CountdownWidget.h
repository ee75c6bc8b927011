#pragma once
// The room countdown tool. Its form comes later; what stands is the running
// state the room shell starts and stops. GUI thread only.
#include <QWidget>

class CountdownWidget : public QWidget {
    Q_OBJECT
public:
    explicit CountdownWidget(QWidget* parent = nullptr);
    void StartCountdown(bool start, int seconds);
    void StopCountdown(bool hide);
    int Seconds() const { return m_seconds; }

private:
    int m_seconds = 0;  // GUI thread only
};
