// The device check's report: the verdict and detail of every check, shown as
// a white panel with a green or red row per check over the pages.
#include "device/DeviceCheckDialog.h"

#include "app/GlobalConstants.h"
#include "ui_CheckDeviceForm.h"
#include "ui_CheckReporForm.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QTableWidget>

namespace {

constexpr int kRowHeight = 60;
constexpr int kColumnWidth = 140;

}  // namespace

void DeviceCheckDialog::evaluateCheckResults()
{
    for (auto it = checkInfos.cbegin(); it != checkInfos.cend(); ++it) {
        const QSharedPointer<CheckBaseInfo>& info = it.value();
        if (!info)
            continue;
        if (!info->checked) {
            info->failReason = tr("没有检测");
            info->passed = false;
            continue;
        }
        QStringList reasons;
        if (auto system = qSharedPointerDynamicCast<CheckSystemInfo>(info)) {
            if (!system->networkOk)
                reasons << tr("没有测到网络延迟");
        } else if (auto camera = qSharedPointerDynamicCast<CheckCameraInfo>(info)) {
            if (camera->cannotSee)
                reasons << tr("您选择了看不到视频");
        } else if (auto speaker = qSharedPointerDynamicCast<CheckSpeakerInfo>(info)) {
            if (speaker->cannotHear) {
                reasons << tr("您选择了听不到声音");
                if (!speaker->answerRight)
                    reasons << tr("您选择了错误的播放声音");
            }
        } else if (auto mic = qSharedPointerDynamicCast<CheckMicrophoneInfo>(info)) {
            if (mic->cannotSeeLevel)
                reasons << tr("您选择了未检测到声音");
        }
        info->failReason = reasons.join(QLatin1Char('\n'));
        info->passed = reasons.isEmpty();
    }
}

void DeviceCheckDialog::showCheckReport()
{
    if (!reportWidget) {
        reportWidget = new QWidget(this);
        reportWidget->setStyleSheet(QStringLiteral("QWidget{background-color:#ffffff;}"));
        reportWidget->setObjectName(QStringLiteral("checkReportWidget"));
        reportForm = new Ui::CheckReporForm;
        reportForm->setupUi(reportWidget);
        QTableWidget* table = reportForm->tableWidget;
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setFocusPolicy(Qt::NoFocus);
        table->setAlternatingRowColors(true);
        table->horizontalHeader()->setSectionsClickable(false);
        table->setAutoScroll(false);
        table->setColumnWidth(0, kColumnWidth);
        table->setColumnWidth(1, kColumnWidth);
        connect(reportForm->repeatCheckBtn, &QPushButton::clicked, this, &DeviceCheckDialog::onRepeatCheck);
        connect(reportForm->sureBtn, &QPushButton::clicked, this, &DeviceCheckDialog::on_closeBtn_clicked);
    }
    QTableWidget* table = reportForm->tableWidget;
    table->setRowCount(0);
    evaluateCheckResults();

    int row = 0;
    for (auto it = checkInfos.cbegin(); it != checkInfos.cend(); ++it, ++row) {
        const QSharedPointer<CheckBaseInfo>& info = it.value();
        table->insertRow(row);
        table->setRowHeight(row, kRowHeight);
        if (!info)
            continue;
        const QColor colour(QLatin1String(info->passed ? vt::kColorSuccess : vt::kColorFail));
        const QString texts[] = {info->name, info->passed ? tr("正常") : tr("异常"), info->failReason};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignCenter);
            item->setForeground(colour);
            table->setItem(row, column, item);
        }
    }
    reportWidget->setGeometry(rect());
    reportWidget->show();
    reportWidget->raise();
}

void DeviceCheckDialog::onRepeatCheck()
{
    reportWidget->hide();
    goToPage(kSystemPage);
}
