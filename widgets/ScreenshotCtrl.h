#pragma once
// Screen-area capture: a full-screen dialog over a frozen, darkened image of
// the desktop. The first left press starts one selection (a 32 x 32 square
// below and right of the press point) that follows the pointer until the
// release; then a confirmation bar shows under it and the selection can be
// moved or resized. OK copies the selected image to the clipboard, saves it
// as a PNG file under the temporary folder's "screenshot" folder and reports
// the file; cancel and Escape close without anything. Its users make it
// without a parent and run it with exec(). GUI thread only.
#include <QDialog>
#include <QPixmap>
#include <QRect>

#include <memory>

class ScreenshotControlWidget;
class ScreenshotInductorWidget;
class ScreenshotRectWidget;

class ScreenshotCtrl : public QDialog {
    Q_OBJECT
public:
    static constexpr int StartSide = 32;  // the first selection's square below and right of the press

    explicit ScreenshotCtrl(QWidget* parent = nullptr);
    ~ScreenshotCtrl() override;

    // Parts, for their users' checks; the selection is null before the first press.
    ScreenshotRectWidget* GetSelection() const { return m_rect.get(); }
    ScreenshotInductorWidget* GetSizeTip() const { return m_sizeTip.get(); }
    ScreenshotInductorWidget* GetLimitTip() const { return m_limitTip.get(); }
    ScreenshotControlWidget* GetControlBar() const { return m_controlBar.get(); }
    QRect GetScreenRect() const { return m_screenRect; }
    std::shared_ptr<QPixmap> GetFullScreenImage() const { return m_fullScreen; }

signals:
    void sigCursorPosChange(int x, int y);
    // The saved PNG file; at most once, only when the file was written.
    void sigScreenshotFinished(QString filePath);

public slots:
    void slotOnCancelBtnClicked();
    void slotOnOkBtnClicked();
    void slotOnScreenshotAreaChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void placeLimitTip(const QRect& r);

    std::shared_ptr<QPixmap> m_fullScreen;                // shared with the selection
    std::shared_ptr<QPixmap> m_background;                // the full-screen image darkened
    std::shared_ptr<ScreenshotInductorWidget> m_sizeTip;  // child
    std::shared_ptr<ScreenshotInductorWidget> m_limitTip; // child
    std::shared_ptr<ScreenshotRectWidget> m_rect;         // child; null until the first press
    std::shared_ptr<ScreenshotControlWidget> m_controlBar; // child
    QRect m_screenRect;
    bool m_selecting = false;
    bool m_finished = false;
};
