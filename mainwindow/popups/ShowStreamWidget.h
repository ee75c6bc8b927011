#pragma once
// The "录制流地址" pop-up: the address of the stream that the room's recorder
// publishes, read-only, with a copy button; refreshed every second while it
// is visible. Frameless and stay-on-top, dragged by its top 40 pixels, with
// rounded corners. GUI thread only.
#include "mainwindow/popups/TitleDrag.h"

#include <QDialog>

#include <functional>

namespace Ui {
class ShowStreamWidget;
}

class ShowStreamWidget : public QDialog {
    Q_OBJECT
public:
    explicit ShowStreamWidget(QWidget* parent);
    ~ShowStreamWidget() override;

    // Refreshes the address, then shows and raises the pop-up.
    void ShowStream();
    // doIt: clicks the close button (leaving the room).
    void ClickClose(bool doIt);
    QString StreamText() const;

    // The recorder's stream key (the broadcast settings window's field).
    // Until the broadcast settings window is wired in, no key is known and
    // the pop-up shows its placeholder.
    void SetStreamKeySource(std::function<QString()> source) { m_streamKey = std::move(source); }

signals:
    void sgCloseWidget(bool bOk, ShowStreamWidget* pDlg);

public slots:
    void onButtonClick();
    void onTimerUpdate(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateStream();

    TitleDrag m_drag{this, 40};  // frameless drag by the top band
    Ui::ShowStreamWidget* ui;
    bool m_bOk = false;
    std::function<QString()> m_streamKey;
};
