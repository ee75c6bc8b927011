#include "home/ClassListWidget.h"

#include "ui_ClassListWidget.h"

#include "ClientLib.h"
#include "app/AppUpdater.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "home/CalendarWdg.h"
#include "home/ClassInfoWdg.h"
#include "home/CoursePage.h"
#include "home/GroupPage.h"
#include "home/ShareTmpRoomWidget.h"

#include <QDate>
#include <QStringList>

namespace {

const char kNoLessonStyle[] =
    "border-image: url(:/class/res/class/nolive.png);\nmin-width: 135px;\nmax-width: 135px;\nmin-height: "
    "135px;\nmax-height: 135px;";

// Pages of the main stack and of the day's lesson stack.
enum MainPage { kPageCourse = 0, kPageCalendar = 1, kPageGroup = 2 };
enum DayPage { kPageLessons = 0, kPageNoLesson = 1 };

ClientLib* clientLib() { return Room::instance()->GetClientLib(); }

}  // namespace

ClassListWidget::ClassListWidget(QWidget* parent) : QWidget(parent), ui(new Ui::ClassListWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setMinimumSize(1000, 680);
    setWindowTitle("vtclasstea");
    ui->labDayInfo2->hide();
    ui->btnRefresh->hide();
    ui->labAppLogo->setStyleSheet("border-image: url(:/class/res/class/logo.png);");

    calendar = new CalendarWdg(nullptr);
    ui->caleLay->addWidget(calendar, 0);
    calendar->GetSelDate(todayYear, todayMonth, todayDay);

    for (int year = todayYear - 1; year <= todayYear + 1; ++year)
        ui->cmbYear->addItem(QString("%1").arg(year), year);
    ui->cmbYear->setCurrentText(QString("%1").arg(todayYear));
    ui->spinMonth->setValue(todayMonth);
    ui->cmbYear->hide();
    ui->spinMonth->hide();

    ui->headerImg->setAutoFillBackground(true);
    ShareTmpRoomWidget::SetParentWidget(this);
    ui->stackMain->setCurrentIndex(kPageCalendar);
    RefreshDayPanel();

    connect(calendar, &CalendarWdg::itemClick, this, &ClassListWidget::OnCaleItemClick);
    connect(ui->cmbYear, &QComboBox::currentTextChanged, this,
            &ClassListWidget::OnComYearSelChanged);
    connect(ui->spinMonth, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &ClassListWidget::OnSpinMonthSelChanged);
    connect(ui->btnToday, &QPushButton::clicked, this, &ClassListWidget::OnShowToday);
    for (QPushButton* b : {ui->btnMin, ui->btnMax, ui->btnClose, ui->btnRefresh, ui->btnCourse, ui->btnCale,
                           ui->btnMessage, ui->btnRecorder, ui->btnLeft, ui->btnRight, ui->btnGetCalcClass})
        connect(b, &QPushButton::clicked, this, &ClassListWidget::OnButtonClick);
    if (!CData::instance()->IsTeacher())
        ui->btnRecorder->hide();
    // A lesson row whose countdown ran out asks for the day again.
    connect(ui->classInfoWdg, &ClassInfoWdg::sgUpdateData, this, [this] { ui->btnRefresh->click(); });

    connectMenusAndShortcuts();

    Logger::instance()->Log(300, "ClassListWidget", "app %s version %s", "", "1.4.7");
    // The update check reports to this window (ClassListUpdate.cpp).
    AppUpdater* updater = CData::instance()->GetUpdater();
    updater->SetNotifyWindow(this);
    updater->StartCheck();
}

ClassListWidget::~ClassListWidget() { delete ui; }

QString ClassListWidget::userType() const { return QString::number(CData::instance()->GetLocalUser()->type); }

void ClassListWidget::OnButtonClick()
{
    QWidget* w = qobject_cast<QWidget*>(sender());
    if (!w)
        return;
    if (w == ui->btnMin) {
        showMinimized();
    } else if (w == ui->btnMax) {
        if (ui->btnMax->isChecked())
            showMaximized();
        else
            showNormal();
    } else if (w == ui->btnRefresh || w == ui->btnGetCalcClass) {
        OnCaleItemClick();
    } else if (w == ui->btnClose) {
        close();
    } else if (w == ui->btnCourse) {
        if (ClientLib* lib = clientLib()) {
            if (CData::instance()->IsTeacher())
                lib->GetClasses();
            else
                lib->GetStudentClasses("", "");
        }
        ui->stackMain->setCurrentIndex(kPageCourse);
        ui->labTitle->setText(tr("课程"));
    } else if (w == ui->btnCale) {
        ui->stackMain->setCurrentIndex(kPageCalendar);
        ui->labTitle->setText(tr("日历"));
    } else if (w == ui->btnMessage) {
        ui->stackMain->setCurrentIndex(kPageGroup);
        ui->btnMessage->setChecked(false);
        ui->btnMessage->setCheckable(false);
        for (const auto& kv : pendingReadTs)
            CSettings::instance()->SetValue(kv.first, kv.second);
        pendingReadTs.clear();
        ui->labTitle->setText(tr("消息"));
    } else if (w == ui->btnRecorder) {
        const std::vector<CourseInfo> courses = CData::instance()->GetCourses();
        if (courses.empty())
            Logger::instance()->Log(200, "ClassListWidget::OnButtonClick", "make record room failed. no course");
        else if (ClientLib* lib = clientLib())
            lib->MakeTmpRoom(4, QString::fromStdString(courses.front().groupId));
    } else if (w == ui->btnLeft || w == ui->btnRight) {
        int y = 0, m = 0;
        calendar->GetShowMonth(y, m);
        if (w == ui->btnLeft)
            m < 2 ? GoToMonth(y - 1, 12) : GoToMonth(y, m - 1);
        else
            m < 12 ? GoToMonth(y, m + 1) : GoToMonth(y + 1, 1);
    }
}

