#pragma once
// The media-line chooser of the room's tool bar: one checkable button per
// line ("线路一" to "线路六"); a click on another line switches the room to it
// and emits sgSwitchLine(). A separate frameless window that hides itself
// when it loses activation. GUI thread only.
#include <QVariantMap>
#include <QWidget>

#include <functional>

namespace Ui {
class SwitchLineWidget;
}

class SwitchLineWidget : public QWidget {
    Q_OBJECT
public:
    // The buttons the form holds: lines beyond this many are not offered.
    static constexpr int kMaxLines = 6;

    explicit SwitchLineWidget(QWidget* parent = nullptr);
    ~SwitchLineWidget() override;

    // Fixes the height for the current number of lines (30 px a line + 40).
    void UpdateHeight();
    // Reads the lines, prepares the buttons and shows the chooser; with
    // fewer than two lines nothing is shown.
    void ShowLines();

    int CurrentLine() const { return m_currentLine; }

    // Where the line information comes from and where a switch goes; the
    // session data by default (tests give their own).
    void SetLineSource(std::function<QVariantMap()> info, std::function<void(int)> switchTo);

signals:
    void sgSwitchLine();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // "count" of the line information, bounded to what the form can offer.
    int LineCount(const QVariantMap& info) const;

    Ui::SwitchLineWidget* ui;   // GUI thread only, like every member
    int m_currentLine = 0;
    std::function<QVariantMap()> m_info;
    std::function<void(int)> m_switchTo;
};
