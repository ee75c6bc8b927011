#include "courseware/DrawToolBarCtrl.h"

#include "app/CData.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "courseware/DrawToolMenuWidget.h"
#include "courseware/OperatePushButton.h"
#include "ui_DrawToolBarCtrl.h"
#include "widgets/ScreenshotCtrl.h"
#include "widgets/StyledBackground.h"
#include "widgets/Toast.h"

#include "WhiteBoardLib.h"
#include "widgets/FilePrompt.h"

#include <QButtonGroup>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>

namespace {

CWhiteBoardLib* wbLib()
{
    return Room::instance()->GetWBLib();
}

void setTool(int code)
{
    if (CWhiteBoardLib* wb = wbLib())
        wb->SetTool(code);
}

// Status key: the room media player occupies the board.
constexpr int kStatusMediaShown = 1002;

}  // namespace

DrawToolBarCtrl::DrawToolBarCtrl(QWidget* parent) : QWidget(parent), ui(new Ui::DrawTooBarForm)
{
    ui->setupUi(this);
    hide();
    InitWidget();
    setMouseTracking(true);
    ui->multimediaWidget->hide();
    ui->screenshotBtn->hide();
    connect(&m_menuHideTimer, &QTimer::timeout, this, &DrawToolBarCtrl::onMenuWdgHideTimer);
}

DrawToolBarCtrl::~DrawToolBarCtrl()
{
    m_menuHideTimer.stop();
    if (m_menu)
        m_menu->removeEventFilter(this);
    m_menu.reset();
    delete ui;
}

void DrawToolBarCtrl::InitWidget()
{
    InitButtonGroup();
    if (parentWidget()) {
        auto* menu = new DrawToolMenuWidget(PubUtils::GetTopWidget(this));
        // The top-level window may go first and take the menu with it.
        QPointer<DrawToolMenuWidget> guard(menu);
        m_menu = std::shared_ptr<DrawToolMenuWidget>(menu, [guard](DrawToolMenuWidget*) { delete guard.data(); });
        m_menu->installEventFilter(this);
        m_menu->SetToolBar(this);
        m_menu->hide();
    }
    for (QWidget* child : findChildren<QWidget*>())
        child->setCursor(Qt::ArrowCursor);
}

void DrawToolBarCtrl::InitButtonGroup()
{
    m_toolGroup = new QButtonGroup(this);
    m_toolGroup->setExclusive(true);
    const struct {
        OperatePushButton* button;
        int id;
        const char* shortcut;
        QString tip;
    } tools[] = {
        {ui->noneBtn, ToolNone, "Ctrl+G", tr("PPT点击(ctrl+G)")},
        {ui->moveBtn, ToolMove, "Ctrl+M", tr("选择和移动(ctrl+M)")},
        {ui->penBtn, ToolPen, "Ctrl+P", tr("画笔(ctrl+P)")},
        {ui->textBtn, ToolText, "Ctrl+T", tr("文本(ctrl+T)")},
        {ui->graphBtn, ToolGraph, "Ctrl+1", tr("直线(ctrl+1)")},
        {ui->deleteBtn, ToolDelete, "Ctrl+D", tr("删除(ctrl+D/Del)")},
        {ui->laserPenBtn, ToolLaserPen, "Ctrl+L", tr("荧光笔(ctrl+L)")},
    };
    for (const auto& t : tools) {
        m_toolGroup->addButton(t.button, t.id);
        t.button->SetHoverType(t.id);
    }
    ui->stuPen->SetHoverType(ToolPen);
    ui->stuText->SetHoverType(ToolText);
    connect(m_toolGroup, &QButtonGroup::idClicked, this, &DrawToolBarCtrl::slotGroupBtnClicked);
    ui->noneBtn->setChecked(true);
    ui->noneBtn->click();
    for (const auto& t : tools) {
        t.button->setShortcut(QKeySequence(t.shortcut));
        t.button->setToolTip(t.tip);
    }
    ui->clearBtn->setShortcut(QKeySequence("Ctrl+C"));
    ui->clearBtn->setToolTip(tr("清屏(ctrl+C)"));
}

