#include "home/CoursePage.h"

#include "ui_CoursePage.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "home/ClassInfoWdg.h"
#include "home/CourseItem.h"

#include <QTimer>

namespace {
constexpr int kRowHeight = 90;
constexpr int kRefreshTicks = 70;
constexpr int kButtonPauseMs = 3000;
constexpr int kLiveTmpRoom = 3;

QString userType() { return QString::number(CData::instance()->GetLocalUser()->type); }
}  // namespace

CoursePage::CoursePage(QWidget* parent) : QWidget(parent), ui(new Ui::CoursePage)
{
    ui->setupUi(this);
    ui->listCourse->setFocusPolicy(Qt::NoFocus);
    ui->listCourse->setFrameShape(QFrame::NoFrame);
    ui->listCourse->setSpacing(0);
    ui->listCourse->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->listCourse->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ui->listCourse->setStyleSheet(
        "QListWidget{background-color: #ffffff; }QListWidget::item:selected{ background-color:rgba(93,192,186,0.10); "
        "}QListWidget::item:selected:!active{ background-color:rgba(93,192,186,0.10); }");
    ui->edtSearch->setAttribute(Qt::WA_MacShowFocusRect, false);
    connect(ui->listCourse, &QListWidget::itemPressed, this, &CoursePage::onCourseItemPressed);
    connect(ui->edtSearch, SIGNAL(returnPressed()), ui->btnSearch, SIGNAL(clicked()), Qt::UniqueConnection);
    m_tmpCourseFlag = 0;
    if (!CData::instance()->IsTeacher())
        ui->btnAddCourse->hide();
    connect(ui->classInfoWdg, &ClassInfoWdg::sgUpdateData, this, [this](QString coursid, QString groupid) {
        if (!coursid.isEmpty() && !groupid.isEmpty())
            requestLessons(groupid, coursid, coursid);
    });
}

CoursePage::~CoursePage() { delete ui; }

void CoursePage::requestLessons(const QString& groupId, const QString& courseId, const QString& id)
{
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->GetCourseList(groupId, courseId, userType(), id);
}

void CoursePage::SetCourseList(std::vector<CourseInfo> courses)
{
    QListWidgetItem* current = ui->listCourse->currentItem();
    const QByteArray remembered = current ? current->data(Qt::UserRole).toString().toUtf8() : QByteArray();
    ui->listCourse->setCurrentItem(nullptr, QItemSelectionModel::Clear);
    ui->listCourse->clear();
    int select = remembered.isEmpty() ? 0 : -1;
    for (size_t i = 0; i < courses.size(); ++i) {
        auto* item = new QListWidgetItem(ui->listCourse);
        auto* row = new CourseItem;
        item->setSizeHint(QSize(0, kRowHeight));
        row->SetCourse(courses[i], m_tmpCourseFlag > 1);
        const QString id = QString::fromStdString(courses[i].courseId);
        item->setData(Qt::UserRole, id);
        ui->listCourse->setItemWidget(item, row);
        if (!remembered.isEmpty() && id.toUtf8() == remembered)
            select = int(i);
    }
    if (select >= 0 && select < ui->listCourse->count()) {
        ui->listCourse->setCurrentRow(select);
        onCourseItemPressed(ui->listCourse->item(select));
    }
}

void CoursePage::ShowAddCourse(int)
{
    m_tmpCourseFlag = 1;
    ui->btnAddCourse->show();
}

void CoursePage::RefreshCurrent()
{
    if (QListWidgetItem* item = ui->listCourse->currentItem())
        onCourseItemPressed(item);
}

void CoursePage::onCourseItemPressed(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString id = item->data(Qt::UserRole).toString();
    CourseInfo rec;
    CData::instance()->GetCourse(id.toStdString(), rec);
    if (rec.groupId.empty() && !rec.isTmp)
        return;
    ui->classInfoWdg->ClearRooms();
    if (rec.isTmp) {
        ui->classInfoWdg->SetRooms(CData::instance()->GetRoomList());
        return;
    }
    if (rec.roomsLoaded) {
        ui->classInfoWdg->SetRooms(rec.rooms);
        return;
    }
    requestLessons(QString::fromStdString(rec.groupId), QString::fromStdString(rec.courseId), id);
}

void CoursePage::on_btnSearch_clicked()
{
    const QByteArray text = ui->edtSearch->text().toUtf8();
    std::vector<CourseInfo> kept;
    for (const CourseInfo& c : CData::instance()->GetCourses()) {
        if (text.isEmpty() || c.name.find(text.toStdString()) != std::string::npos)
            kept.push_back(c);
    }
    ui->listCourse->setCurrentItem(nullptr, QItemSelectionModel::Clear);
    ui->listCourse->clear();
    SetCourseList(kept);
}

void CoursePage::on_btnAddCourse_clicked()
{
    ui->btnAddCourse->setEnabled(false);
    QTimer::singleShot(kButtonPauseMs, ui->btnAddCourse, [b = ui->btnAddCourse] { b->setEnabled(true); });
    const std::vector<CourseInfo> courses = CData::instance()->GetCourses();
    if (courses.empty()) {
        Logger::instance()->Log(200, "CoursePage::on_btnAddCourse_clicked", "make tmp room failed. no course");
        return;
    }
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->MakeTmpRoom(kLiveTmpRoom, QString::fromStdString(courses.front().groupId));
}

void CoursePage::OnTimerUpdate(int tick)
{
    QListWidgetItem* item = ui->listCourse->currentItem();
    if (tick % kRefreshTicks != 0 || !item)
        return;
    const QString id = item->data(Qt::UserRole).toString();
    CourseInfo rec;
    CData::instance()->GetCourse(id.toStdString(), rec);
    if (!rec.isTmp && !rec.groupId.empty())
        requestLessons(QString::fromStdString(rec.groupId), QString::fromStdString(rec.courseId), id);
}

void CoursePage::Clear()
{
    ui->listCourse->setCurrentItem(nullptr, QItemSelectionModel::Clear);
    ui->listCourse->clear();
}
