#pragma once
// A drawing tool button: entering it announces the hover on the bus topic
// "enterOperateBtnEvent" as [hover type, the button], which opens or hides
// the drawing tool menu; checked, it paints its mark colour (the current pen
// or text colour) behind its icon. GUI thread only.
#include <QPushButton>

class OperatePushButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr int NoMark = -1;

    explicit OperatePushButton(QWidget* parent = nullptr);

    void SetHoverType(int type) { m_hoverType = type; }
    int GetHoverType() const { return m_hoverType; }
    // 0x00RRGGBB, or NoMark.
    void SetMarkColor(int rgb) { m_markColor = rgb; }
    int GetMarkColor() const { return m_markColor; }

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_hoverType = 0;
    int m_markColor = NoMark;
};
