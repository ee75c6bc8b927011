#include "mainwindow/room/UserListCtrl.h"

#include "app/CData.h"
#include "app/GEosObserver.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/StyledBackground.h"
#include "mainwindow/room/UserItem.h"
#include "media/IMediaEngine.h"

#include <cmath>
#include <limits>

UserListCtrl::UserListCtrl(QWidget* parent) : QWidget(parent)
{
    GEosSubscribe("updatePreviewWidgetPos", this, SLOT(slotUpdateTopUser()));
    connect(Room::instance(), &Room::sgClientLibCmd, this, &UserListCtrl::onClientLibCmd);
    // Every room starts without tiles: the room does not say goodbye for
    // each user when the teacher leaves.
    connect(CData::instance(), &CData::sgEnterRoom, this, &UserListCtrl::clearUsers);
}

UserListCtrl::~UserListCtrl() = default;

void UserListCtrl::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}

void UserListCtrl::onClientLibCmd(int code, const QVariant& data)
{
    const QVariantMap m = data.toMap();
    switch (code) {
    case RsC_Video_PlayUser: {
        const QString id = m.value("userid").toString();
        UserItem* item = findUserItem(id);
        if (!item) {
            Logger::instance()->Log(LOG_WARN, "UserListCtrl::onClientLibCmd", "RsC_Video_PlayUser %s, not found",
                                    id.toUtf8().constData());
            break;
        }
        IMediaEngine::instance()->playUserVideo(id, item);
        item->playStream();
        break;
    }
    case RsC_Video_StopUser: {
        const QString id = m.value("userid").toString();
        IMediaEngine::instance()->stopUserVideo(id);
        if (UserItem* item = findUserItem(id))
            item->stopStream();
        break;
    }
    case RsC_UserVideo_State:
        // A state without a user names no tile: none is made for "".
        if (m.value("userid").toString().isEmpty())
            Logger::instance()->Log(LOG_WARN, "UserListCtrl::onClientLibCmd", "RsC_UserVideo_State without userid");
        else
            onVideoState(m);
        break;
    case RsC_UserVideo_Remove:
        removeUser(m.value("userid").toString());
        break;
    case RsC_UserVideo_Order: {
        QMap<int, QString> order;
        const QVariantMap raw = m.value("mapIndexUser").toMap();
        for (auto it = raw.begin(); it != raw.end(); ++it)
            order.insert(it.key().toInt(), it.value().toString());
        receiveAdjustUsersOrder(order);
        break;
    }
    case RsC_UserVideo_WbPos: {
        const QRectF rect = m.value("rtpos").toRectF();
        if (!IsWhiteboardPlace(rect)) {
            Logger::instance()->Log(LOG_WARN, "UserListCtrl::onClientLibCmd", "RsC_UserVideo_WbPos %s: bad rtpos %s",
                                    m.value("userid").toString().toUtf8().constData(),
                                    m.value("rtpos").toString().toUtf8().constData());
            break;
        }
        receiveAdjustWbVideoUserRectF(m.value("userid").toString(), rect);
        break;
    }
    case RsC_User_Praised:
        onPraise(m.value("userId").toString(), true, 0);
        break;
    case RsC_User_PraiseCount:
        onPraise(m.value("userId").toString(), false, m.value("count").toLongLong());
        break;
    case RsC_Media_LocalOn:
        onLocalMedia(m.value("mediaOn").toBool());
        break;
    default:
        break;
    }
}

void UserListCtrl::onVideoState(const QVariantMap& m)
{
    const QString id = m.value("userid").toString();
    CData* data = CData::instance();
    UserInfo user(id.toStdString());
    data->GetUser(user.userId, user);  // a fresh record when the session has none
    user.cam = m.value("cam").toBool();
    user.mic = m.value("mic").toBool();
    user.type = m.value("type").toInt();
    data->UpdateUser(user);
    const QString stream = m.value("stream").toString();
    if (UserItem* item = findUserItem(id)) {
        item->userInfo()->user = user;
        item->userInfo()->stream = stream;
        item->refreshState();
        return;
    }
    auto info = std::make_shared<UserTileInfo>();
    info->userId = QString::fromStdString(user.userId);
    info->userName = m.value("userName").toString();
    info->isTeacher = m.value("type").toInt() == 1 ? 1 : 0;
    info->user = user;
    info->stream = stream;
    addUser(info);
}

