#pragma once
// Shared set-up of the drawing tool tests: a shown board area with the
// room's real whiteboard library in it, the board's drawing state read back
// by name, and a tool bar made as the main window makes it.
#include "app/CData.h"
#include "app/Room.h"
#include "courseware/DrawToolBarCtrl.h"
#include "courseware/DrawToolMenuWidget.h"
#include "courseware/OperatePushButton.h"
#include "TempDir.h"

#include "WhiteBoardLib.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QTest>
#include <QWidget>

#include <memory>

namespace drawtest {

// The room's whiteboard library, made once on a shown 1000 x 640 window.
inline QWidget* boardArea()
{
    static testsupport::TempHome home;
    static QWidget* area = [] {
        auto* w = new QWidget;
        w->resize(1000, 640);
        w->show();
        Room::instance()->InitLib(w);
        return w;
    }();
    return area;
}

inline CWhiteBoardLib* wb() { return Room::instance()->GetWBLib(); }
inline QWidget* board() { return wb()->GetWBWidget(); }
inline int tool() { return board()->property("tool").toInt(); }
inline int penWidth() { return board()->property("penWidth").toInt(); }
inline QRgb penColor() { return board()->property("penColor").value<QColor>().rgb() & 0xFFFFFF; }
inline QRgb textColor() { return board()->property("textColor").value<QColor>().rgb() & 0xFFFFFF; }
inline int fontSize() { return board()->property("fontSize").toInt(); }
inline int itemCount() { return board()->property("itemCount").toInt(); }

inline const char* kClassTypeSmall = "3";
inline const char* kClassTypeLive = "1";

inline void setRoom(bool live, bool student = false)
{
    CData::instance()->SetLoginVar({"token|6", "room1", "u1", "teacher", "g1", live ? kClassTypeLive : kClassTypeSmall});
    CData::SetStudentSideForTests(student);
    CData::instance()->SetStatus(1002, 0);
}

class DrawToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        area = boardArea();
        ASSERT_NE(wb(), nullptr);
        board()->resize(area->size());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(area));
        setRoom(false);
        wb()->SetTool(WBTool_Select);
        wb()->ClearBoard();
    }
    void TearDown() override
    {
        bar.reset();
        CData::SetStudentSideForTests(false);
        CData::instance()->SetStatus(1002, 0);
    }
    void makeBar()
    {
        bar = std::make_shared<DrawToolBarCtrl>(area);
        menu = bar->GetMenu();
    }
    template <class T = OperatePushButton>
    T* button(const char* name) const
    {
        return bar->findChild<T*>(name);
    }
    template <class T = QAbstractButton>
    T* menuButton(const char* name) const
    {
        return menu->findChild<T*>(name);
    }

    QWidget* area = nullptr;
    std::shared_ptr<DrawToolBarCtrl> bar;
    DrawToolMenuWidget* menu = nullptr;
};

}  // namespace drawtest
