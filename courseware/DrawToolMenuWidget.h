#pragma once
// The drawing tool bar's pop-up options, opened over the hovered pen, text
// or shapes button: pen widths and colours, font sizes and text colours, and
// the shape (line, rectangle, ellipse). Every choice goes to the whiteboard
// at once and selects the matching tool on the bar. It keeps the current pen
// and text colours (the bar's colour marks) and follows font sizes the
// whiteboard reports. GUI thread only.
#include <QVariant>
#include <QWidget>

namespace Ui {
class DrawToolMenuForm;
}
class DrawToolBarCtrl;
class QAbstractButton;
class QButtonGroup;
class QGridLayout;

class DrawToolMenuWidget : public QWidget {
    Q_OBJECT
public:
    // The swatches of both colour grids, 0x00RRGGBB, in grid order.
    static const int Colors[12];
    static constexpr int WhiteIndex = 8;  // never chosen at random

    explicit DrawToolMenuWidget(QWidget* parent);
    ~DrawToolMenuWidget() override;

    void SetToolBar(DrawToolBarCtrl* toolBar) { m_toolBar = toolBar; }
    int GetPenColor() const { return m_penColor; }
    int GetTextColor() const { return m_textColor; }
    // The bar's tool button toolId was clicked: true when the menu sent the
    // tool and its options itself (pen 2, text 3, shapes 4).
    bool ApplyTool(int toolId);
    // A pen colour chosen by the clock (white excluded).
    void SelectRandomColor();
    // The colour SelectRandomColor picks at secondsSince1970.
    void SelectRandomColorAt(qint64 secondsSince1970);

    QButtonGroup* GetPenWidthGroup() const { return m_penWidthGroup; }
    QButtonGroup* GetPenColorGroup() const { return m_penColorGroup; }
    QButtonGroup* GetTextColorGroup() const { return m_textColorGroup; }
    QButtonGroup* GetFontSizeGroup() const { return m_fontSizeGroup; }
    QButtonGroup* GetShapeGroup() const { return m_shapeGroup; }

public slots:
    void slotEnterOperateBtnEvent(const QVariantList& args);
    void onWBLibCmd(int cmd, const QVariant& data);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void initGroups();
    QButtonGroup* colorGroup(QGridLayout* grid);
    // A swatch of the pen (pen true) or the text colour grid was clicked.
    void onColor(QAbstractButton* button, bool pen);
    void onPenWidth(int width);
    void onFontSize(int size);
    void onShape(int tool);

    Ui::DrawToolMenuForm* ui = nullptr;
    int m_penColor;
    int m_textColor;
    QButtonGroup* m_penWidthGroup = nullptr;   // children of the menu
    QButtonGroup* m_penColorGroup = nullptr;
    QButtonGroup* m_textColorGroup = nullptr;
    QButtonGroup* m_fontSizeGroup = nullptr;
    QButtonGroup* m_shapeGroup = nullptr;
    DrawToolBarCtrl* m_toolBar = nullptr;      // the bar that owns the menu
};
