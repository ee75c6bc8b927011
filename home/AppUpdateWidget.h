#pragma once
// The new-version dialog of the update prompt: a frameless, always-on-top
// card under the update logo with the installed version and the buttons
// "暂不升级" and "立即更新". Every close reports once through sgCloseWidget
// whether "立即更新" was pressed. GUI thread only.
#include "widgets/TitleDrag.h"

#include <QDialog>

namespace Ui {
class AppUpdateWidget;
}
class QLabel;
class QTimer;

class AppUpdateWidget : public QDialog {
    Q_OBJECT
public:
    // autoCloseSeconds above 0 closes the dialog (answer false) after that time.
    AppUpdateWidget(QWidget* parent, bool deleteOnClose, int autoCloseSeconds);
    ~AppUpdateWidget() override;

    // The message; a non-empty title becomes the window title. Raises the dialog.
    void SetMsgText(const QString& text, const QString& title);
    // Non-empty texts replace the button texts; the cancel button and its
    // separator show only when showCancel.
    void SetButtonText(bool showCancel, const QString& okText, const QString& cancelText);

    // The height of the band that drags the window.
    static constexpr int kDragBand = 100;

signals:
    void sgCloseWidget(bool bOk, AppUpdateWidget* pDlg);

public slots:
    void onButtonClick();
    void onUpdateTimer();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Ui::AppUpdateWidget* ui = nullptr;  // the form, owned
    QLabel* m_logo = nullptr;           // child, over the title band
    QTimer* m_timer = nullptr;          // child; only with an auto-close time
    int m_seconds = 0;
    bool bOk = false;                   // "立即更新" was pressed
    TitleDrag m_drag{this, kDragBand};  // frameless drag by the top band
};
