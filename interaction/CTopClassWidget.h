#pragma once
// The product card panel: the current course's products (class mode) or the
// room's adverts (advert mode), one row each, one product at a time put up
// to the students or taken down through the client library. The up state
// changes only with the room's up and down commands. On the student side it
// drives the product card it makes. GUI thread only.
#include <QVariant>
#include <QWidget>

class StuTopClassWidget;

namespace Ui {
class CTopClassWidget;
}

class CTopClassWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTopClassWidget(QWidget* parent = nullptr);
    ~CTopClassWidget() override;

    void SetClassMode(bool classMode);
    bool IsClassMode() const { return m_classMode; }
    // Asks for the current list and shows the panel (the card on the
    // student side when a product is up).
    void ShowWidget();
    // The room's list (140/144), up (141/145) and down (142/146) commands.
    void SetProductList(const QVariant& data);
    void OnProductUp(const QVariant& data);
    void OnProductDown(const QVariant& data);
    // Forgets the list, the up product and the time stamp.
    void ResetData(bool hide);

    QVariantList Products() const { return m_productList; }
    QString UpProduct() const { return m_curProductId; }
    QString LastTs() const { return m_lastTs; }
    StuTopClassWidget* Card() const { return m_card; }

public slots:
    void on_closeBtn_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void RefreshRows();

    Ui::CTopClassWidget* ui;         // GUI thread only, like every member
    bool m_classMode = true;         // class mode (course products), else adverts
    QVariantList m_productList;      // the products of the last list, in order
    QString m_curProductId;          // the product that is up; empty = none
    QString m_lastTs = "0";          // "lastts" of the last list taken in
    StuTopClassWidget* m_card = nullptr;  // owned by the panel's parent
};
