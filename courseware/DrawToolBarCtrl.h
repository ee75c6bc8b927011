#pragma once
// The floating drawing tool bar over the whiteboard: chooses the board's
// tool (document click-through, select and move, pen, text, shapes, delete,
// highlighter) by button or shortcut, clears the board, and owns the option
// menu that opens over the pen, text and shapes buttons. The teacher gets a
// horizontal bar that can be dragged by its border; the student side is a
// column of five buttons driven by the teacher's permissions. Every choice
// goes to the whiteboard library through the room. GUI thread only.
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class DrawTooBarForm;
}
class DrawToolMenuWidget;
class OperatePushButton;
class QButtonGroup;

class DrawToolBarCtrl : public QWidget {
    Q_OBJECT
public:
    // Ids of the tool button group (and the hover types of the buttons).
    enum ToolId { ToolNone = 0, ToolMove = 1, ToolPen = 2, ToolText = 3, ToolGraph = 4, ToolDelete = 5,
                  ToolLaserPen = 6 };
    static constexpr int MenuHideMs = 500;
    static constexpr int BorderWidth = 4;  // the drag border of the teacher's bar

    explicit DrawToolBarCtrl(QWidget* parent);
    ~DrawToolBarCtrl() override;

    // Lays the bar out for the role and the room kind and shows it (teacher).
    void InitToolBar();
    // Selects the tool of id as if its button were clicked; false when id
    // was already the checked one (its code is sent again) or unknown.
    bool SelectTool(int id);
    void SelectRandomColor();
    // Student side: the pen and click permissions; always true.
    bool SetStudentAuth(bool penAllowed, bool clickAllowed);
    // Checks the shapes button without sending a tool; false when it was checked.
    bool SelectGraphButton();
    // Paints the menu's pen and text colours on their buttons.
    void UpdateColorMarks();
    // Follows the whiteboard display (not in live rooms).
    void UpdatePosition();

    DrawToolMenuWidget* GetMenu() const { return m_menu.get(); }
    QButtonGroup* GetToolGroup() const { return m_toolGroup; }

public slots:
    void on_insertAudioBtn_clicked();
    void on_insertPictureBtn_clicked();
    void on_insertVideoBtn_clicked();
    void on_screenshotBtn_clicked();
    void slotGroupBtnClicked(int id);
    void on_clearBtn_clicked();
    void on_stuSelect_clicked();
    void on_stuPen_clicked();
    void on_stuText_clicked();
    void on_stuDelete_clicked();
    void onMenuWdgHideTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void InitWidget();
    void InitButtonGroup();
    void insertFile(int kind, const QString& filter);
    bool draggable() const;  // the teacher's bar outside live rooms
    QWidget* wbWidget() const;

    Ui::DrawTooBarForm* ui = nullptr;
    QButtonGroup* m_toolGroup = nullptr;          // child of the bar
    std::shared_ptr<DrawToolMenuWidget> m_menu;   // child of the top-level window; null without a parent
    QTimer m_menuHideTimer;
    bool m_dragging = false;
    QPoint m_lastGlobalPos;
    bool m_inBorder = false;
};
