#pragma once
// One day cell of the month calendar: the day number, a hidden lunar label
// (its colour still follows whether it names a festival) and a small mark
// for days with lessons. Cells are circles: filled teal when selected, with a
// blue ring for today.
#include <QWidget>

#include <string>

class QLabel;

class CaleItem : public QWidget {
    Q_OBJECT
    friend class CalendarWdg;

public:
    explicit CaleItem(int index);

    void SetToday(bool today);
    void SetCurMonth(bool inMonth);
    void SetText(const QString& day, const QString& lunar);
    void SetMark(const std::string& image);

    // For the calendar and tests: state of the cell.
    bool IsToday() const { return m_bToday; }
    bool IsSelected() const { return m_bSelect; }
    bool IsCurMonth() const { return m_bCurMonth; }
    int Index() const { return m_index; }
    QString DayText() const;
    QString LunarText() const;
    QString LunarStyle() const;
    QString DayStyle() const;
    QString MarkStyle() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyStyle(int radius);

    // GUI thread only.
    QLabel* m_labMark = nullptr;
    QLabel* m_labDay = nullptr;
    QLabel* m_labLunar = nullptr;
    int m_index = 0;
    bool m_bToday = false;
    bool m_bSelect = false;
    bool m_bCurMonth = false;
    std::string m_strMark;
    std::string m_strSelMark = "daytip2.png";
};
