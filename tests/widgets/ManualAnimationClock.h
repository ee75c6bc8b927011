#pragma once
// The animation clock of the tests: while one exists, every Qt animation of
// this thread advances only when the test moves the clock.
#include <QAbstractAnimation>
#include <QAnimationDriver>
#include <QCoreApplication>

namespace widgettest {

class ManualAnimationClock : public QAnimationDriver {
public:
    ManualAnimationClock() { install(); }
    ~ManualAnimationClock() override { uninstall(); }

    qint64 elapsed() const override { return m_now; }
    qint64 now() const { return m_now; }

    // Moves the clock by ms in small steps, letting queued work run between them.
    void step(int ms, int stepMs = 10)
    {
        QCoreApplication::processEvents();
        for (int done = 0; done < ms; done += stepMs) {
            m_now += qMin(stepMs, ms - done);
            advance();
            QCoreApplication::processEvents();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Moves the clock to `at` ms after its start.
    void stepTo(qint64 at) { step(int(at - m_now)); }

private:
    qint64 m_now = 0;
};

}  // namespace widgettest
