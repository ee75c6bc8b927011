#pragma once
// Bullet comments over the whiteboard area: each chat text becomes a red
// label that slides from the right edge of the screen widget to beyond its
// left edge, on a row picked by the time. Twenty labels are made once and
// reused; a text that finds no free label is dropped. Nothing is shown until
// the overlay is enabled.
//
// GUI thread only, like every member.
#include <QObject>

#include <functional>
#include <list>
#include <string>

class QLabel;
class QWidget;

class CBarrageScreen : public QObject {
    Q_OBJECT
public:
    static constexpr int kLabels = 20;
    static constexpr int kFlightMs = 6000;
    // "<img source = \":/face/res/face": a text carrying an emoticon is never shown.
    static const char* const kFaceTag;

    explicit CBarrageScreen(QWidget* screen);
    ~CBarrageScreen() override;

    // Shows one comment (UTF-8 text).
    void AddMessage(const std::string& text);

    void SetEnabled(bool on) { m_enabled = on; }
    bool IsEnabled() const { return m_enabled; }
    // The clock that picks the rows: monotonic milliseconds (tests set their own).
    void SetClock(std::function<qint64()> ms) { m_clock = std::move(ms); }
    // Tests shorten the flight.
    void SetFlightMs(int ms) { m_flightMs = ms; }
    int BusyCount() const { return int(m_busy.size()); }
    int FreeCount() const { return int(m_free.size()); }
    const std::list<QLabel*>& Busy() const { return m_busy; }

    // The row of a label of that height on a screen of that height: the
    // clock modulo the free range; the top row when the screen is not
    // taller than a label.
    static int RowFor(qint64 clockMs, int screenHeight, int labelHeight);

private:
    std::list<QLabel*> m_busy;  // flying, shown
    std::list<QLabel*> m_free;  // hidden, ready
    QWidget* m_screen;          // owns the labels
    bool m_enabled = false;
    std::function<qint64()> m_clock;
    int m_flightMs = kFlightMs;
};
