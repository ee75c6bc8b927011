#include "home/ShareTmpRoomWidget.h"

#include "ui_ShareTmpRoomWidget.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "widgets/RoundedMask.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QRegExpValidator>
#include <QTimer>

namespace {

const char kCountryCode[] = "86";
const int kPhoneLength = 11;
const int kFindPauseMs = 3000;

}  // namespace

std::map<std::string, ShareTmpRoomWidget*> ShareTmpRoomWidget::s_dialogs;
QPointer<QWidget> ShareTmpRoomWidget::s_parent;

ShareTmpRoomWidget* ShareTmpRoomWidget::GetWidget(const RoomInfo& room)
{
    if (ShareTmpRoomWidget* open = FindWidget(room.room_id))
        return open;
    auto* dialog = new ShareTmpRoomWidget(s_parent);
    dialog->m_room = room;
    s_dialogs[room.room_id] = dialog;
    return dialog;
}

ShareTmpRoomWidget* ShareTmpRoomWidget::FindWidget(const std::string& roomId)
{
    const auto it = s_dialogs.find(roomId);
    return it == s_dialogs.end() ? nullptr : it->second;
}

void ShareTmpRoomWidget::SetParentWidget(QWidget* parent) { s_parent = parent; }

QString ShareTmpRoomWidget::HistoryEntry(const QString& phone, const QString& name)
{
    QString safeName = name;
    safeName.replace(QLatin1Char('|'), QString::fromUtf8("｜"));
    return phone + "(" + safeName + ")";
}

ShareTmpRoomWidget::ShareTmpRoomWidget(QWidget* parent) : QDialog(parent), ui(new Ui::ShareTmpRoomWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->lineFind->setAttribute(Qt::WA_MacShowFocusRect, false);
    ui->lineFind->setValidator(new QRegExpValidator(QRegExp("[1]{1}[0-9]{10}"), ui->lineFind));

    const QStringList history = CData::instance()->GetIphoneShareList();
    for (int i = 0; i < history.size(); ++i) {
        auto* button = new QPushButton(history[i], ui->widget);
        button->setStyleSheet("font: 13px; color: #666666;background:transparent;");
        button->setFixedHeight(26);
        connect(button, &QPushButton::clicked, this, &ShareTmpRoomWidget::OnButtonClick);
        ui->gridLayout->addWidget(button, i / 2, i % 2);
    }
}

ShareTmpRoomWidget::~ShareTmpRoomWidget()
{
    // A dialog that goes with its parent, unclosed, leaves the registry too.
    unregister();
    delete ui;
}

void ShareTmpRoomWidget::unregister()
{
    const auto it = s_dialogs.find(m_room.room_id);
    if (it != s_dialogs.end() && it->second == this)
        s_dialogs.erase(it);
}

void ShareTmpRoomWidget::OnFindUserResult(const QString& phone, const QString& name, const QString& userId)
{
    if (phone != m_phone) {
        // An answer for a number no longer asked about: ask again next time.
        m_phone.clear();
        return;
    }
    if (userId.isEmpty()) {
        ui->labTip->setText(tr("未找到用户，请确认用户手机号有效"));
        return;
    }
    m_userId = userId;
    m_userName = name;
    ui->labTip->setText(tr("分享给：%1").arg(name));
}

void ShareTmpRoomWidget::OnShareFailed(const QString& message) { ui->labTip->setText(tr("分享失败，%1").arg(message)); }

void ShareTmpRoomWidget::OnButtonClick()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (!button)
        return;
    ui->lineFind->setText(button->text().split("(").first());
}

void ShareTmpRoomWidget::on_btnClose_clicked() { close(); }

void ShareTmpRoomWidget::on_btnCancel_clicked() { close(); }

void ShareTmpRoomWidget::on_btnOk_clicked()
{
    const QString phone = ui->lineFind->text();
    if (phone.size() != kPhoneLength) {
        ui->labTip->setText(tr("手机号无效，请重新输入"));
        return;
    }
    if (phone != m_phone || m_userId.isEmpty()) {
        ui->labTip->setText(tr("请先查找用户后，再分享"));
        return;
    }
    if (m_room.course_id.empty() || m_room.room_id.empty()) {
        // The server would take a share without its course for a broken one.
        Logger::instance()->Log(200, "ShareTmpRoomWidget::on_btnOk_clicked", "room %s without course id, not shared",
                                m_room.room_id.c_str());
        ui->labTip->setText(tr("课堂信息不完整，请重新打开分享"));
        return;
    }
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib)
        return;
    lib->ShareTmpRoom(QString::fromUtf8(m_room.course_id.c_str()), QString::fromUtf8(m_room.room_id.c_str()), m_userId);
}

void ShareTmpRoomWidget::on_btnFind_clicked()
{
    const QString phone = ui->lineFind->text();
    if (phone.size() != kPhoneLength) {
        ui->labTip->setText(tr("手机号无效，请重新输入"));
        return;
    }
    ui->btnFind->setEnabled(false);
    QTimer::singleShot(kFindPauseMs, this, [this] { ui->btnFind->setEnabled(true); });
    if (phone == m_phone) {
        ui->labTip->setText(m_userId.isEmpty() ? tr("未找到用户，请确认用户手机号有效") : tr("分享给：%1").arg(m_userName));
        return;
    }
    m_userId.clear();
    m_userName.clear();
    m_phone = phone;
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->FindUser(phone, kCountryCode, QString::fromUtf8(m_room.room_id.c_str()));
}

void ShareTmpRoomWidget::on_btnClearHistory_clicked()
{
    CData::instance()->AddIphoneShare(QString());
    while (QLayoutItem* item = ui->gridLayout->takeAt(0)) {
        if (QWidget* button = item->widget())
            button->deleteLater();
        delete item;
    }
}

void ShareTmpRoomWidget::closeEvent(QCloseEvent* event)
{
    unregister();
    QDialog::closeEvent(event);
}

void ShareTmpRoomWidget::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    SetRoundedMask(this, 4);
}
