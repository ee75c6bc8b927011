#include "libs/whiteboardlib/src/WBCanvas.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

const int kHighlightMinWidth = 12;
const qreal kMinShapeSize = 1.0; // pixels

QRectF fitInside(const QSizeF& image, const QRectF& area)
{
    if (image.isEmpty() || area.isEmpty())
        return QRectF();
    const QSizeF s = image.scaled(area.size(), Qt::KeepAspectRatio);
    return QRectF(area.center() - QPointF(s.width() / 2, s.height() / 2), s);
}

} // namespace

WBCanvas::WBCanvas(QWidget* parent) : QWidget(parent)
{
    setObjectName("WBCanvas");
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
}

bool WBCanvas::isKnownTool(int tool)
{
    switch (tool) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 7: case 12: case 13:
        return true;
    default:
        return false;
    }
}

void WBCanvas::setTool(int tool)
{
    commitText();
    m_tool = tool;
    if (tool != 1)
        selectItem(-1);
    setCursor(tool == 0 || tool == 1 ? Qt::ArrowCursor : Qt::CrossCursor);
}

void WBCanvas::setDrawAuth(bool pen, bool click)
{
    m_penAuth = pen;
    m_clickAuth = click;
    if (!pen) {
        commitText();
        m_drawing.reset();
        update();
    }
}

void WBCanvas::setBackground(const QImage& image)
{
    m_background = image;
    update();
}

void WBCanvas::clearPage()
{
    commitText();
    page().items.clear();
    m_drawing.reset();
    m_selected = -1;
    update();
}

void WBCanvas::insertCentered(WBItem item, QSizeF size)
{
    const QSizeF board = boardSize();
    if (board.isEmpty())
        return;
    if (size.isEmpty())
        size = item.image.isNull() ? QSizeF(240, 48) : QSizeF(item.image.size());
    // At most 80 % of the board, aspect kept.
    const QSizeF limit = board * 0.8;
    if (size.width() > limit.width() || size.height() > limit.height())
        size.scale(limit, Qt::KeepAspectRatio);
    const QPointF tl((board.width() - size.width()) / 2, (board.height() - size.height()) / 2);
    item.rect = QRectF(toFraction(tl, board), toFraction(tl + QPointF(size.width(), size.height()), board));
    page().items.push_back(item);
    update();
}

int WBCanvas::pageCount() const
{
    return isDocShown() ? m_docPages : m_boardPages;
}

void WBCanvas::showBoardPage(int n)
{
    commitText();
    selectItem(-1);
    m_docId.clear();
    m_docPages = 0;
    m_page = std::clamp(n, 1, m_boardPages);
    m_boardPage = m_page;
    update();
    emit pageStateChanged();
}

void WBCanvas::addBoardPage()
{
    ++m_boardPages;
    showBoardPage(m_boardPages);
}

void WBCanvas::showDocPage(const QString& docId, int n, int count, const QImage& image)
{
    commitText();
    selectItem(-1);
    m_docId = docId;
    m_page = n;
    m_docPages = count;
    page().image = image;
    update();
    emit pageStateChanged();
}

void WBCanvas::dropDoc(const QString& docId)
{
    const QString prefix = docId + "#";
    for (auto it = m_pages.begin(); it != m_pages.end();) {
        if (it.key().startsWith(prefix))
            it = m_pages.erase(it);
        else
            ++it;
    }
    if (m_docId == docId)
        showBoardPage(m_boardPage);
}

void WBCanvas::reset()
{
    commitText();
    m_pages.clear();
    m_docId.clear();
    m_page = m_boardPages = m_boardPage = 1;
    m_docPages = 0;
    m_drawing.reset();
    m_selected = -1;
    update();
    emit pageStateChanged();
}

void WBCanvas::goPrevious()
{
    if (m_page <= 1)
        return;
    if (isDocShown())
        emit docPageWanted(m_docId, m_page - 1);
    else
        showBoardPage(m_page - 1);
}