void DrawToolBarCtrl::slotGroupBtnClicked(int id)
{
    if (m_menu && m_menu->ApplyTool(id))
        return;
    switch (id) {
    case ToolNone: setTool(WBTool_Click); break;
    case ToolMove: setTool(WBTool_Select); break;
    case ToolDelete: setTool(WBTool_Delete); break;
    case ToolLaserPen: setTool(WBTool_Highlighter); break;
    default: break;
    }
}

bool DrawToolBarCtrl::SelectTool(int id)
{
    UpdateColorMarks();
    if (!m_toolGroup)
        return false;
    int code = 0;
    QAbstractButton* button = nullptr;
    switch (id) {
    case ToolNone: code = WBTool_Click; button = ui->noneBtn; break;
    case ToolMove: code = WBTool_Select; button = ui->moveBtn; break;
    case ToolPen: code = WBTool_Pen; button = ui->penBtn; break;
    case ToolText: code = WBTool_Text; button = ui->textBtn; break;
    case ToolDelete: code = WBTool_Delete; button = ui->deleteBtn; break;
    default: return false;
    }
    if (id == m_toolGroup->checkedId()) {
        setTool(code);
        return false;
    }
    const bool blocked = m_toolGroup->blockSignals(true);
    setTool(code);
    button->setChecked(true);
    emit button->clicked(true);
    m_toolGroup->blockSignals(blocked);
    UpdateColorMarks();
    return true;
}

bool DrawToolBarCtrl::SelectGraphButton()
{
    if (m_toolGroup->checkedId() == ToolGraph)
        return false;
    disconnect(m_toolGroup, &QButtonGroup::idClicked, this, &DrawToolBarCtrl::slotGroupBtnClicked);
    ui->graphBtn->setChecked(true);
    emit ui->graphBtn->clicked(true);
    connect(m_toolGroup, &QButtonGroup::idClicked, this, &DrawToolBarCtrl::slotGroupBtnClicked);
    return true;
}

void DrawToolBarCtrl::SelectRandomColor()
{
    if (m_menu)
        m_menu->SelectRandomColor();
}

void DrawToolBarCtrl::UpdateColorMarks()
{
    if (!m_menu)
        return;
    for (OperatePushButton* b : {ui->penBtn, ui->stuPen}) {
        b->SetMarkColor(m_menu->GetPenColor());
        b->update();
    }
    for (OperatePushButton* b : {ui->textBtn, ui->stuText}) {
        b->SetMarkColor(m_menu->GetTextColor());
        b->update();
    }
}

QWidget* DrawToolBarCtrl::wbWidget() const
{
    CWhiteBoardLib* wb = wbLib();
    return wb ? wb->GetWBWidget() : nullptr;
}

