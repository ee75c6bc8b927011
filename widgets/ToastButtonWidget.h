#pragma once
// A slim half-transparent strip with a text and one button, kept at the top
// centre of its parent (20 px below its top). Its button forwards the bool
// the owner keeps in the dynamic property "in" to the client library's
// dual-teacher visibility switch, hides the strip and emits sgClickButton.
// GUI thread only.
#include <QWidget>

namespace Ui {
class ToastButtonWidget;
}

class ToastButtonWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int TopOffset = 20;

    explicit ToastButtonWidget(QWidget* parent);
    ~ToastButtonWidget() override;

    void SetText(const QString& labelText, const QString& buttonText);
    void SetTexts(const QString& labelText, const QString& buttonText) { SetText(labelText, buttonText); }

signals:
    void sgClickButton();

public slots:
    void on_pushButton_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeOnParent();

    Ui::ToastButtonWidget* ui;
    QWidget* m_parent;  // the widget it stays on; not owned
};
