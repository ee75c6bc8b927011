#include "home/CourseItem.h"

#include "ui_CourseItem.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Room.h"
#include "home/RowPicture.h"

#include <QTimer>

namespace {
const char* const kDefaultPicture = ":/class/res/class/classDefalut.png";
const char* const kTmpPicture = ":/class/res/class/15min.png";
constexpr int kRowHeight = 90;
constexpr int kButtonPauseMs = 3000;
constexpr int kLiveTmpRoom = 3;
}  // namespace

CourseItem::CourseItem(QWidget* parent) : QWidget(parent), ui(new Ui::CourseItem)
{
    ui->setupUi(this);
    setFixedHeight(kRowHeight);
}

CourseItem::~CourseItem() { delete ui; }

void CourseItem::SetCourse(CourseInfo course, bool allowTmp)
{
    m_course = std::move(course);
    ui->btnMakeTmp->setVisible(m_course.isTmp && allowTmp);
    ui->labCourse->setText(QString::fromStdString(m_course.name));
    if (m_course.isTmp) {
        ui->labStatues->hide();
        if (CData::instance()->IsTeacher())
            ui->labProgress->setText(
                tr("已使用%1节 剩余%2节(含免费%3节)").arg(m_course.used).arg(m_course.rest).arg(m_course.free));
        else
            ui->labProgress->setText(QString("%1/%2").arg(m_course.used).arg(m_course.free));
        ui->labImage->setPixmap(
            QPixmap(kTmpPicture).scaled(ui->labImage->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        return;
    }
    ui->labProgress->setText(QString("%1/%2").arg(m_course.end).arg(m_course.total));
    QPixmap picture = rowpicture::Cached(m_course.image);
    if (picture.isNull()) {
        picture.load(kDefaultPicture);
        rowpicture::Start(m_course.image, this, &CourseItem::OnDownFinish);
    }
    ui->labImage->setPixmap(picture.scaled(ui->labImage->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}

// The worker frees itself after reporting.
void CourseItem::OnDownFinish(DownThread* d)
{
    if (d->type == rowpicture::kPictureDownload)
        rowpicture::Show(ui->labImage, d->GetLocalFile(), kDefaultPicture, Qt::FastTransformation);
}

void CourseItem::on_btnMakeTmp_clicked()
{
    ui->btnMakeTmp->setEnabled(false);
    QTimer::singleShot(kButtonPauseMs, ui->btnMakeTmp, [b = ui->btnMakeTmp] { b->setEnabled(true); });
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->MakeTmpRoom(kLiveTmpRoom, QString::fromStdString(m_course.groupId));
}