void WBCanvas::goNext()
{
    if (isDocShown()) {
        if (m_docPages == 0 || m_page < m_docPages)
            emit docPageWanted(m_docId, m_page + 1);
    } else if (m_page < m_boardPages) {
        showBoardPage(m_page + 1);
    }
}

QString WBCanvas::pageKey() const
{
    return m_docId + "#" + QString::number(m_page);
}

WBCanvas::Page& WBCanvas::page()
{
    return m_pages[pageKey()];
}

bool WBCanvas::drawingTool() const
{
    return m_tool != 0 && m_penAuth;
}

int WBCanvas::hitTest(const QPointF& pos)
{
    const auto& items = page().items;
    for (int i = items.size() - 1; i >= 0; --i) {
        if (items[i].hit(pos, boardSize()))
            return i;
    }
    return -1;
}

void WBCanvas::selectItem(int index)
{
    if (m_selected == index)
        return;
    m_selected = index;
    update();
    if (index < 0)
        return;
    const WBItem& item = page().items[index];
    if (item.kind == WBItem::Text && item.fontSize != m_fontSize) {
        m_fontSize = item.fontSize;
        emit textSizePicked(item.fontSize);
    }
}

void WBCanvas::startText(const QPointF& pos)
{
    commitText();
    m_editorAnchor = toFraction(pos, boardSize());
    auto* editor = new QLineEdit(this);
    editor->setObjectName("WBTextEditor");
    QFont f = font();
    f.setPixelSize(m_fontSize);
    editor->setFont(f);
    editor->setFrame(false);
    editor->setStyleSheet(QString("QLineEdit{background:transparent;color:%1;border:1px dashed #5DC0BA;}")
                              .arg(m_textColor.name()));
    editor->setMinimumWidth(120);
    editor->adjustSize();
    editor->move(pos.toPoint());
    editor->show();
    editor->setFocus();
    connect(editor, &QLineEdit::returnPressed, this, &WBCanvas::commitText);
    m_editor = editor;
}

void WBCanvas::commitText()
{
    if (!m_editor)
        return;
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    if (text.trimmed().isEmpty())
        return;
    WBItem item;
    item.kind = WBItem::Text;
    item.text = text;
    item.color = m_textColor;
    item.fontSize = m_fontSize;
    item.rect = QRectF(m_editorAnchor, QSizeF());
    page().items.push_back(item);
    update();
}

void WBCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF area(QPointF(0, 0), boardSize());
    if (m_background.isNull())
        p.fillRect(rect(), Qt::white);
    else
        p.drawImage(area, m_background);
    p.setRenderHint(QPainter::Antialiasing);
    auto it = m_pages.constFind(pageKey());
    if (it != m_pages.constEnd()) {
        if (!it->image.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(fitInside(it->image.size(), area), it->image);
        }
        for (const auto& item : it->items)
            item.paint(p, area.size());
        if (m_selected >= 0 && m_selected < it->items.size()) {
            p.setPen(QPen(QColor(0x2D, 0x8C, 0xF0), 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(it->items[m_selected].bounds(area.size()).adjusted(-3, -3, 3, 3));
        }
    }
    if (m_drawing)
        m_drawing->paint(p, area.size());
}

void WBCanvas::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !drawingTool()) {
        // Click-through: the document or the program gets it, unless clicks
        // on the document are not allowed.
        if (m_tool == 0 && !m_clickAuth)
            e->accept();
        else
            e->ignore();
        return;
    }
    setFocus();
    const QPointF pos = e->localPos();
    const QPointF f = toFraction(pos, boardSize());
    switch (m_tool) {
    case 1: {
        commitText();
        selectItem(hitTest(pos));
        m_dragging = m_selected >= 0;
        m_dragFrom = pos;
        break;
    }
    case 12: {
        commitText();
        const int index = hitTest(pos);
        if (index >= 0) {
            page().items.remove(index);
            m_selected = -1;
            update();
        }
        break;
    }
    case 4:
        startText(pos);
        break;
    default: {
        commitText();
        WBItem item;
        item.color = m_penColor;
        item.width = m_penWidth;
        switch (m_tool) {
        case 2: item.kind = WBItem::Stroke; break;
        case 13:
            item.kind = WBItem::Highlight;
            item.width = std::max(kHighlightMinWidth, m_penWidth * 3);
            break;
        case 3: item.kind = WBItem::Line; break;
        case 5: item.kind = WBItem::Rect; break;
        default: item.kind = WBItem::Ellipse; break;
        }
        if (item.kind == WBItem::Rect || item.kind == WBItem::Ellipse)
            item.rect = QRectF(f, f);
        else if (item.kind == WBItem::Line)
            item.points = {f, f};
        else
            item.points = {f};
        m_drawing = item;
        update();
        break;
    }
    }
}