void DrawToolBarCtrl::InitToolBar()
{
    CData* data = CData::instance();
    const bool teacher = data->IsTeacher();
    if (data->IsLiveRoom()) {
        setStyleSheet(QString());
        if (parentWidget())
            parentWidget()->installEventFilter(this);
        ui->stuWidget->hide();
        if (teacher) {
            setFixedSize(350, 40);
            UpdateColorMarks();
            SelectTool(ToolPen);
        } else {
            setFixedSize(200, 40);
            UpdateColorMarks();
            SelectTool(ToolNone);
            for (QWidget* w : {static_cast<QWidget*>(ui->noneBtn), static_cast<QWidget*>(ui->textBtn),
                               static_cast<QWidget*>(ui->screenshotBtn), static_cast<QWidget*>(ui->graphBtn),
                               static_cast<QWidget*>(ui->laserPenBtn), static_cast<QWidget*>(ui->clearBtn)})
                w->hide();
        }
    } else {
        if (QWidget* board = wbWidget())
            board->installEventFilter(this);
        if (teacher) {
            setStyleSheet("QWidget#DrawTooBarForm {border-radius:10px;background:#5d6971;}");
            ui->stuWidget->hide();
            setFixedSize(350, 40);
            UpdateColorMarks();
            SelectTool(ToolPen);
        } else {
            setStyleSheet("QWidget#DrawTooBarForm {border-radius:10px;background:transparent;}");
            ui->drawWidget->hide();
            setFixedSize(70, 240);
            UpdateColorMarks();
            SelectTool(ToolNone);
        }
        UpdatePosition();
    }
    if (!teacher) {
        hide();
        for (QWidget* w : {static_cast<QWidget*>(ui->stuClick), static_cast<QWidget*>(ui->stuSelect),
                           static_cast<QWidget*>(ui->stuPen), static_cast<QWidget*>(ui->stuText),
                           static_cast<QWidget*>(ui->stuDelete)})
            w->hide();
    } else if (!data->GetStatus(kStatusMediaShown)) {
        show();
    }
}

void DrawToolBarCtrl::UpdatePosition()
{
    QWidget* parent = parentWidget();
    if (CData::instance()->IsLiveRoom() || !parent)
        return;
    QWidget* board = wbWidget();
    if (!board)
        return;
    QPoint at;
    if (ui->drawWidget->isHidden()) {
        at = QPoint(board->width(), (board->height() - height()) / 2);
        if (width() + board->width() >= parent->width())
            at.setX(parent->width() - width() - 5);
    } else {
        at = QPoint((board->width() - width()) / 2, board->height() - 50 - height());
    }
    move(parent->isAncestorOf(board) ? board->mapTo(parent, at) : parent->mapFromGlobal(board->mapToGlobal(at)));
    if (!CData::instance()->GetStatus(kStatusMediaShown)) {
        raise();
        show();
    }
}

bool DrawToolBarCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (m_menu && watched == m_menu.get()) {
        if (event->type() == QEvent::Show && !m_menuHideTimer.isActive())
            m_menuHideTimer.start(MenuHideMs);
        else if (event->type() == QEvent::Hide && m_menuHideTimer.isActive())
            m_menuHideTimer.stop();
    } else if (CData::instance()->IsLiveRoom()) {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            move(0, 0);
    } else if (watched == wbWidget() && event->type() == QEvent::Resize) {
        UpdatePosition();
    }
    return QWidget::eventFilter(watched, event);
}

void DrawToolBarCtrl::onMenuWdgHideTimer()
{
    if (!m_menu)
        return;
    const QPoint g = QCursor::pos();
    const bool overBar = parentWidget() ? geometry().contains(parentWidget()->mapFromGlobal(g))
                                        : geometry().contains(g);
    if (!overBar && !m_menu->geometry().contains(g)) {
        if (m_menuHideTimer.isActive())
            m_menuHideTimer.stop();
        m_menu->hide();
    }
}

bool DrawToolBarCtrl::draggable() const
{
    CData* data = CData::instance();
    return data->IsTeacher() && !data->IsLiveRoom();
}

void DrawToolBarCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!draggable())
        return;
    if (m_menu && m_menu->isVisible()) {
        const QWidget* top = window();
        const int x = top->mapFromGlobal(event->globalPos()).x();
        const QRect menu = m_menu->geometry();
        if (x < menu.left() || x > menu.right())
            m_menu->hide();
    }
    if (m_dragging) {
        if (event->buttons() & Qt::LeftButton) {
            const QPoint delta = event->globalPos() - m_lastGlobalPos;
            m_lastGlobalPos = event->globalPos();
            QPoint to = pos() + delta;
            if (QWidget* parent = parentWidget()) {
                to.setX(std::max(0, std::min(to.x(), parent->width() - width())));
                to.setY(std::max(0, std::min(to.y(), parent->height() - height())));
            }
            move(to);
        }
        return;
    }
    QRect inner(0, 0, width() - 2 * BorderWidth, height() - 2 * BorderWidth);
    inner.moveCenter(rect().center());
    m_inBorder = !inner.contains(event->pos());
    setCursor(m_inBorder ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void DrawToolBarCtrl::mousePressEvent(QMouseEvent* event)
{
    if (!draggable())
        return;
    if ((event->buttons() & Qt::LeftButton) && m_inBorder) {
        m_dragging = true;
        m_lastGlobalPos = event->globalPos();
    }
    if (m_menu)
        m_menu->hide();
}

void DrawToolBarCtrl::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
    m_inBorder = false;
}

