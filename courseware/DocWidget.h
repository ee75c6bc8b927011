#pragma once
// The courseware panel of the room: a frameless, always-on-top dialog with
// three tabs (the room's courseware, the teacher's own cloud disk, the
// organisation's cloud disk). It turns a chosen document into the right call
// of the whiteboard library or the client library (document pages, a single
// picture, an audio or video file), adds a cloud file to the room first when
// it is not a room document yet, and routes the client library's HTTP
// results to the cloud pages. GUI thread only; picture downloads report back
// queued.
#include "WhiteBoardLib.h"
#include "widgets/TitleDrag.h"

#include <QDialog>
#include <QString>
#include <QVariant>

#include <vector>

namespace Ui {
class DocWidget;
}
class DocFilePage;
class DocGroupNetPage;
class DocMyNetPage;
class DownThread;

class DocWidget : public QDialog {
    Q_OBJECT
public:
    explicit DocWidget(QWidget* parent = nullptr);
    ~DocWidget() override;

    void InitPages();
    void Clear();
    void TimerUpdate(int tick);
    void SetDocList(std::vector<WBDocInfo> docs);
    void onUserHttpCmd(int type, QVariant data);

    void onOpenDocFile(WBDocInfo doc);
    void addWBImage(QString url, QString localFile);
    void openDocRequested(QVariant v);

    // For checks.
    DocFilePage* FilePage() const;
    DocMyNetPage* MyNetPage() const;
    DocGroupNetPage* GroupNetPage() const;
    std::vector<QString> PendingFileNames() const { return m_pendingFileNames; }
    std::vector<WBDocInfo> DocList() const { return m_docList; }

public slots:
    void on_btnDoc_clicked();
    void on_btnMyNet_clicked();
    void on_btnGroupNet_clicked();
    void onDoSelectNetFile(QVariant v);
    void onDownFinish(DownThread* down);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void SelectTab(int index);
    bool FindDoc(const std::string& docId, WBDocInfo* doc) const;

    TitleDrag m_drag{this, kSmallDialogBand};  // frameless drag by the top band
    Ui::DocWidget* ui;                       // the form, owned
    std::vector<WBDocInfo> m_docList;        // the room's documents as last delivered
    std::vector<QString> m_pendingFileNames; // accepted cloud files to open once listed
};
