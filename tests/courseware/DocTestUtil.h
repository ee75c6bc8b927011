#pragma once
// Helpers of the courseware tests: the message boxes a widget shows, the
// log's text, screenshots.
#include "TempDir.h"
#include "TestPaths.h"
#include "app/Logger.h"
#include "widgets/MsgBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <vector>

namespace doctest {

// Each test process keeps its data (and so its log file) in a folder of its
// own, set up before anything of the program runs: parallel tests never
// write into one another's log.
inline testsupport::TempHome& privateHome()
{
    static testsupport::TempHome home;
    return home;
}
inline const bool kPrivateHomeReady = (privateHome(), true);

// Every message box that is shown now, oldest first.
inline std::vector<MsgBox*> shownBoxes()
{
    std::vector<MsgBox*> out;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* b = qobject_cast<MsgBox*>(w))
            if (b->isVisible())
                out.push_back(b);
    return out;
}

inline QString boxText(MsgBox* b) { return b->findChild<QLabel*>("labMsg")->text(); }
inline QString boxTitle(MsgBox* b) { return b->windowTitle(); }
inline QPushButton* boxButton(MsgBox* b, const char* name) { return b->findChild<QPushButton*>(name); }

// Closes (and so deletes) every shown box, as cancel.
inline void closeBoxes()
{
    for (MsgBox* b : shownBoxes())
        b->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline std::string logText() { return testsupport::readFile(Logger::instance()->fileName().toStdString()); }

inline int countOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

inline void saveScreenshot(QWidget* w, const char* name)
{
    QCoreApplication::processEvents();
    w->grab().save(QString::fromStdString(testsupport::screenshotPath(name)));
}

}  // namespace doctest
