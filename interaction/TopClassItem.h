#pragma once
// One product row of the product card panel: picture, name, description,
// price and count, the up/down button (which asks the client library; the
// row changes only when the room's command comes back) and the details
// button. Also the picture loading that the row and the student card share.
// GUI thread only; the picture downloads run on the global thread pool and
// report back by a queued signal.
#include <QString>
#include <QVariant>
#include <QWidget>

class DownThread;
class QLabel;

namespace Ui {
class TopClassItem;
}

// The two values of a product's "upstatus".
inline const QString g_strZero = QStringLiteral("0");
inline const QString g_strOne = QStringLiteral("1");

// The up/down button looks: green for a product that is up, orange else.
extern const char* const g_styleBtnGreen;
extern const char* const g_styleBtnOrange;

namespace productcard {

// Shows the picture of url (an http or https address, from its cache file)
// in label, scaled to the label keeping its aspect ratio. When there is none
// yet, returns a download of it, not started: the caller starts it for its
// slot through WorkerLifetime. Any other address shows the default picture at once:
// a room's product never names a file of this machine.
DownThread* ShowPicture(QLabel* label, const QString& url);
// The finished download's picture in label, or the default picture.
void ShowDownloaded(QLabel* label, DownThread* down);
// Text elided at its right end to the label's width; whole in the tooltip.
void SetElided(QLabel* label, const QString& text);

// The labels a product is shown in (the row's and the card's forms).
struct ProductLabels {
    QLabel* title;
    QLabel* des;
    QLabel* price;
    QLabel* num;
    QLabel* image;
};
// Shows the product's name and description elided, price and count as they
// are, and its picture; returns the picture's download as ShowPicture does.
DownThread* ShowProduct(const ProductLabels& labels, const QVariantMap& product);
// Opens the product's "productdetailurl" in the browser when it is an http or
// https address; others are refused with a log line. Whether it was opened.
bool OpenDetail(const QVariantMap& product, const char* caller);

}  // namespace productcard

class TopClassItem : public QWidget {
    Q_OBJECT
public:
    explicit TopClassItem(QWidget* parent = nullptr);
    ~TopClassItem() override;

    void SetData(const QVariant& data);

    // Copied from the panel when the row is made: class mode, else adverts.
    void SetClassMode(bool classMode) { m_classMode = classMode; }
    QVariantMap Data() const { return m_data; }

public slots:
    void on_btnUpDown_clicked();
    void on_btnInfo_clicked();
    void OnDownFinish(DownThread* down);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::TopClassItem* ui;     // GUI thread only, like every member
    bool m_classMode = true;  // class mode (course products), else adverts
    QVariantMap m_data;       // the product shown
};
