#pragma once
// What the courseware pages share: their list's set-up, the upload file
// dialog, the check of a chosen file, the menu with the picture of the
// supported formats, and taking a cloud folder listing. GUI thread only.
#include "courseware/NetFileInfo.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <vector>

class DocFileItem;
class MsgBox;
class NetDirCtrl;
class QFileDialog;
class QListWidget;
class QPushButton;
class QWidget;

namespace docpage {

// No focus, no frame, no spacing, no horizontal scroll bar, the rows' style.
void SetUpList(QListWidget* list);
// The page's dialog "选择课件" starting in ".", detail view, with the name
// filter: made at its first use as a child of the page's window (so that it
// opens above the always-on-top panel and goes with it), kept in dialog.
QFileDialog* FileDialog(QWidget* page, QPointer<QFileDialog>& dialog, const QString& filter);
// Why a chosen file may not be uploaded, empty when it may: it has
// firstRefusedBytes bytes or more (tooBigText), or it cannot be read. The
// file is not read here.
QString RefusalOf(const QString& path, qint64 firstRefusedBytes, const QString& tooBigText);
// The panel's wait cursor while a folder listing or a document is on its
// way: shown once however often asked, taken back once.
void SetWaiting(bool waiting);
// The refusal box: on parent, deleted on close, closing after 5 seconds,
// only its OK button.
void ShowRefusal(QWidget* parent, const QString& text);
// The format menu, run modally at the bottom-right corner of anchor, whose
// arrow points up while it is open.
void Show(QWidget* owner, QPushButton* anchor);

// A listing answer (1024) for the folder the path bar shows: true, with the
// entries, when it is that folder's and succeeded (the bar's wait ends).
// A failed answer for it takes the bar's waiting level back; an answer for
// another folder is dropped with a warning logged under func.
bool TakeListing(NetDirCtrl* bar, const QVariantMap& result, const char* func, std::vector<NetFileInfo>* entries);

// Keeps a delete question open across a refill of a page's list: made
// before the list is emptied, it takes the open question off the old rows;
// each new row is offered to it and the row of the same entry takes the
// question over. When no new row stands for that entry any more (it has
// gone), the question is closed unanswered at the end of the refill.
class HeldDeleteQuestion {
public:
    explicit HeldDeleteQuestion(QListWidget* list);
    ~HeldDeleteQuestion();
    HeldDeleteQuestion(const HeldDeleteQuestion&) = delete;
    HeldDeleteQuestion& operator=(const HeldDeleteQuestion&) = delete;

    void Offer(DocFileItem* row);

private:
    QPointer<MsgBox> m_box;  // the question nobody holds yet
    QString m_key;           // the entry it asks about
};

}  // namespace docpage
