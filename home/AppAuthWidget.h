#pragma once
// The device authorisation dialog: another device of the signed-in teacher
// asks to be admitted; "确认授权" admits it, "取消授权" or the close button
// refuses. The answer goes to the client library; once the library took it,
// sgAuthAppDev tells the room window's device panel and the dialog closes.
// A closed dialog stays a hidden child of its parent. GUI thread only.
#include "widgets/TitleDrag.h"

#include <QDialog>
#include <QVariant>

namespace Ui {
class AppAuthWidget;
}

class AppAuthWidget : public QDialog {
    Q_OBJECT
public:
    explicit AppAuthWidget(QWidget* parent);
    ~AppAuthWidget() override;

    // Keeps the request (a map: "userId", "devType", "devInfo") and shows
    // the dialog.
    void showAppDev(QVariant appDev);

signals:
    // The request as given and the teacher's answer (true: admitted).
    void sgAuthAppDev(QVariant appDev, bool bOk);

public slots:
    void onButtonClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TitleDrag m_drag{this, kSmallDialogBand};  // frameless drag by the top band
    Ui::AppAuthWidget* ui;     // the form, owned
    QVariant m_appDev;         // the request; invalid until showAppDev
};
