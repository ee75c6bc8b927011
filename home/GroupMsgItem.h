#pragma once
// A row of the group page, either a group (logo, name, newest message) or a
// message (time and its formatted text).
#include "app/SessionRecords.h"

#include <QWidget>

class DownThread;
namespace Ui {
class GroupMsgItem;
}

class GroupMsgItem : public QWidget {
    Q_OBJECT

public:
    explicit GroupMsgItem(QWidget* parent = nullptr);
    ~GroupMsgItem() override;

    void SetGroup(GroupInfo group);
    void SetMessage(GroupMsgInfo message);
    const GroupInfo& Group() const { return m_group; }
    const GroupMsgInfo& Message() const { return m_message; }

public slots:
    void OnDownFinish(DownThread* d);

private:
    // GUI thread only.
    Ui::GroupMsgItem* ui = nullptr;
    GroupInfo m_group;
    GroupMsgInfo m_message;
};
