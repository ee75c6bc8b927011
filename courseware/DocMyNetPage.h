#pragma once
// The teacher's own cloud disk (second page of the courseware panel): folders
// walked through with a path bar, folders made, entries renamed and deleted,
// a local document uploaded into the folder shown, documents still being
// converted polled, and a document picked for the class (sgSelectNetFile).
// Every request goes to the client library; its answers come back through
// the panel (onUserHttpCmd). GUI thread only; the upload job reports queued.
#include "courseware/NetFileInfo.h"

#include <QVariant>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace Ui {
class DocMyNetPage;
}
class DocFileItem;
class NetDirCtrl;
class QFileDialog;
class QListWidget;
class QListWidgetItem;
class UploadDoc;

class DocMyNetPage : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kMaxUploadBytes = 31457280;  // this size or more is refused
    static constexpr int kPollEveryTicks = 5;
    static constexpr qint64 kPollMaxAgeSecs = 3600;

    explicit DocMyNetPage(QWidget* parent = nullptr);
    ~DocMyNetPage() override;

    void Clear();
    void Init();
    void TimerUpdate(int tick);
    void onUserHttpCmd(int code, QVariant result);
    void ShowFileList(std::vector<NetFileInfo> entries);

    // For checks.
    QFileDialog* FileDialog();
    NetDirCtrl* DirBar() const { return m_dirBar; }
    QListWidget* List() const;
    std::vector<NetFileInfo> Entries() const { return m_entries; }

signals:
    void sgSelectNetFile(QVariant file);

public slots:
    void onItemPressed(QListWidgetItem* item);
    void on_btnUploadDoc_clicked();
    void on_btnShowDocType_clicked();
    void on_btnShowDocType2_clicked();
    void on_btnMakeDir_clicked();
    void UpProgress(UploadDoc* job, double total, double pos);
    void finish(UploadDoc* job);
    void onUpItemCmd(int cmd);
    void onNetDirCmd(QVariant dirObj);

private:
    QString GroupId() const;
    QString CurDirUuid() const;
    void ListCurrentDir();
    DocFileItem* NewRow();
    void RemoveRow(DocFileItem* row);
    void ShowFailure(const QString& text, const QVariantMap& result);

    Ui::DocMyNetPage* ui;                 // the form, owned
    QPointer<QFileDialog> m_fileDialog;  // child of the page's window, made at its first use
    std::vector<NetFileInfo> m_entries;   // the folder shown, in listing order
    NetDirCtrl* m_dirBar = nullptr;       // in the form's DirWdg
};