void DrawToolBarCtrl::enterEvent(QEvent* event)
{
    QWidget::enterEvent(event);
}

void DrawToolBarCtrl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_menu && m_menu->isVisible() && mapFromGlobal(QCursor::pos()).y() >= height() - 1)
        m_menu->hide();
    setCursor(Qt::ArrowCursor);
}

void DrawToolBarCtrl::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}

void DrawToolBarCtrl::on_clearBtn_clicked()
{
    if (CWhiteBoardLib* wb = wbLib())
        wb->ClearBoard();
}

void DrawToolBarCtrl::on_stuSelect_clicked()
{
    SelectTool(ToolMove);
}

void DrawToolBarCtrl::on_stuPen_clicked()
{
    SelectTool(ToolPen);
}

void DrawToolBarCtrl::on_stuText_clicked()
{
    SelectTool(ToolText);
}

void DrawToolBarCtrl::on_stuDelete_clicked()
{
    SelectTool(ToolDelete);
}

void DrawToolBarCtrl::insertFile(int kind, const QString& filter)
{
    const QString path = FilePrompt::OpenFileName(this, tr("选择文件"), ".", filter);
    if (path.isEmpty())
        return;
    if (CWhiteBoardLib* wb = wbLib())
        wb->InsertObject(kind, path, QVariant(0));  // the path as chosen: no copy, no upload
}

void DrawToolBarCtrl::on_insertAudioBtn_clicked()
{
    insertFile(WBObject_Audio, "*.mp3 *.wav *.m4a");
}

void DrawToolBarCtrl::on_insertPictureBtn_clicked()
{
    insertFile(WBObject_Picture, "*.jpg *.jpeg *.png *.bmp");
}

void DrawToolBarCtrl::on_insertVideoBtn_clicked()
{
    insertFile(WBObject_Video, "*.rmvb *.flv *.mp4 *.avi");
}

void DrawToolBarCtrl::on_screenshotBtn_clicked()
{
    ScreenshotCtrl capture;
    connect(
        &capture, &ScreenshotCtrl::sigScreenshotFinished, this,
        [](const QString& path) {
            if (CWhiteBoardLib* wb = wbLib())
                wb->InsertObject(WBObject_Picture, path, QVariant(0));
        },
        Qt::QueuedConnection);
    capture.exec();
}

bool DrawToolBarCtrl::SetStudentAuth(bool penAllowed, bool clickAllowed)
{
    if (penAllowed) {
        if (ui->stuSelect->isHidden()) {
            ui->stuPen->setChecked(true);
            SelectTool(ToolPen);
            SelectRandomColor();
        }
        Toast::ShowToast(tr("老师开启了您的画笔交互功能"), this, 3000);
    } else {
        SelectTool(ToolNone);
    }
    if (clickAllowed)
        Toast::ShowToast(tr("老师开启了您的点击互动功能"), this, 3000);
    ui->stuClick->setVisible(clickAllowed);
    for (QWidget* w : {static_cast<QWidget*>(ui->stuSelect), static_cast<QWidget*>(ui->stuPen),
                       static_cast<QWidget*>(ui->stuText), static_cast<QWidget*>(ui->stuDelete)})
        w->setVisible(penAllowed);
    UpdatePosition();
    return true;
}
