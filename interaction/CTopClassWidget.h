#pragma once
// The product cards (class mode) or advert cards of the room. Its panel
// comes later; what stands is the list state the room shell drives.
// GUI thread only.
#include <QWidget>
#include <QVariant>

class CTopClassWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTopClassWidget(QWidget* parent = nullptr);
    void SetClassMode(bool classMode) { m_classMode = classMode; }
    bool IsClassMode() const { return m_classMode; }
    void ResetData(bool hide);
    void SetProductList(QVariant data);
    void OnProductUp(QVariant data);
    void OnProductDown(QVariant data);
    void ShowWidget();
    QVariantList Products() const { return m_products; }
    QString UpProduct() const { return m_upProduct; }

private:
    bool m_classMode = true;  // GUI thread only, like every member
    QVariantList m_products;
    QString m_upProduct;
};
