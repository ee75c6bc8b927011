#pragma once
// The strip of user video tiles above the whiteboard (the room window's
// "userListCtrl"). It turns the room's user video commands into tiles, keeps
// the order of the bar (tiles laid out over this strip) and reports the bar
// order to the room, so every participant sees the same arrangement. The
// tiles are children of the top-level window, deleted with deleteLater.
//
// GUI thread only, like every member: the commands arrive as queued signals.
#include "mainwindow/room/UserTileInfo.h"

#include <QList>
#include <QMap>
#include <QRectF>
#include <QVariant>
#include <QWidget>

#include <memory>

class UserItem;

class UserListCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTileWidth = 160;
    static constexpr int kTileHeight = 120;
    static constexpr int kSlot = 161;  // tiles 1 pixel apart

    explicit UserListCtrl(QWidget* parent = nullptr);
    ~UserListCtrl() override;

    // Rebuilds the bar order from a map of bar index to user id (ids listed
    // twice are taken once), then appends the other tiles not on the whiteboard.
    void receiveAdjustUsersOrder(const QMap<int, QString>& order);
    // Places a user's tile on the whiteboard at a relative rectangle.
    void receiveAdjustWbVideoUserRectF(const QString& userId, const QRectF& rect);
    // Whether a relative rectangle from the room can place a tile: finite
    // fractions of the whiteboard, not empty.
    static bool IsWhiteboardPlace(const QRectF& rect);
    // Sends the bar order to the room (teacher side, not in live rooms).
    void reportUserVideoInfo();
    // A tile dragged along the bar: its new place under the cursor (in
    // top-level-window coordinates), clamped to the bar.
    void moveItemInBar(UserItem* item, const QPoint& cursor);
    void removeWbItemsFromBar();
    UserItem* findUserItem(const QString& userId) const;
    // Every tile goes (leaving the room).
    void clearUsers();

    // The bar in top-level-window coordinates (for the tiles and tests).
    QRect barRect() const;
    const QList<UserItem*>& allItems() const { return m_items; }
    const QList<UserItem*>& barItems() const { return m_bar; }

public slots:
    void onClientLibCmd(int code, const QVariant& data);
    // Relayout of the bar, then the report.
    void slotUpdateTopUser();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onVideoState(const QVariantMap& m);
    void onPraise(const QString& userId, bool add, qint64 count);
    void onLocalMedia(bool mediaOn);
    void addUser(const std::shared_ptr<UserTileInfo>& info);
    void removeUser(const QString& userId);

    QList<UserItem*> m_items;  // every tile, in the order of creation (not owned)
    QList<UserItem*> m_bar;    // the tiles of the bar, in display order (not owned)
};
