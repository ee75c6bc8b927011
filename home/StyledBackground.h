#pragma once
// Paints a plain widget's style-sheet background (a QWidget subclass draws
// none by itself): for paintEvent overrides of the home window's widgets.
class QWidget;

void PaintStyledBackground(QWidget* widget);
