// The device check's system page: operating system, processor, memory and
// the network delay the room controller measures.
#include "device/DeviceCheckDialog.h"

#include "app/GlobalConstants.h"
#include "app/Room.h"
#include "app/SystemInfo.h"
#include "ui_CheckDeviceForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>

namespace {

// The room controller reports an unanswered speed test with this delay.
constexpr int kNoAnswerDelayMs = 10000;

}  // namespace

void DeviceCheckDialog::initSystemPage()
{
    const struct {
        QLabel* label;
        const char* group;
    } groups[] = {
        {ui->label, vt::kFormAccount},  {ui->label_2, vt::kFormAccount}, {ui->label_17, vt::kFormOdd}, {ui->label_18, vt::kFormOdd},
        {ui->label_7, vt::kFormOdd},    {ui->label_8, vt::kFormOdd},     {ui->label_11, vt::kFormOdd}, {ui->label_12, vt::kFormOdd},
        {ui->label_15, vt::kFormOdd},   {ui->label_16, vt::kFormOdd},    {ui->label_3, vt::kFormEven}, {ui->label_4, vt::kFormEven},
        {ui->label_5, vt::kFormEven},   {ui->label_6, vt::kFormEven},    {ui->label_9, vt::kFormEven}, {ui->label_10, vt::kFormEven},
        {ui->label_13, vt::kFormEven},  {ui->label_14, vt::kFormEven},
    };
    for (const auto& g : groups) {
        if (!g.label)
            continue;
        g.label->style()->unpolish(g.label);
        g.label->setProperty("group", g.group);
        g.label->style()->polish(g.label);
    }

    ui->label_4->setText(GetSystemVersion());
    ui->label_18->setText(GetCpuName());
    ui->label_6->setText(GetMemoryInfo());

    connect(ui->nextPageBtn, &QPushButton::clicked, this, [this] { goToPage(kCameraPage); });
    connect(Room::instance(), &Room::sgRoomSpeed, this, &DeviceCheckDialog::onRoomSpeed, Qt::UniqueConnection);
    ui->badNetworkHelpBtn->hide();

    // Only the operating system, processor, memory and delay rows are shown.
    for (int row : {0, 4, 5, 6, 8}) {
        for (int column : {0, 1}) {
            if (QLayoutItem* item = ui->gridLayout->itemAtPosition(row, column))
                if (QWidget* w = item->widget())
                    w->hide();
        }
    }
}

void DeviceCheckDialog::onRoomSpeed(int, int delayMs)
{
    ui->label_14->setText(QString::number(delayMs) + QStringLiteral("ms"));
    // One measured delay is enough; a test that got no answer proves nothing.
    auto system = checker<CheckSystemInfo>(kSystemPage);
    if (system && delayMs >= 0 && delayMs < kNoAnswerDelayMs)
        system->networkOk = true;
}
