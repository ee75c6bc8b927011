#pragma once
// The teacher's panel of the people in the class room: one row per user in
// an order that puts the teacher, the assistant and the active students
// first, the online count, the mute-all and free hand-up switches, and in
// live rooms the bars that end the voice interaction and hang up the
// student linked by microphone. Pressing a student's row opens the per-user
// menu (UserListDialogMenu.cpp). Commands go straight to the client library.
// GUI thread only, like every member.
#include "app/SessionRecords.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QButtonGroup;
class QListWidgetItem;
class QMenu;
class UserItemWidget;

namespace Ui {
class UserListWidgetForm;
}

// The per-user menu's commands.
enum UserMenuCmd {
    kUserCmdLinkMic = 0,     // stage interaction (class room)
    kUserCmdCamera = 1,
    kUserCmdMic = 2,
    kUserCmdClick = 3,
    kUserCmdDraw = 4,
    kUserCmdNoSpeak = 5,
    kUserCmdKick = 6,
    kUserCmdLiveLinkMic = 7, // voice interaction (live room)
};

class UserListDialog : public QWidget {
    Q_OBJECT
public:
    explicit UserListDialog(QWidget* parent);
    ~UserListDialog() override;

    bool UpdateUser(std::shared_ptr<UserInfo> user);
    bool RemoveUser(QString userId);
    void SetOnlineNum(QString text);
    void SetOpenHandup(bool open);
    void SetUserHandup(QString userId, bool up);
    void CancelLinkMic();
    void BuildUserMenu(QMenu* menu, QButtonGroup* group, UserItemWidget* row);

    // The row order key of a record: "a" teacher ... "z" none of the flags.
    static QString GetSortKey(const UserInfo& user);

    // For tests: the rows' user ids in list order, and a stand-in for the
    // modal run of the per-user menu (it gets the built menu).
    QStringList RowUserIds() const;
    UserItemWidget* RowOf(const QString& userId) const;
    void SetMenuRunnerForTests(std::function<void(QMenu*)> run) { m_menuRunner = std::move(run); }

signals:
    void sgBigCloseMediaClick();

public slots:
    void onBigOpenMedia(bool open);
    void on_closeBtn_clicked();
    void onUserItemPressed(QListWidgetItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void RefreshCloseAudio();
    void RefreshLinkMicBar(const UserInfo& updated);
    void SetCloseAudio(bool closeAudio);
    void OnCloseAudioPressed();
    void OnHandupPressed();
    void OnCloseMediaPressed();
    void HangUp();
    void RunUserCommand(int id, UserItemWidget* row, QMenu* menu);
    int FindRow(const std::string& userId) const;

    Ui::UserListWidgetForm* ui;
    bool m_bigOpenMedia = false;  // the voice interaction is on
    std::function<void(QMenu*)> m_menuRunner;
};
