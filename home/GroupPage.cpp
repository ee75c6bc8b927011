#include "home/GroupPage.h"

#include "ui_GroupPage.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Room.h"
#include "home/GroupMsgItem.h"

#include <QScrollBar>

namespace {
constexpr int kGroupRowHeight = 70;
const char* const kLastSeenKey = "App/GMsgLasterTs";

void setUpList(QListWidget* list, const char* css)
{
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setSpacing(0);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setStyleSheet(css);
}

void requestMessages(const std::string& groupId, qint64 ts)
{
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->GetGroupMessages(QString::fromStdString(groupId), QString(), ts);
}
}  // namespace

GroupPage::GroupPage(QWidget* parent) : QWidget(parent), ui(new Ui::GroupPage)
{
    ui->setupUi(this);
    setUpList(ui->listGroup,
              "QListWidget{background-color: #ffffff; }QListWidget::item:selected{ background-color:rgba(93,192,186,0.10); "
              "}QListWidget::item:selected:!active{ background-color:rgba(93,192,186,0.10); }");
    setUpList(ui->listMessage, "QListWidget{background-color: #ffffff;}QListWidget::Item{border-bottom: 1px solid #E7E7E7; }");
    ui->listMessage->setResizeMode(QListView::Adjust);
    ui->moreWidget->hide();
    connect(ui->listGroup, &QListWidget::itemPressed, this, &GroupPage::onListItemPressed);
    QScrollBar* bar = ui->listMessage->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (value == bar->maximum())
            ui->btnMoreMsg->click();
    });
}

GroupPage::~GroupPage() { delete ui; }

QListWidget* GroupPage::GroupList() const { return ui->listGroup; }
QListWidget* GroupPage::MessageList() const { return ui->listMessage; }

void GroupPage::SetGroupList(std::vector<GroupInfo> groups)
{
    ui->listGroup->clear();
    for (size_t i = 0; i < groups.size(); ++i) {
        auto* item = new QListWidgetItem(ui->listGroup);
        auto* row = new GroupMsgItem;
        row->SetGroup(groups[i]);
        item->setSizeHint(QSize(0, kGroupRowHeight));
        item->setData(Qt::UserRole, QString::fromStdString(groups[i].groupId));
        ui->listGroup->setItemWidget(item, row);
        if (i == 0) {
            ui->listGroup->setCurrentRow(0);
            onListItemPressed(item);
        }
    }
}

void GroupPage::onListItemPressed(QListWidgetItem* item)
{
    ui->listMessage->clear();
    if (!item)
        return;
    const std::string id = item->data(Qt::UserRole).toString().toStdString();
    GroupInfo g;
    CData::instance()->GetGroup(id, g);
    if (g.msgs.empty()) {
        requestMessages(id, 0);
        return;
    }
    CSettings::instance()->SetValue(kLastSeenKey + QString::fromStdString(g.groupId),
                                    QString::fromStdString(g.msgs.front().createTime));
    for (const GroupMsgInfo& m : g.msgs) {
        auto* row = new GroupMsgItem;
        auto* rowItem = new QListWidgetItem(ui->listMessage);
        row->SetMessage(m);
        rowItem->setSizeHint(QSize(0, row->height()));
        ui->listMessage->setItemWidget(rowItem, row);
    }
}

void GroupPage::on_btnMoreMsg_clicked()
{
    ui->btnMoreMsg->setEnabled(false);
    QListWidgetItem* item = ui->listGroup->currentItem();
    if (!item)
        return;
    GroupInfo g;
    if (!CData::instance()->GetGroup(item->data(Qt::UserRole).toString().toStdString(), g) || g.msgs.empty())
        return;
    requestMessages(g.groupId, g.msgs.back().createSecs);
}

void GroupPage::UpdateGroup(GroupInfo group, bool firstPage)
{
    for (int i = 0; i < ui->listGroup->count(); ++i) {
        QListWidgetItem* item = ui->listGroup->item(i);
        if (item->data(Qt::UserRole).toString().toStdString() == group.groupId) {
            if (auto* row = qobject_cast<GroupMsgItem*>(ui->listGroup->itemWidget(item)))
                row->SetGroup(group);
        }
    }
    const int n = ui->listMessage->count() + 1;
    if (QListWidgetItem* current = ui->listGroup->currentItem())
        onListItemPressed(current);
    if (!firstPage && n > 0 && n < ui->listMessage->count())
        ui->listMessage->setCurrentRow(n);
}

void GroupPage::OnTimerUpdate(int) { ui->btnMoreMsg->setEnabled(true); }

void GroupPage::Clear()
{
    ui->listGroup->clear();
    ui->listMessage->clear();
}
