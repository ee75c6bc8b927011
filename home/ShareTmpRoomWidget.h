#pragma once
// The small frameless dialog that gives a temporary classroom of 15 minutes
// to another user, named by a mainland mobile number: "查找" asks the server
// who owns the number, "分享" shares the room with that user. Both answers
// come back through the home window's result handler, which hands them to
// the dialog of the room they name. One dialog per room id at a time (a
// class-wide registry); numbers found before are offered as one-click
// history buttons. GUI thread only, like the registry and the parent.
#include "app/SessionRecords.h"
#include "widgets/TitleDrag.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <map>
#include <string>

namespace Ui {
class ShareTmpRoomWidget;
}

class ShareTmpRoomWidget : public QDialog {
    Q_OBJECT
public:
    // The open dialog of room.room_id, else a new hidden one (parent: the
    // widget given to SetParentWidget) holding a copy of room, registered
    // under its room id. The caller shows it.
    static ShareTmpRoomWidget* GetWidget(const RoomInfo& room);
    // The open dialog of a room id, or null: answers that come after their
    // dialog was closed find none and are dropped.
    static ShareTmpRoomWidget* FindWidget(const std::string& roomId);
    // The parent of the dialogs made later (the home window sets itself).
    static void SetParentWidget(QWidget* parent);
    // The share history's entry for a found user: number + "(" + name + ")",
    // with "|" in the name (the history's separator) replaced by "｜".
    static QString HistoryEntry(const QString& phone, const QString& name);

    // The answer of a look-up for phone; userId empty when nobody was found
    // (name then carries the reason, which is not shown).
    void OnFindUserResult(const QString& phone, const QString& name, const QString& userId);
    // A share the server refused: "分享失败，<message>" in the tip.
    void OnShareFailed(const QString& message);

    const RoomInfo& Record() const { return m_room; }

    ~ShareTmpRoomWidget() override;

public slots:
    void OnButtonClick();  // a history button: its number into lineFind

private slots:
    void on_btnClose_clicked();
    void on_btnCancel_clicked();
    void on_btnOk_clicked();
    void on_btnFind_clicked();
    void on_btnClearHistory_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit ShareTmpRoomWidget(QWidget* parent);
    void unregister();

    TitleDrag m_drag{this, kSmallDialogBand};  // frameless drag by the top band
    Ui::ShareTmpRoomWidget* ui;       // the form, owned
    QString m_userId;                 // user found for m_phone; empty while none is known
    QString m_userName;               // that user's name
    QString m_phone;                  // number last sent by "查找"
    RoomInfo m_room;                  // course_id and room_id are used

    static std::map<std::string, ShareTmpRoomWidget*> s_dialogs;  // room id -> open dialog
    static QPointer<QWidget> s_parent;                             // parent of new dialogs
};
