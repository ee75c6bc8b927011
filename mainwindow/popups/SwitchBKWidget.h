#pragma once
// The whiteboard background chooser ("白板背景设置"): the built-in backgrounds
// as thumbnails; pressing one applies it to the whiteboard at once and
// confirms with a toast. A separate frameless window that hides itself when
// it loses activation (not while its file dialog is open). GUI thread only.
#include <QWidget>

#include <functional>

class QListWidgetItem;

namespace Ui {
class SwitchBKWidget;
}

class SwitchBKWidget : public QWidget {
    Q_OBJECT
public:
    // (file, custom) -> accepted: how a background reaches the whiteboard.
    using Applier = std::function<bool(const QString& file, bool custom)>;

    explicit SwitchBKWidget(QWidget* parent = nullptr);
    ~SwitchBKWidget() override;

    // Selects (and applies, without a toast) every entry whose file equals
    // or contains name; the last match stays current.
    void SelectBackground(QString name);
    // Appends one entry; a file that does not load shows a white thumbnail.
    void AddBackground(QString file);

    // The whiteboard library of the room by default; tests give their own.
    void SetApplier(Applier apply) { m_apply = std::move(apply); }

public slots:
    void onListItemPressed(QListWidgetItem* pItem);
    void on_btnOk_clicked();
    void on_btnSelectImage_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString ItemFile(QListWidgetItem* item) const;
    void Apply(const QString& file, bool custom);

    Ui::SwitchBKWidget* ui;   // GUI thread only, like every member
    Applier m_apply;
};
