#include "libs/whiteboardlib/src/WBPageControls.h"

#include "libs/whiteboardlib/src/WBCanvas.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {

const char* kButtonStyle =
    "QToolButton{color:#ffffff;background:rgba(93,192,186,0.50);border:none;border-radius:4px;"
    "font-size:14px;}QToolButton:hover{background:#5DC0BA;}QToolButton:disabled{color:#999999;}";

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setFixedSize(26, 26);
    b->setStyleSheet(kButtonStyle);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

WBPageControls::WBPageControls(WBCanvas* canvas, QWidget* container) : m_container(container), m_canvas(canvas)
{
    m_page = new QWidget(container);
    m_page->setObjectName("WBPageWidget");
    m_page->setFixedHeight(30);
    // A dark plate of its own: the white page counter stays readable on a
    // light strip and over a white board page alike.
    m_page->setAttribute(Qt::WA_StyledBackground);
    m_page->setStyleSheet("QWidget#WBPageWidget{background:rgba(52,67,78,0.85);border-radius:4px;}");
    auto* layout = new QHBoxLayout(m_page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    m_prev = makeButton(m_page, "WBPrevPage", "<");
    m_label = new QLabel(m_page);
    m_label->setObjectName("WBPageLabel");
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMinimumWidth(44);
    m_label->setStyleSheet("QLabel{color:#ffffff;font-size:14px;}");
    m_next = makeButton(m_page, "WBNextPage", ">");
    layout->addWidget(m_prev);
    layout->addWidget(m_label);
    layout->addWidget(m_next);
    m_page->adjustSize();
    m_page->hide();

    auto* add = makeButton(container, "WBAddPage", "+");
    add->setFixedSize(30, 30);
    add->setToolTip(QString::fromUtf8("新建白板页"));
    m_add = add;
    m_add->hide();

    QObject::connect(m_prev, &QToolButton::clicked, canvas, &WBCanvas::goPrevious);
    QObject::connect(m_next, &QToolButton::clicked, canvas, &WBCanvas::goNext);
    QObject::connect(add, &QToolButton::clicked, canvas, &WBCanvas::addBoardPage);
    m_follow = QObject::connect(canvas, &WBCanvas::pageStateChanged, m_page, [this] { refresh(); });
    if (container)
        container->installEventFilter(this);
    refresh();
}

WBPageControls::~WBPageControls()
{
    QObject::disconnect(m_follow);
    if (m_container)
        m_container->removeEventFilter(this);
}

bool WBPageControls::adopted() const
{
    return m_page && m_page->parentWidget() != m_container;
}

void WBPageControls::setSelfShown(bool shown)
{
    m_selfShown = shown;
    // A new room: the controls come back from where a former room's program
    // put them; this room's program may take them again.
    if (shown && m_container) {
        for (QWidget* c : {m_page.data(), m_add.data()})
            if (c && c->parentWidget() != m_container)
                c->setParent(m_container);
    }
    placeOnBoard();
}

bool WBPageControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_container && event->type() == QEvent::Resize)
        placeOnBoard();
    return false;
}

// The board's bottom left corner, clear of the drawing tool bar in the
// middle and of the panels that open along the right side: the page widget
// first, the add widget right of it.
void WBPageControls::placeOnBoard()
{
    if (!m_container || !m_page || !m_add || adopted() || m_add->parentWidget() != m_container)
        return;
    if (!m_selfShown) {
        m_page->hide();
        m_add->hide();
        return;
    }
    const int y = m_container->height() - 40;
    m_page->move(10, y);
    m_add->move(10 + m_page->width() + 4, y);
    for (QWidget* c : {m_page.data(), m_add.data()}) {
        c->show();
        c->raise();
    }
}

void WBPageControls::refresh()
{
    if (!m_canvas || !m_label)
        return;
    const int page = m_canvas->currentPage();
    const int count = m_canvas->pageCount();
    m_label->setText(count > 0 ? QString("%1/%2").arg(page).arg(count) : QString::number(page));
    m_prev->setEnabled(page > 1);
    m_next->setEnabled(count == 0 || page < count);
    m_page->adjustSize();
    placeOnBoard();
}

QWidget* makeNotice(QWidget* container, const QString& objectName, const QString& text)
{
    auto* label = new QLabel(text, container);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedHeight(30);
    label->setStyleSheet("QLabel{color:#ffffff;background:rgba(0,0,0,0.55);border-radius:4px;"
                         "padding:0 8px;font-size:13px;}");
    label->adjustSize();
    label->hide();
    return label;
}
