#pragma once
// The small round "问题" button floating near the bottom-right corner of its
// parent (15 px from the right, 50 from the bottom); a press asks the main
// window to fold or unfold the quiz statistics (control command 3).
// GUI thread only.
#include <QVariant>
#include <QWidget>

class QLabel;

class ToastQuestionButton : public QWidget {
    Q_OBJECT
public:
    static constexpr int Side = 40;
    static constexpr int RightGap = 15;
    static constexpr int BottomGap = 50;
    static constexpr int FoldQuizCmd = 3;  // the main window's control command

    explicit ToastQuestionButton(QWidget* parent);
    ~ToastQuestionButton() override;

signals:
    void sgControlCmd(int cmd, const QVariant& var);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;  // draws the style sheet's face

private:
    void placeInCorner();

    QWidget* m_watched;  // the parent it floats on; not owned
    QLabel* m_label;
};