void WBCanvas::mouseMoveEvent(QMouseEvent* e)
{
    const QPointF pos = e->localPos();
    const QPointF f = toFraction(pos, boardSize());
    if (m_dragging && m_selected >= 0) {
        page().items[m_selected].moveBy(toFraction(pos, boardSize()) - toFraction(m_dragFrom, boardSize()));
        m_dragFrom = pos;
        update();
        return;
    }
    if (!m_drawing) {
        e->ignore();
        return;
    }
    switch (m_drawing->kind) {
    case WBItem::Stroke:
    case WBItem::Highlight:
        m_drawing->points.push_back(f);
        break;
    case WBItem::Line:
        m_drawing->points[1] = f;
        break;
    default:
        m_drawing->rect.setBottomRight(f);
        break;
    }
    update();
}

void WBCanvas::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_dragging) {
        mouseMoveEvent(e); // the last stretch of the move
        m_dragging = false;
        return;
    }
    if (!m_drawing) {
        e->ignore();
        return;
    }
    mouseMoveEvent(e);
    WBItem item = *m_drawing;
    m_drawing.reset();
    const QSizeF board = boardSize();
    bool keep = true;
    if (item.kind == WBItem::Line)
        keep = QLineF(toPixels(item.points[0], board), toPixels(item.points[1], board)).length() >= kMinShapeSize;
    else if (item.kind == WBItem::Rect || item.kind == WBItem::Ellipse) {
        item.rect = item.rect.normalized();
        const QRectF px = toPixels(item.rect, board);
        keep = px.width() >= kMinShapeSize && px.height() >= kMinShapeSize;
    }
    if (keep)
        page().items.push_back(item);
    update();
}

void WBCanvas::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace) && m_selected >= 0
        && m_selected < page().items.size()) {
        page().items.remove(m_selected);
        m_selected = -1;
        update();
        return;
    }
    // Page turning by keys, as a presenter's remote sends them.
    switch (e->key()) {
    case Qt::Key_PageUp: case Qt::Key_Left: case Qt::Key_Up:
        goPrevious();
        return;
    case Qt::Key_PageDown: case Qt::Key_Right: case Qt::Key_Down:
        goNext();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(e);
}

void WBCanvas::wheelEvent(QWheelEvent* e)
{
    // One notch (120) turns one page: down the next, up the previous.
    m_wheelRest += e->angleDelta().y();
    while (m_wheelRest <= -120) {
        m_wheelRest += 120;
        goNext();
    }
    while (m_wheelRest >= 120) {
        m_wheelRest -= 120;
        goPrevious();
    }
    e->accept();
}

bool WBCanvas::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

int WBCanvas::itemCount() const
{
    return m_pages.value(pageKey()).items.size();
}

QStringList WBCanvas::itemKinds() const
{
    QStringList kinds;
    for (const WBItem& item : m_pages.value(pageKey()).items) {
        switch (item.kind) {
        case WBItem::Stroke: kinds << "stroke"; break;
        case WBItem::Highlight: kinds << "highlight"; break;
        case WBItem::Line: kinds << "line"; break;
        case WBItem::Rect: kinds << "rect"; break;
        case WBItem::Ellipse: kinds << "ellipse"; break;
        case WBItem::Text: kinds << "text"; break;
        case WBItem::Picture: kinds << "picture"; break;
        case WBItem::Media: kinds << QString(item.video ? "video " : "audio ") + item.text; break;
        }
    }
    return kinds;
}
