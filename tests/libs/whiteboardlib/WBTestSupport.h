// Shared helpers of the whiteboard library tests: a recording callback, a
// board made in a shown host widget, pixel probes and mouse strokes.
#pragma once

#include "WBRoomDocs.h"
#include "WhiteBoardLib.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

namespace wbtest {

struct Answer
{
    int code = -1;
    QVariantMap map;
    QThread* thread = nullptr;
    bool duringCall = false; // the callback ran while an operation was running
};

class Recorder
{
public:
    static Recorder& get()
    {
        static Recorder r;
        return r;
    }
    void add(int code, const QVariant& v)
    {
        QMutexLocker lock(&m_lock);
        m_answers.push_back({code, v.toMap(), QThread::currentThread(), m_inCall.load()});
    }
    QList<Answer> answers()
    {
        QMutexLocker lock(&m_lock);
        return m_answers;
    }
    QList<Answer> ofCode(int code)
    {
        QList<Answer> out;
        for (const auto& a : answers())
            if (a.code == code)
                out.push_back(a);
        return out;
    }
    int count(int code) { return ofCode(code).size(); }
    void clear()
    {
        QMutexLocker lock(&m_lock);
        m_answers.clear();
    }
    bool logged(const QString& part)
    {
        for (const auto& a : ofCode(RsWB_Log))
            if (a.map.value("log").toString().contains(part))
                return true;
        return false;
    }
    std::atomic<bool> m_inCall{false};

private:
    QMutex m_lock;
    QList<Answer> m_answers;
};

inline void recordAnswer(WBRs code, const QVariant& v)
{
    Recorder::get().add(code, v);
}

// Runs one library operation, marking the time it runs.
template <class F>
auto call(F f)
{
    Recorder::get().m_inCall = true;
    auto r = f();
    Recorder::get().m_inCall = false;
    return r;
}

// Like testsupport::waitUntil, but through QTest::qWait, which also runs
// deferred deletions (the board's text editor goes with deleteLater).
inline bool waitFor(const std::function<bool()>& cond, int timeoutMs = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

inline QVariantMap config(const QString& urlWB = "https://wb.example/rqs/twbproxy")
{
    QVariantMap m;
    m["appData"] = QDir::tempPath();
    m["urlWB"] = urlWB;
    m["userType"] = 1;
    m["curlLocker"] = qlonglong(0);
    return m;
}

inline QStringList loginVars(const QString& room = "room1")
{
    return {"token|6", room, "u1", "teacher", "g1", "2"};
}

inline bool isColor(QRgb px, QRgb want, int tolerance = 40)
{
    return qAbs(qRed(px) - qRed(want)) <= tolerance && qAbs(qGreen(px) - qGreen(want)) <= tolerance
        && qAbs(qBlue(px) - qBlue(want)) <= tolerance;
}

inline QString writeSolidPng(const QString& path, QRgb color, QSize size = QSize(160, 90))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    img.save(path, "PNG");
    return path;
}

// A board in a shown 640 x 360 host, entered into a room.
class BoardFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Recorder::get().clear();
        host.reset(new QWidget);
        host->resize(640, 360);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        lib = WBCreateLib(host.get(), recordAnswer, QVariant(boardConfig()));
        ASSERT_NE(lib, nullptr);
        if (enterOnSetUp()) {
            ASSERT_TRUE(call([&] { return lib->EnterRoom(QVariant(loginVars())); }));
            ASSERT_TRUE(waitFor([] { return Recorder::get().count(RsWB_DocChanged) > 0; }));
        }
    }
    void TearDown() override
    {
        WBReleaseLib(lib);
        lib = nullptr;
        host.reset();
        wbdocs::ClearAllRooms();
    }
    virtual QString urlWB() const { return "https://wb.example/rqs/twbproxy"; }
    virtual QVariantMap boardConfig() const { return config(urlWB()); }
    virtual bool enterOnSetUp() const { return true; }

    QWidget* board() { return lib->GetWBWidget(); }
    QImage shot() { return board()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb pixel(int x, int y) { return shot().pixel(x, y); }

    void drag(QPoint from, QPoint to, int steps = 8)
    {
        QTest::mousePress(board(), Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 1; i <= steps; ++i) {
            const QPoint at = from + (to - from) * i / steps;
            QMouseEvent move(QEvent::MouseMove, at, board()->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(board(), &move);
        }
        QTest::mouseRelease(board(), Qt::LeftButton, Qt::NoModifier, to);
    }
    // A pen path through several points.
    void stroke(const QVector<QPoint>& points)
    {
        QTest::mousePress(board(), Qt::LeftButton, Qt::NoModifier, points.first());
        for (int i = 1; i < points.size(); ++i) {
            QMouseEvent move(QEvent::MouseMove, points[i], board()->mapToGlobal(points[i]), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(board(), &move);
        }
        QTest::mouseRelease(board(), Qt::LeftButton, Qt::NoModifier, points.last());
    }
    // With the text tool: a click, the text typed, Return. False when no
    // editor opened or it did not close.
    bool writeText(QPoint at, const QString& text)
    {
        click(at);
        auto* editor = board()->findChild<QLineEdit*>("WBTextEditor");
        if (!editor)
            return false;
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        return waitFor([&] { return board()->findChild<QLineEdit*>("WBTextEditor") == nullptr; });
    }
    void click(QPoint at)
    {
        QTest::mouseClick(board(), Qt::LeftButton, Qt::NoModifier, at);
    }
    // Waits for a log line posted after everything asked so far: any answer
    // due before it has then arrived.
    void settle()
    {
        static int n = 0;
        const QString mark = QString("settle-%1").arg(++n);
        lib->SetDualMode(mark); // refused with a log line naming the mode
        ASSERT_TRUE(waitFor([&] { return Recorder::get().logged(mark); }));
    }

    std::unique_ptr<QWidget> host;
    CWhiteBoardLib* lib = nullptr;
};

} // namespace wbtest
