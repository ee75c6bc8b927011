#pragma once
// A colour swatch of the drawing tool menu: a 14 x 14 square of its colour
// inside a white outline (faint while unchecked). GUI thread only.
#include <QPushButton>

class ColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColorButton(int rgb, QWidget* parent = nullptr);

    int GetColor() const { return m_color; }  // 0x00RRGGBB

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_color;
};
