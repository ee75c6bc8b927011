#pragma once
// The group page of the home window: the teacher's groups on the left, the
// messages of the selected group on the right, newest first, older pages
// loaded when the list is scrolled to its end.
#include "app/SessionRecords.h"

#include <QWidget>

#include <vector>

class QListWidget;
class QListWidgetItem;
namespace Ui {
class GroupPage;
}

class GroupPage : public QWidget {
    Q_OBJECT

public:
    explicit GroupPage(QWidget* parent = nullptr);
    ~GroupPage() override;

    void SetGroupList(std::vector<GroupInfo> groups);
    void UpdateGroup(GroupInfo group, bool firstPage);
    void OnTimerUpdate(int tick);
    void Clear();
    QListWidget* GroupList() const;
    QListWidget* MessageList() const;

public slots:
    void onListItemPressed(QListWidgetItem* item);
    void on_btnMoreMsg_clicked();

private:
    Ui::GroupPage* ui = nullptr;  // GUI thread only
};