bool UserListCtrl::IsWhiteboardPlace(const QRectF& rect)
{
    // Fractions of the whiteboard: finite, inside it and not empty (a
    // missing or malformed "rtpos" reads as an empty rectangle).
    const qreal v[] = {rect.left(), rect.top(), rect.width(), rect.height()};
    for (qreal x : v)
        if (!std::isfinite(x) || x < 0 || x > 1)
            return false;
    return rect.width() > 0 && rect.height() > 0;
}

void UserListCtrl::onPraise(const QString& userId, bool add, qint64 count)
{
    CData* data = CData::instance();
    UserInfo user(userId.toStdString());
    data->GetUser(user.userId, user);
    // The room's own count is taken whole; a praise never wraps it.
    if (add)
        user.count = user.count < std::numeric_limits<std::int64_t>::max() ? user.count + 1 : user.count;
    else
        user.count = qMax<qint64>(0, count);
    data->UpdateUser(user);
    UserItem* item = findUserItem(userId);
    if (!item)
        return;
    item->userInfo()->user = user;
    item->refreshState();
    if (add)
        item->showPraise();
}

void UserListCtrl::onLocalMedia(bool mediaOn)
{
    const QString local = QString::fromStdString(CData::instance()->GetLocalUser()->userId);
    UserItem* mine = findUserItem(local);
    if (!mine)
        return;
    QMap<int, QString> order;
    for (UserItem* item : m_items)
        if (item->userInfo()->userId != local)
            order.insert(order.size(), item->userInfo()->userId);
    if (!mediaOn) {
        mine->hide();
        receiveAdjustWbVideoUserRectF(local, QRectF(0.1, 0.1, 0.2, 0.15));
        receiveAdjustUsersOrder(order);
    } else {
        order.insert(order.size(), local);
        receiveAdjustUsersOrder(order);
        mine->show();
    }
}

void UserListCtrl::addUser(const std::shared_ptr<UserTileInfo>& info)
{
    auto* item = new UserItem(PubUtils::GetTopWidget(this));
    item->resize(kTileWidth, kTileHeight);
    item->setUserInfo(info, this);
    m_items.append(item);
    m_bar.append(item);
    slotUpdateTopUser();
    if (!CData::instance()->IsLiveRoom()) {
        item->show();
        item->raise();
    }
}

void UserListCtrl::removeUser(const QString& userId)
{
    bool removed = false;
    for (int i = m_bar.size() - 1; i >= 0; --i)
        if (m_bar[i]->userInfo()->userId == userId)
            m_bar.removeAt(i);
    for (int i = m_items.size() - 1; i >= 0; --i) {
        if (m_items[i]->userInfo()->userId != userId)
            continue;
        m_items[i]->stopStream();
        m_items[i]->hide();
        m_items[i]->deleteLater();
        m_items.removeAt(i);
        removed = true;
    }
    if (removed)
        slotUpdateTopUser();
}

void UserListCtrl::clearUsers()
{
    m_bar.clear();
    for (UserItem* item : m_items) {
        item->stopStream();
        item->hide();
        item->deleteLater();
    }
    m_items.clear();
}

UserItem* UserListCtrl::findUserItem(const QString& userId) const
{
    for (UserItem* item : m_items)
        if (item->userInfo()->userId == userId)
            return item;
    return nullptr;
}

