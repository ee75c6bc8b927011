#pragma once
// The frame shared by the quiz panels and the notice editor: a frameless
// room panel dragged with the left button pressed within its top 40 pixels,
// whose style-sheet background (colour, border) is painted. GUI thread only.
#include "widgets/StyledBackground.h"
#include "widgets/TitleDrag.h"

#include <QWidget>

class QuestionPanel : public QWidget {
public:
    static constexpr int kDragBand = 40;

protected:
    explicit QuestionPanel(QWidget* parent) : QWidget(parent) {}
    void paintEvent(QPaintEvent*) override { PaintStyledBackground(this); }

private:
    TitleDrag m_drag{this, kDragBand};  // GUI thread only
};
