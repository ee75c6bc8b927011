#pragma once
// The program's question and notice box: a frameless, always-on-top dialog
// with a title line and close button, a centred word-wrapped message, an OK
// button and an optional cancel button; it may close itself after a number
// of seconds. It is not modal: ShowMsg shows and raises it and returns at
// once; the answer arrives through sgCloseMsgBox and, where given, the
// callback. Only the OK button answers true; the close button, the cancel
// button, the time-out and a caller's own close() answer false. Each close
// answers exactly once (the time-out stops with the first close).
// GUI thread only.
#include "widgets/TitleDrag.h"

#include <QDialog>
#include <QPoint>

namespace Ui {
class msgbox;
}
class QTimer;

class MsgBox : public QDialog {
    Q_OBJECT
public:
    using Callback = void (*)(bool bOk, void* userData);

    // Heights the box takes for short and long messages; the width is fixed.
    static constexpr int ShortHeight = 193;
    static constexpr int LongHeight = 253;
    static constexpr int Width = 394;
    static constexpr int LongTextChars = 100;  // UTF-16 code units from which a text is long
    static constexpr int DragStripHeight = 40;

    MsgBox(QWidget* parent, bool deleteOnClose, int autoCloseSeconds);
    ~MsgBox() override;

    // The message, the window title when title is not empty, and the height.
    void SetMsgText(const QString& text, const QString& title = QString());
    // Non-empty texts replace "确定" / "取消"; the cancel button shows only when showCancel.
    void SetButtonText(bool showCancel, const QString& okText = QString(), const QString& cancelText = QString());
    // Stores the callback (may be null) and userData, then shows and raises the box.
    void ShowMsg(Callback callback = nullptr, void* userData = nullptr);

signals:
    // Once for every close of the box, before the callback.
    void sgCloseMsgBox(bool bOk, MsgBox* pDlg);

public slots:
    void onButtonClick();
    void onUpdateTimer();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TitleDrag m_drag{this, DragStripHeight};  // frameless drag by the top strip
    Ui::msgbox* ui = nullptr;
    QTimer* m_timer = nullptr;  // the auto-close timer (a child); null without one
    int m_autoCloseSeconds = 0;
    Callback m_callback = nullptr;
    void* m_userData = nullptr;
    bool m_bOk = false;  // the answer of the close under way
};