void ClassListWidget::GetOrders()
{
    std::string first, last;
    calendar->GetShowRange(first, last);
    CData* data = CData::instance();
    if (!data->HasCalePoints(first)) {
        if (ClientLib* lib = clientLib())
            lib->GetOrders(QString::fromStdString(first), QString::fromStdString(last), userType());
        return;
    }
    int sy = 0, sm = 0, sd = 0;
    calendar->GetSelDate(sy, sm, sd);
    bool selectedHasLessons = false;
    for (const std::string& point : data->GetCalePoints(first)) {
        const QStringList parts = QString::fromStdString(point).split('-');
        if (parts.size() != 3) {
            Logger::instance()->Log(200, "ClassListWidget::GetOrders", "room point day err %s", point.c_str());
            continue;
        }
        const int y = parts[0].toInt(), m = parts[1].toInt(), d = parts[2].toInt();
        calendar->SetDayMark(y, m, d, "daytip.png");
        if (y == sy && m == sm && d == sd)
            selectedHasLessons = true;
    }
    if (!selectedHasLessons) {
        ui->labNoClassImg->setStyleSheet(kNoLessonStyle);
        ui->btnGetCalcClass->hide();
    }
    ui->stackClassList->setCurrentIndex(selectedHasLessons ? kPageLessons : kPageNoLesson);
}

void ClassListWidget::OnCaleItemClick()
{
    CData::instance()->ClearDayRooms(false);
    RefreshDayPanel();
    int y = 0, m = 0, d = 0;
    calendar->GetSelDate(y, m, d);
    ui->btnToday->setVisible(!(y == todayYear && m == todayMonth && d == todayDay));
    GetOrders();
}

void ClassListWidget::OnComYearSelChanged(const QString& yearText)
{
    GoToMonth(yearText.toInt(), ui->spinMonth->value());
}

void ClassListWidget::GoToMonth(int year, int month)
{
    int shownYear = 0, shownMonth = 0;
    const int day = calendar->GetShowMonth(shownYear, shownMonth);
    if (year != shownYear || month != shownMonth) {
        calendar->SetDate(year, month, day);
        RefreshDayPanel();
        ui->btnToday->setVisible(!(year == todayYear && month == todayMonth && day == todayDay));
    }
    GetOrders();
}

void ClassListWidget::OnSpinMonthSelChanged(int month)
{
    int shownYear = 0, shownMonth = 0;
    calendar->GetShowMonth(shownYear, shownMonth);
    if (month != shownMonth)
        OnComYearSelChanged(ui->cmbYear->currentText());
}

void ClassListWidget::OnShowToday()
{
    int y = 0, m = 0, d = 0;
    calendar->GetSelDate(y, m, d);
    if (y != todayYear || m != todayMonth) {
        ui->cmbYear->setCurrentText(QString("%1").arg(todayYear));
        ui->spinMonth->setValue(todayMonth);
    }
    calendar->SetDate(todayYear, todayMonth, todayDay);
    RefreshDayPanel();
    GetOrders();
    ui->btnToday->hide();
}

void ClassListWidget::RefreshDayPanel()
{
    int y = 0, m = 0, d = 0;
    const QString weekday = calendar->GetSelDate(y, m, d);
    ui->labYearMonth->setText(QString("%1 %2").arg(y).arg(m));
    ui->labDay->setText(QString::number(d));
    ui->labDayInfo->setText(weekday);
    ui->labDayInfo2->setText(calendar->GetSelLunar());
    CData* data = CData::instance();
    if (!data->GetStatus(kStatusSignedIn))
        return;
    const QString key = QString("%1-%2-%3").arg(y).arg(m, 2, 10, QChar('0')).arg(d, 2, 10, QChar('0'));
    if (data->HasDayRooms(key.toStdString())) {
        ui->classInfoWdg->ClearRooms();
        ui->classInfoWdg->SetRooms(data->GetDayRooms(key.toStdString()));
        return;
    }
    std::string first, last;
    calendar->GetShowRange(first, last);
    if (ClientLib* lib = clientLib())
        lib->GetDayRooms(key, key, userType(), QString::fromStdString(first));
}

void ClassListWidget::OnTimerUpdate(int tick)
{
    CData* data = CData::instance();
    if (!data->GetLoginVar().isEmpty() || !data->GetStatus(kStatusSignedIn))
        return;
    ui->coursePage->OnTimerUpdate(tick);
    ui->groupPage->OnTimerUpdate(tick);
    if (tick % 60 != 0)
        return;
    const QDate now = CalendarWdg::Today();
    if (now.year() != todayYear || now.month() != todayMonth || now.day() != todayDay) {
        todayYear = now.year();
        todayMonth = now.month();
        todayDay = now.day();
        calendar->ShowToday();
        OnShowToday();
    }
    ui->btnRefresh->click();
    if (!data->IsTeacher() && ui->stackMain->currentIndex() == kPageCourse)
        if (ClientLib* lib = clientLib())
            lib->GetStudentClasses("", "");
}

void ClassListWidget::GetRoomUrl(QString text)
{
    if (!text.isEmpty() && !isHidden())
        hide();
}
