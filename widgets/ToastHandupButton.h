#pragma once
// The small round hand-up button floating in the bottom-right corner of its
// parent (15 px from the right and bottom edges). A press raises or lowers
// the local user's hand through the client library; a raised hand is
// lowered by itself on the 16th session tick after it went up. A refused
// library call leaves the state as it was. GUI thread only.
#include <QWidget>

#include <functional>

class ToastHandupButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int Side = 30;
    static constexpr int CornerGap = 15;
    static constexpr int CountDownTicks = 15;

    // The library operation that raises (true) or lowers (false) the hand;
    // answers whether the library took it.
    using HandupCall = std::function<bool(bool raised)>;

    explicit ToastHandupButton(QWidget* parent);
    ~ToastHandupButton() override;

    void setHandupState(bool raised);
    bool isRaised() const { return m_raised; }
    int countDown() const { return m_countDown; }
    // Replaces the client library's hand-up operation (the default).
    void setHandupCall(HandupCall call);

public slots:
    void onTimerUpdate(int tick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;  // draws the style sheet's face

private:
    void placeInCorner();
    bool callHandup(bool raised);

    QWidget* m_watched;  // the parent it floats on; not owned
    bool m_raised = false;
    int m_countDown = 0;
    HandupCall m_handup;
};
