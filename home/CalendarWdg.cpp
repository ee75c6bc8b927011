#include "home/CalendarWdg.h"

#include "home/CaleItem.h"
#include "home/CalendarRules.h"
#include "widgets/StyledBackground.h"

#include <QEvent>
#include <QGridLayout>

#include <algorithm>

namespace {

QDate g_testToday;  // GUI thread only; invalid = the system clock

const char* const kWeekNames[7] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};

}  // namespace

void CalendarWdg::SetTodayForTest(const QDate& date) { g_testToday = date; }

CalendarWdg::CalendarWdg(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(1, 1, 1, 1);
    grid->setSpacing(1);
    for (int row = 0; row < 6; ++row) {
        for (int col = 0; col < 7; ++col) {
            auto* item = new CaleItem(row * 7 + col);
            item->installEventFilter(this);
            grid->addWidget(item, row, col);
            m_items[row * 7 + col] = item;
        }
    }
    setStyleSheet(".CalendarWdg{background-color: transparent;}");
    readToday();
    SetDate(m_todayYear, m_todayMonth, m_todayDay);
}

QDate CalendarWdg::Today() { return g_testToday.isValid() ? g_testToday : QDate::currentDate(); }

void CalendarWdg::readToday()
{
    const QDate today = Today();
    m_todayYear = today.year();
    m_todayMonth = today.month();
    m_todayDay = today.day();
}

void CalendarWdg::ShowToday()
{
    readToday();
    SetDate(m_todayYear, m_todayMonth, m_todayDay);
}

CaleItem* CalendarWdg::Item(int pos) const { return pos >= 0 && pos < 42 ? m_items[pos] : nullptr; }

void CalendarWdg::SetDate(int year, int month, int day)
{
    m_mapDatePos.clear();
    m_year = std::clamp(year, 2000, 3000);
    m_month = std::clamp(month, 1, 12);
    m_day = std::clamp(day, 1, 31);
    const int first = GetWeekDay(m_year, m_month);
    const int days = GetMonthDays(m_year, m_month);
    m_day = std::min(m_day, days);
    m_selDate = key(m_year, m_month, m_day);

    const int prevYear = m_month == 1 ? m_year - 1 : m_year;
    const int prevMonth = m_month == 1 ? 12 : m_month - 1;
    const int prevDays = GetMonthDays(prevYear, prevMonth);
    const int nextYear = m_month == 12 ? m_year + 1 : m_year;
    const int nextMonth = m_month == 12 ? 1 : m_month + 1;
    const int c = first == 0 ? 6 : first - 1;

    int pos = 0;
    for (; pos < c; ++pos)
        SetItem(pos, prevYear, prevMonth, prevDays - c + 1 + pos);
    for (int d = 1; d <= days; ++d, ++pos)
        SetItem(pos, m_year, m_month, d);
    for (int d = 1; pos < 42; ++d, ++pos)
        SetItem(pos, nextYear, nextMonth, d);
}

void CalendarWdg::SetItem(int pos, int y, int m, int d)
{
    CaleItem* item = Item(pos);
    if (!item)
        return;
    const QString lunar = GetLunarDayLabel(y, m, d);
    m_mapDatePos[key(y, m, d)] = pos;
    item->m_bSelect = false;
    item->SetToday(false);
    item->SetText(QString::number(d), lunar);
    item->SetCurMonth(m == m_month);
    if (y == m_todayYear && m == m_todayMonth && d == m_todayDay)
        item->SetToday(true);
    if (m == m_month && d == m_day) {
        item->m_bSelect = true;
        item->SetToday(item->m_bToday);
    }
}

QString CalendarWdg::GetSelDate(int& year, int& month, int& day)
{
    year = m_selDate / 10000;
    month = m_selDate / 100 % 100;
    day = m_selDate % 100;
    const auto it = m_mapDatePos.find(m_selDate);
    const int column = it == m_mapDatePos.end() ? 0 : it->second % 7;
    return QString::fromUtf8(kWeekNames[column]);
}

int CalendarWdg::GetShowMonth(int& year, int& month)
{
    year = m_year;
    month = m_month;
    return m_selDate % 100;
}

QString CalendarWdg::GetSelLunar()
{
    return GetLunarDateText(m_selDate / 10000, m_selDate / 100 % 100, m_selDate % 100);
}

void CalendarWdg::GetShowRange(std::string& first, std::string& last)
{
    first.clear();
    last.clear();
    int firstKey = 0, lastKey = 0;
    for (const auto& [k, pos] : m_mapDatePos) {
        if (pos == 0)
            firstKey = k;
        if (pos == 41)
            lastKey = k;
    }
    if (!firstKey || !lastKey)
        return;
    const auto text = [](int k) {
        return QString::asprintf("%04d-%02d-%02d", k / 10000, k / 100 % 100, k % 100).toStdString();
    };
    first = text(firstKey);
    last = text(lastKey);
}

bool CalendarWdg::SetDayMark(int year, int month, int day, const std::string& image)
{
    const auto it = m_mapDatePos.find(key(year, month, day));
    if (it == m_mapDatePos.end())
        return false;
    m_items[it->second]->SetMark(image);
    return true;
}

bool CalendarWdg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* pressed = qobject_cast<CaleItem*>(watched);
        if (pressed && std::find(std::begin(m_items), std::end(m_items), pressed) != std::end(m_items)) {
            for (CaleItem* item : m_items) {
                item->m_bSelect = item == pressed;
                if (item == pressed) {
                    for (const auto& [k, pos] : m_mapDatePos) {
                        if (pos == item->m_index) {
                            m_selDate = k;
                            break;
                        }
                    }
                }
                item->SetToday(item->m_bToday);
            }
            emit itemClick();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CalendarWdg::paintEvent(QPaintEvent*) { PaintStyledBackground(this); }
