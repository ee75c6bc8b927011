#pragma once
// An orange pill with one large text button, centred near the top of its
// parent with an adjustable offset; a click is reported by sgClickButton().
// It follows its parent's resizes. GUI thread only.
#include <QWidget>

namespace Ui {
class ButtonFloatWidget;
}

class ButtonFloatWidget : public QWidget {
    Q_OBJECT
public:
    explicit ButtonFloatWidget(QWidget* parent);
    ~ButtonFloatWidget() override;

    // Stores the offsets and re-places the pill when it is visible.
    void SetPos(int top, int dx);
    void SetText(QString text);
    // Places, shows and raises the pill.
    void ShowAtPos();

signals:
    void sgClickButton();

public slots:
    void on_pushButton_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Place();

    Ui::ButtonFloatWidget* ui;   // GUI thread only, like every member
    QWidget* m_parent;
    int m_top = 0;
    int m_dx = 0;
};