void UserListCtrl::receiveAdjustUsersOrder(const QMap<int, QString>& order)
{
    m_bar.clear();
    QString text;
    for (auto it = order.begin(); it != order.end(); ++it) {
        text += " index: " + QString::number(it.key()) + ",userId: " + it.value();
        UserItem* item = findUserItem(it.value());
        // A peer's report may name a user twice: the first place counts.
        if (item && !m_bar.contains(item)) {
            item->setBarMode();
            m_bar.append(item);
        }
    }
    for (UserItem* item : m_items)
        if (item->mode() != UserItem::kModeWhiteboard && !m_bar.contains(item))
            m_bar.append(item);
    Logger::instance()->Log(LOG_INFO, "UserListCtrl::receiveAdjustUsersOrder", "uservideo recv top order: %s",
                            text.toUtf8().constData());
    slotUpdateTopUser();
}

void UserListCtrl::receiveAdjustWbVideoUserRectF(const QString& userId, const QRectF& rect)
{
    Logger::instance()->Log(LOG_INFO, "UserListCtrl::receiveAdjustWbVideoUserRectF",
                            "uservideo recv wb pos: %s pos %f %f %f %f", userId.toUtf8().constData(), rect.left(),
                            rect.top(), rect.width(), rect.height());
    if (UserItem* item = findUserItem(userId))
        item->updateWbUserVideoRectF(rect);
}

QRect UserListCtrl::barRect() const
{
    QRect bar(0, 0, kSlot * m_bar.size() - 1, kTileHeight);
    bar.moveCenter(rect().center());
    QWidget* top = PubUtils::GetTopWidget(const_cast<UserListCtrl*>(this));
    bar.moveTopLeft(top == this ? bar.topLeft() : mapTo(top, bar.topLeft()));
    return bar;
}

void UserListCtrl::slotUpdateTopUser()
{
    if (m_bar.isEmpty())
        return;
    const QRect bar = barRect();
    for (int i = 0; i < m_bar.size(); ++i) {
        UserItem* item = m_bar[i];
        item->userInfo()->x = bar.left() + kSlot * i;
        item->userInfo()->y = bar.top();
        const QRect slot(item->userInfo()->x, item->userInfo()->y, kTileWidth, kTileHeight);
        if (item->mode() == UserItem::kModeBar && item->geometry() != slot)
            item->setGeometry(slot);
    }
    reportUserVideoInfo();
}

void UserListCtrl::removeWbItemsFromBar()
{
    for (int i = m_bar.size() - 1; i >= 0; --i)
        if (m_bar[i]->mode() == UserItem::kModeWhiteboard)
            m_bar.removeAt(i);
    slotUpdateTopUser();
}

void UserListCtrl::moveItemInBar(UserItem* item, const QPoint& cursor)
{
    const QRect bar = barRect();
    // Truncation toward zero, then into the bar: a cursor past either end
    // gives the first or the last place, never an index outside the list.
    int index = (cursor.x() - bar.left()) / kSlot;
    const int current = m_bar.indexOf(item);
    if (index == current) {
        slotUpdateTopUser();
        return;
    }
    m_bar.removeAll(item);
    index = qBound(0, index, int(m_bar.size()));
    m_bar.insert(index, item);
    slotUpdateTopUser();
}

void UserListCtrl::reportUserVideoInfo()
{
    CData* data = CData::instance();
    if (!data->IsTeacher() || data->IsLiveRoom())
        return;
    QMap<int, QString> users;
    QString text;
    for (int i = 0; i < m_bar.size(); ++i) {
        if (m_bar[i]->mode() == UserItem::kModeWhiteboard)
            continue;
        users.insert(i, m_bar[i]->userInfo()->userId);
        text += "userIndex: " + QString::number(i) + "\n" + "userId: " + m_bar[i]->userInfo()->userId + "\n";
    }
    if (!users.isEmpty())
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->ReportUserVideoInfo(users);
    Logger::instance()->Log(LOG_INFO, "UserListCtrl::reportUserVideoInfo", "reportUserVideoInfo: %s",
                            text.toUtf8().constData());
}
