#pragma once
// One line of a courseware list: icon by extension, name, size, time, rename
// and delete buttons, an optional tip line for an upload's state (retry and
// close) and an inline editor for a new name. The row decides nothing: every
// action goes to its page as sgItemCmd(code), and the page reads the row's
// record back. GUI thread only.
#include "WhiteBoardLib.h"
#include "courseware/NetFileInfo.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class MsgBox;

namespace Ui {
class DocFileItem;
}

class DocFileItem : public QWidget {
    Q_OBJECT
public:
    // What the row shows.
    enum Mode {
        ModeNone = 0,
        ModeRoomDoc = 1,   // a room document
        ModeNetEdit = 2,   // a cloud entry that may be renamed and deleted
        ModeNetRead = 3,   // a cloud entry that may be neither
        ModeNewDir = 4,    // a new folder waiting for its name
    };
    // Codes of sgItemCmd.
    enum Cmd {
        CmdRetry = 1,      // the tip line's failure button: upload again
        CmdClose = 2,      // the tip line's close button
        CmdDelete = 3,     // the delete box answered with OK
        CmdNewDir = 4,     // the name of a new folder was entered (maybe empty)
        CmdRename = 5,     // a new, non-empty name was entered
    };
    static constexpr int kRowHeight = 40;
    static constexpr int kTipRowHeight = 70;

    explicit DocFileItem(QWidget* parent = nullptr);
    ~DocFileItem() override;

    void InitUI(const WBDocInfo& doc);
    void InitNetFile(const NetFileInfo& entry, bool editable);
    void ShowTip(const QString& text, bool buttonsEnabled);
    void BeginNewDir();

    WBDocInfo GetDocInfo() const { return m_doc; }
    NetFileInfo GetNetFile() const { return m_entry; }
    int GetMode() const { return m_mode; }
    // What the row stands for across refills of its list: the document id of
    // a room row, the uuid of a cloud entry; empty for a placeholder or a new
    // folder.
    QString Key() const;

    // The delete question open on this row, if any, let go of: it no longer
    // answers to this row and outlives it (null when none is open).
    MsgBox* TakeDeleteQuestion();
    // Takes over an open delete question of a row this one replaces: its OK
    // now deletes this row's entry.
    void AdoptDeleteQuestion(MsgBox* box);

    static QString FormatSize(qint64 bytes);
    // The extension: the record's own field, else the name after its last ".".
    static QString ExtensionOf(const std::string& extField, const std::string& name);
    // The icon resource for an extension (case ignored); the warning icon
    // when none fits.
    static QString IconFor(const QString& ext);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void sgItemCmd(int cmd);

public slots:
    void on_btnDel_clicked();
    void on_failedBtn_clicked();
    void on_closeBtn_clicked();
    void on_btnReName_clicked();
    void onMakeDirFinish();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetIcon(const QString& ext, bool folder, const char* func, const char* fmt);
    void StartEditing();
    void ListenTo(MsgBox* box);

    Ui::DocFileItem* ui;   // the form, owned
    int m_mode = ModeNone;
    WBDocInfo m_doc;       // room rows
    NetFileInfo m_entry;   // cloud rows; its name takes the edited text
    // The open delete question: a window of its own under the row's window,
    // so that a refill of the list can hand it to the row that replaces
    // this one; closed with the row when nobody took it.
    QPointer<MsgBox> m_deleteBox;
};
