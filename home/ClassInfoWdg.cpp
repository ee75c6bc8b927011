#include "home/ClassInfoWdg.h"

#include "home/ClassItem.h"
#include "widgets/StyledBackground.h"

#include <QEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
constexpr int kRowHeight = 100;
}

ClassInfoWdg::ClassInfoWdg(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 20, 10, 10);
    layout->setSpacing(0);
    m_list = new QListWidget(this);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSpacing(0);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setResizeMode(QListView::Adjust);
    // A slim scroll bar, and rows as wide as the viewport beside it: the
    // row's buttons at its right end stay whole when the bar shows.
    m_list->setStyleSheet(
        "QListWidget::Item{border-bottom: 1px solid #E7E7E7; }"
        "QScrollBar:vertical{width:6px;background:transparent;margin:0px;border:none;}"
        "QScrollBar::handle:vertical{background:rgba(93,192,186,0.45);border-radius:3px;min-height:30px;}"
        "QScrollBar::handle:vertical:hover{background:#5DC0BA;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}");
    m_list->viewport()->installEventFilter(this);
    layout->addWidget(m_list, 1);
    QFont f(QString::fromUtf8("微软雅黑"));
    f.setPointSize(10);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(250, 250, 250));
    setPalette(p);
    setAutoFillBackground(true);
    installEventFilter(this);
}

void ClassInfoWdg::SetRooms(std::vector<RoomInfo> rooms)
{
    for (RoomInfo& r : rooms)
        AddItem(std::move(r));
}

void ClassInfoWdg::ClearRooms() { m_list->clear(); }

void ClassInfoWdg::AddItem(RoomInfo info)
{
    auto* item = new QListWidgetItem(m_list);
    auto* row = new ClassItem;
    item->setSizeHint(QSize(m_list->viewport()->width(), kRowHeight));
    row->setFixedWidth(m_list->viewport()->width());
    m_list->setItemWidget(item, row);
    row->InitUI(info);
    connect(row, &ClassItem::sgUpdateData, this, &ClassInfoWdg::sgUpdateData);
}

bool ClassInfoWdg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && (watched == this || watched == m_list->viewport())) {
        for (int i = 0; i < m_list->count(); ++i) {
            if (QWidget* row = m_list->itemWidget(m_list->item(i)))
                row->setFixedWidth(m_list->viewport()->width());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClassInfoWdg::paintEvent(QPaintEvent*) { PaintStyledBackground(this); }
