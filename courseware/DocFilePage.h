#pragma once
// The room's courseware list (first page of the courseware panel): the
// documents as the whiteboard library lists them, opening one by a
// double-click, deleting one, the picture of the supported formats, and an
// upload into the room with a placeholder row carrying its state. GUI thread
// only; the upload job reports back queued.
#include "WhiteBoardLib.h"

#include <QVariant>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace Ui {
class DocFilePage;
}
class DocFileItem;
class QFileDialog;
class QListWidgetItem;
class UploadDoc;

class DocFilePage : public QWidget {
    Q_OBJECT
public:
    // Files of this size or more are refused.
    static constexpr qint64 kMaxUploadBytes = 31457280;

    explicit DocFilePage(QWidget* parent = nullptr);
    ~DocFilePage() override;

    void Init();
    void Clear();
    void SetDocList(std::vector<WBDocInfo> docs);
    void onUserHttpCmd(int type, QVariant result);
    void ShowDocTypeMenu();

    // For checks: the dialog the upload button runs, the placeholder row.
    QFileDialog* FileDialog();
    DocFileItem* UploadingRow() const { return m_uploadRow; }

signals:
    void sgOpenDocFile(QVariant doc);

public slots:
    void onItemPressed(QListWidgetItem* item);
    void on_btnUploadDoc_clicked();
    void on_btnShowDocType_clicked();
    void on_btnShowDocType2_clicked();
    void UpProgress(UploadDoc* job, double total, double pos);
    void finish(UploadDoc* job);
    void onUpItemCmd(int cmd);

private:
    // The refusal text for a file, empty when it may be uploaded.
    static QString RefusalOf(const QString& path);
    void RefuseFile(const QString& text);
    void StartUpload(const QString& path);
    void RemoveRow(DocFileItem* row);

    Ui::DocFilePage* ui;                    // the form, owned
    QPointer<QFileDialog> m_fileDialog;  // child of the page's window, made at its first use
    DocFileItem* m_uploadRow = nullptr;     // the last upload's placeholder; owned by the list
    QString m_uploadPath;                   // the file of that placeholder
};
