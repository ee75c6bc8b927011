#include "courseware/DocTurnPageCtrl.h"

#include "WhiteBoardLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

// The live widget whose address the payload carries, or null: a number that
// names no widget of this program is never dereferenced.
QWidget* widgetOf(const QVariant& v)
{
    const quintptr address = quintptr(v.toLongLong());
    if (address == 0)
        return nullptr;
    for (QWidget* w : QApplication::allWidgets())
        if (quintptr(w) == address)
            return w;
    Logger::instance()->Log(LOG_WARN, "DocTurnPageCtrl::onWBLibCmd", "no widget at %llx", (unsigned long long)address);
    return nullptr;
}

void hideSet(const DocTurnPageCtrl::PageSet& set)
{
    if (set.addWdg) {
        set.addWdg->hide();
        if (set.pageWdg)
            set.pageWdg->hide();
    }
    for (QWidget* w : {set.overlayWdg1, set.overlayWdg2})
        if (w)
            w->hide();
}

}  // namespace

DocTurnPageCtrl::DocTurnPageCtrl(QWidget* host) : QObject(nullptr), m_host(host)
{
    m_host->installEventFilter(this);
    connect(Room::instance(), &Room::sgWBLibCmd, this, &DocTurnPageCtrl::onWBLibCmd);
    UpdateLayout();
}

void DocTurnPageCtrl::Reset()
{
    m_subRoomMode = false;
    m_subPageVisible = false;
    m_mainPageVisible = false;
    m_sub = PageSet();
    m_main = PageSet();
}

void DocTurnPageCtrl::SetSubRoomMode(bool subRoom)
{
    m_subRoomMode = subRoom;
    UpdateLayout();
}

bool DocTurnPageCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_host && event->type() == QEvent::Resize)
        UpdateLayout();
    return false;
}

void DocTurnPageCtrl::onWBLibCmd(int cmd, const QVariant& var)
{
    if (!CData::instance()->IsLiveRoom())
        return;
    if (cmd != RsWB_AddPageWidget && cmd != RsWB_ShowPageWidget && cmd != RsWB_HidePageWidget)
        return;
    const QVariantMap m = var.toMap();
    const bool sub = !m.value("roomId").toString().isEmpty();
    PageSet& set = sub ? m_sub : m_main;
    bool& visible = sub ? m_subPageVisible : m_mainPageVisible;
    if (cmd == RsWB_AddPageWidget) {
        visible = !m.value("hide").toBool();
        if (m.value("pageWdg").toLongLong() != 0) {
            set.addWdg = widgetOf(m.value("addWdg"));
            set.pageWdg = widgetOf(m.value("pageWdg"));
            for (QWidget* w : {set.addWdg, set.pageWdg})
                if (w)
                    w->setParent(m_host);
        }
    } else {
        QPointer<QWidget>& slot = cmd == RsWB_ShowPageWidget ? set.overlayWdg1 : set.overlayWdg2;
        QWidget* w = widgetOf(m.value("widget"));
        if (m.value("show").toBool()) {
            slot = w;
            if (w) {
                if (w->parentWidget() != m_host) {
                    w->setParent(m_host);
                    w->setFixedHeight(30);
                }
                w->move(m_host->width() - w->width() - 10, 5);
                w->show();
            }
        } else if (slot == w) {
            slot = nullptr;
        }
    }
    UpdateLayout();
}

void DocTurnPageCtrl::UpdateLayout()
{
    if (!CData::instance()->IsLiveRoom() || !m_main.addWdg)
        return;
    const int W = m_host->width();
    const PageSet& active = m_subRoomMode ? m_sub : m_main;
    const bool visible = m_subRoomMode ? m_subPageVisible : m_mainPageVisible;
    hideSet(m_subRoomMode ? m_main : m_sub);
    if (active.addWdg) {
        active.addWdg->move(W - 36, 5);
        active.addWdg->setVisible(visible);
        if (active.pageWdg) {
            active.pageWdg->move(W - active.pageWdg->width() - 40, 3);
            active.pageWdg->setVisible(visible);
        }
    }
    for (QWidget* w : {active.overlayWdg1, active.overlayWdg2}) {
        if (!w)
            continue;
        w->move(W - w->width() - 10, 5);
        w->show();
        if (active.addWdg)
            active.addWdg->hide();
        if (active.pageWdg)
            active.pageWdg->hide();
    }
}
