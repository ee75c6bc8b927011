#pragma once
// A one-line tip over the screen-area capture (the selection's size, or the
// size limit reached): white text on a dark band 22 pixels high whose width
// follows the text. GUI thread only.
#include <QString>
#include <QWidget>

class ScreenshotInductorWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int TipHeight = 22;

    explicit ScreenshotInductorWidget(QWidget* parent = nullptr);

    // Stores the text, fits the width to it (plus 10) and repaints.
    void SetText(const QString& text);
    QString GetText() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
