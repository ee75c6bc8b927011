#pragma once
// What the two cloud-disk pages of the courseware panel share: the folder
// listing walked with a path bar, a double-clicked document picked for the
// class (sgSelectNetFile), the rows of a listing, the upload file dialog with
// its size check and the menu of supported formats. A page says which disk
// it shows (the library's user type, the cloud type it picks with) and
// whether its rows may be edited. Every request goes to the client library;
// its answers come back through the panel (onUserHttpCmd). GUI thread only.
#include "courseware/NetFileInfo.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <vector>

class DocFileItem;
class NetDirCtrl;
class QFileDialog;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class UploadDoc;

class DocNetPage : public QWidget {
    Q_OBJECT
public:
    // Which disk a page shows and how.
    struct Disk {
        QString userType;       // the library's owner of the disk
        const char* cloudType;  // the cloud type a picked document carries
        bool editable;          // rows may be renamed and deleted; only they open
        const char* fileFilter; // what the upload dialog offers
        const char* logName;    // the page's name in log lines
    };

    void Clear();
    void Init();
    // Lists the folder the path bar shows again.
    void RefreshDir();
    void ShowFileList(std::vector<NetFileInfo> entries);

    // For checks.
    QFileDialog* FileDialog();
    NetDirCtrl* DirBar() const { return m_dirBar; }
    QListWidget* List() const { return m_list; }
    std::vector<NetFileInfo> Entries() const { return m_entries; }

signals:
    void sgSelectNetFile(QVariant file);

public slots:
    void onItemPressed(QListWidgetItem* item);
    void onNetDirCmd(QVariant dirObj);
    void on_btnShowDocType_clicked();
    void on_btnShowDocType2_clicked();
    // A row's command (rename, delete, new folder); read-only rows raise none.
    virtual void onUpItemCmd(int cmd);

protected:
    DocNetPage(const Disk& disk, QWidget* parent);
    // The form's parts, once the page's form is set up: the rows' list, the
    // host of the path bar, the upload button and the formats menu's anchor.
    void Bind(QListWidget* list, QWidget* dirHost, QPushButton* upload, QPushButton* formatAnchor);

    QString GroupId() const;
    QString CurDirUuid() const;
    // Asks the library for the folder's listing.
    void ListDir(const QString& uuid);
    // Takes a listing answer for the folder shown and shows its rows.
    void TakeListing(const QVariantMap& result);
    // A row of this page, its commands coming to onUpItemCmd.
    DocFileItem* NewRow();
    // The file chosen in the upload dialog, empty when none was or it was
    // refused (the refusal shown): firstRefusedBytes bytes or more, or
    // unreadable.
    QString ChooseUpload(qint64 firstRefusedBytes, const QString& tooBigText);

    const Disk m_disk;
    QListWidget* m_list = nullptr;          // in the form
    QPushButton* m_upload = nullptr;        // in the form
    QPushButton* m_formatAnchor = nullptr;  // in the form
    QPointer<QFileDialog> m_fileDialog;     // child of the page's window, made at its first use
    std::vector<NetFileInfo> m_entries;     // the folder shown, in listing order
    NetDirCtrl* m_dirBar = nullptr;         // in the form's path bar host
};
