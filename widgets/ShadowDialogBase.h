#pragma once
// A dialog base that paints its own window border from a shadow image, as a
// nine-part frame (corners at their own size, edges stretched) fitted to the
// dialog, and fills the area inside the border. Frameless dialogs derive
// from it to look like floating windows; the subclass sets its own flags.
// GUI thread only.
#include <QColor>
#include <QDialog>
#include <QPixmap>

class ShadowDialogBase : public QDialog {
    Q_OBJECT
public:
    explicit ShadowDialogBase(QWidget* parent = nullptr);
    ~ShadowDialogBase() override;

protected:
    void paintEvent(QPaintEvent* event) override;

    QPixmap m_shadow;  // empty when the resource is missing: only the fill shows
    int m_left = 5;
    int m_right = 5;
    int m_top = 5;
    int m_bottom = 5;
    QColor m_fill;  // the inside; default-constructed
};
