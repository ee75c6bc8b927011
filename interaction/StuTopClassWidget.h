#pragma once
// The student's product card: the product the teacher has put up, floating
// inside the main window (lower left in class mode, centred in advert mode),
// with a details button and a close button that keeps the product. Made and
// driven by the product card panel; dormant in the teacher build. GUI
// thread only; the picture download runs on the global thread pool.
#include <QVariant>
#include <QWidget>

class DownThread;

namespace Ui {
class StuTopClassWidget;
}

class StuTopClassWidget : public QWidget {
    Q_OBJECT
public:
    explicit StuTopClassWidget(QWidget* parent);
    ~StuTopClassWidget() override;

    void SetClassMode(bool classMode);
    // Shows the product and places the card; always true.
    bool ShowProduct(const QVariant& product);
    // Places and shows the card when it holds a product; whether it did.
    bool ShowWidget();
    void ResetData(bool hide);

    QVariantMap Product() const { return m_data; }

public slots:
    void on_btnClose_clicked();
    void on_btnInfo_clicked();
    void OnDownFinish(DownThread* down);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PlaceLowerLeft();

    Ui::StuTopClassWidget* ui;  // GUI thread only, like every member
    bool m_classMode = true;    // class mode (course products), else adverts
    QVariantMap m_data;         // the product shown; empty = none
};
