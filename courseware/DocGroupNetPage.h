#pragma once
// The organisation's cloud disk (third page of the courseware panel): a
// read-only browser of the group's folders; a double-clicked document is
// picked for the class (sgSelectNetFile, cloud type "0"). Nothing can be
// made, renamed, deleted or uploaded here. GUI thread only.
#include "courseware/NetFileInfo.h"

#include <QVariant>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace Ui {
class DocGroupNetPage;
}
class NetDirCtrl;
class QFileDialog;
class QListWidget;
class QListWidgetItem;
class UploadDoc;

class DocGroupNetPage : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kMaxUploadBytes = 52428800;  // larger files are refused

    explicit DocGroupNetPage(QWidget* parent = nullptr);
    ~DocGroupNetPage() override;

    void Clear();
    void Init();
    void RefreshDir();
    void onUserHttpCmd(int code, QVariant result);
    void ShowFileList(std::vector<NetFileInfo> entries);

    // For checks.
    NetDirCtrl* DirBar() const { return m_dirBar; }
    QListWidget* List() const;
    QFileDialog* FileDialog();

signals:
    void sgSelectNetFile(QVariant file);

public slots:
    void onItemPressed(QListWidgetItem* item);
    void on_btnUploadDoc_clicked();
    void on_btnShowDocType_clicked();
    void on_btnShowDocType2_clicked();
    void UpProgress(UploadDoc* job, double total, double pos);
    void finish(UploadDoc* job);
    void onUpItemCmd(int cmd);
    void onNetDirCmd(QVariant dirObj);

private:
    QString GroupId() const;

    Ui::DocGroupNetPage* ui;              // the form, owned
    QPointer<QFileDialog> m_fileDialog;  // child of the page's window, made at its first use
    std::vector<NetFileInfo> m_entries;   // the folder shown, in listing order
    NetDirCtrl* m_dirBar = nullptr;       // in the form's DirWdg
};
