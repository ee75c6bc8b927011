#pragma once
// The month calendar of the home window: six weeks of day cells around the
// shown month, Monday first. A press on a cell selects that day and emits
// itemClick(); the home window then reads the selection and marks the days
// with lessons through SetDayMark.
#include <QDate>
#include <QWidget>

#include <map>
#include <string>

class CaleItem;

class CalendarWdg : public QWidget {
    Q_OBJECT

public:
    explicit CalendarWdg(QWidget* parent = nullptr);

    // Shows the month of the date (year clamped to 2000..3000, month to
    // 1..12, day to 1..31 and then to the month's length) and selects it.
    void SetDate(int year, int month, int day);
    void ShowToday();
    // The selected date and the weekday name of its column.
    QString GetSelDate(int& year, int& month, int& day);
    // The shown month; returns the selected day of month.
    int GetShowMonth(int& year, int& month);
    QString GetSelLunar();
    // First and last shown dates as "yyyy-mm-dd"; both empty when unknown.
    void GetShowRange(std::string& first, std::string& last);
    bool SetDayMark(int year, int month, int day, const std::string& image);

    // The cell at a grid position 0..41 (null outside).
    CaleItem* Item(int pos) const;
    // For tests: the clock that ShowToday and construction read.
    static void SetTodayForTest(const QDate& date);
    // The local date (the test date when one is set).
    static QDate Today();

signals:
    void itemClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetItem(int pos, int y, int m, int d);
    void readToday();
    static int key(int y, int m, int d) { return y * 10000 + m * 100 + d; }

    // GUI thread only.
    CaleItem* m_items[42] = {};
    std::map<int, int> m_mapDatePos;
    int m_todayYear = 0, m_todayMonth = 0, m_todayDay = 0;
    int m_year = 0, m_month = 0, m_day = 0;
    int m_selDate = 0;
};
