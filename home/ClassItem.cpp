#include "home/ClassItem.h"

#include "ui_ClassItem.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "home/ShareTmpRoomWidget.h"

#include <QDateTime>
#include <QTextDocument>

namespace {

// Lesson status as the server sends it.
enum RoomStatus { kNotStarted = -1, kLive = 0, kPlayback = 1, kEnded = 2 };
// Room kinds of the entry request.
enum EnterKind { kEnterLesson = 2, kEnterTmpRoom = 3, kEnterPlayback = 5 };
constexpr int kFreeRoomType = 3;

QString buttonStyle(const char* normal, const char* height, const char* disabled, const char* hover)
{
    const QString base = QString("font:15px;border-radius:14px;width:100px;%1").arg(height);
    QString css;
    css += QString("QPushButton{%1%2}").arg(base, normal);
    css += QString("QPushButton:disabled{%1border:0px;%2}").arg(base, disabled);
    css += QString("QPushButton:hover{%1%2}").arg(base, hover);
    css += QString("QPushButton:pressed{%1%2}").arg(base, hover);
    return css;
}

const char* const kFixedHeight = "min-height:28px;max-height:28px;";
const char* const kTealHover = "background:#67c0ba;color:rgb(255,255,255);";

QString timeText(const std::string& text, const char* format)
{
    return QDateTime::fromString(QString::fromStdString(text), "yyyy-MM-dd hh:mm:ss").toString(format);
}

}  // namespace

const QString& ClassItem::EnterButtonStyle()
{
    static const QString s = buttonStyle("color:#ffffff;background:#67c0ba;border:1px solid  #67c0ba;", kFixedHeight,
                                         "background:#eaeaea;color:#9f9f9f;", kTealHover);
    return s;
}

const QString& ClassItem::WaitButtonStyle()
{
    static const QString s = buttonStyle("color:#67c0ba;background:#f0f0f0;border:1px solid  #67c0ba;", kFixedHeight,
                                         "background:#ffeed0;color:#d6c49a;", kTealHover);
    return s;
}

const QString& ClassItem::ReplayButtonStyle()
{
    static const QString s = buttonStyle("color:#67c0ba;background:#f0f0f0;border:1px solid  #67c0ba;", kFixedHeight,
                                         "background:#eaeaea;color:#9f9f9f;", kTealHover);
    return s;
}

const QString& ClassItem::ShareButtonStyle()
{
    static const QString s = buttonStyle("color:#67c0ba;background:#f0f0f0;border:1px solid  #f2a71d;", "height:28px;",
                                         "background:#eaeaea;color:#9f9f9f;", "background:#f2a71d;color:rgb(255,255,255);");
    return s;
}

ClassItem::ClassItem(QWidget* parent) : QWidget(parent), ui(new Ui::ClassItem) { ui->setupUi(this); }

ClassItem::~ClassItem() { delete ui; }

void ClassItem::InitUI(const RoomInfo& info)
{
    QStringList names;
    for (const TeacherInfo& t : info.teacher)
        names << QString::fromStdString(t.name);
    const QString teachers = names.join(QString::fromUtf8("、"));
    m_info = info;
    ui->labName->setText(QString::fromStdString(info.room_name));
    if (!info.teacher.empty()) {
        ui->labTeacher->setText(ui->labTeacher->fontMetrics().elidedText(teachers, Qt::ElideRight,
                                                                         ui->labTeacher->width()));
        // A tool tip that looks like markup is shown as the text it is.
        ui->labTeacher->setToolTip(Qt::mightBeRichText(teachers) ? Qt::convertFromPlainText(teachers) : teachers);
    }
    ui->labTime->setText(QString("%1-%2").arg(timeText(info.begin, "yyyy/MM/dd hh:mm"), timeText(info.end, "hh:mm")));
    ui->btnEnter->setStyleSheet(EnterButtonStyle());
    ui->btnQRCode->setStyleSheet(ShareButtonStyle());
    const bool free = info.isTmp || info.room_type == kFreeRoomType;
    ui->labFree->setVisible(free);
    ui->btnEnter->setEnabled(info.status == kLive || info.status == kPlayback);
    ui->labCountTs->hide();

    if (free) {
        const bool live = info.status == kLive;
        ui->btnEnter->setText(live ? tr("进入直播") : tr("已结束"));
        ui->btnQRCode->setText(tr("分享课程"));
        ui->btnQRCode->setVisible(live && info.room_type != kFreeRoomType);
    } else {
        ui->btnQRCode->setText(tr("二维码"));
        ui->btnQRCode->hide();
        switch (info.status) {
        case kNotStarted:
            ui->btnEnter->setText(tr("未开始"));
            ui->btnEnter->setStyleSheet(WaitButtonStyle());
            ui->labCountTs->setText(PubUtils::FormatDuration(info.enterts, true));
            ui->labCountTs->setVisible(info.enterts > 0);
            break;
        case kLive:
            ui->btnEnter->setText(tr("进入直播"));
            break;
        case kPlayback:
            ui->btnEnter->setText(tr("看回放"));
            ui->btnEnter->setStyleSheet(ReplayButtonStyle());
            break;
        case kEnded:
            ui->btnEnter->setText(tr("已结束"));
            break;
        default:
            ui->btnEnter->setText(tr("已结束"));
            Logger::instance()->Log(200, "ClassItem::InitUI", "class %s, %s statues err %d", info.room_id.c_str(),
                                    info.room_name.c_str(), info.status);
            break;
        }
    }
    if (info.enterts > 0)
        connect(CData::instance(), &CData::sgTimerUpdate, this, &ClassItem::OnTimerUpdate, Qt::UniqueConnection);
}

void ClassItem::OnTimerUpdate(int)
{
    if (m_info.enterts <= 0)
        return;
    --m_info.enterts;
    ui->labCountTs->setText(PubUtils::FormatDuration(m_info.enterts, true));
    if (m_info.enterts == 0)
        emit sgUpdateData(QString::fromStdString(m_info.course_id), QString::fromStdString(m_info.group_id));
}

void ClassItem::on_btnEnter_clicked()
{
    const int kind = m_info.isTmp ? kEnterTmpRoom : m_info.status == kPlayback ? kEnterPlayback : kEnterLesson;
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib)
        return;
    lib->EnterRoomRequest(QString::fromStdString(m_info.group_id), QString::fromStdString(m_info.room_id),
                          QString::number(CData::instance()->GetLocalUser()->type), QString::number(kind));
}

// Temporary rooms: the room's one sharing dialog.
void ClassItem::on_btnQRCode_clicked()
{
    if (!m_info.isTmp)
        return;
    ShareTmpRoomWidget* dialog = ShareTmpRoomWidget::GetWidget(m_info);
    dialog->show();
    dialog->raise();
}
