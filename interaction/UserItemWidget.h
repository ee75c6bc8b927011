#pragma once
// One row of the online user list: avatar, name with its role, and small
// icons for camera, microphone, whiteboard right, raised hand and chat ban.
// The record is shared with the list; the list's per-user menu changes it
// in place and the row redraws when SetUser passes the next update.
// GUI thread only, like every member; avatar downloads report queued.
#include "app/SessionRecords.h"

#include <QWidget>

#include <memory>

class DownThread;
class QLabel;

namespace Ui {
class UserItemWidgetForm;
}

class UserItemWidget : public QWidget {
    Q_OBJECT
public:
    explicit UserItemWidget(QWidget* parent);
    ~UserItemWidget() override;

    void SetUser(std::shared_ptr<UserInfo> user);
    std::shared_ptr<UserInfo> GetUser() const { return m_user; }
    void UpdateName();
    void UpdateState();
    // The hand-up mark, shown and hidden by the list.
    QLabel* HandupLabel() const;

public slots:
    void OnDownFinish(DownThread* down);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowAvatar(const QPixmap& picture);

    Ui::UserItemWidgetForm* ui;
    std::shared_ptr<UserInfo> m_user;  // shared with the list; null until SetUser
};
