#pragma once
// The teacher's own cloud disk (second page of the courseware panel): folders
// walked through with a path bar, folders made, entries renamed and deleted,
// a local document uploaded into the folder shown, documents still being
// converted polled, and a document picked for the class (sgSelectNetFile).
// Every request goes to the client library; its answers come back through
// the panel (onUserHttpCmd). GUI thread only; the upload job reports queued.
#include "courseware/DocNetPage.h"

namespace Ui {
class DocMyNetPage;
}

class DocMyNetPage : public DocNetPage {
    Q_OBJECT
public:
    static constexpr qint64 kMaxUploadBytes = 31457280;  // this size or more is refused
    static constexpr int kPollEveryTicks = 5;
    static constexpr qint64 kPollMaxAgeSecs = 3600;

    explicit DocMyNetPage(QWidget* parent = nullptr);
    ~DocMyNetPage() override;

    void TimerUpdate(int tick);
    void onUserHttpCmd(int code, QVariant result);

public slots:
    void on_btnUploadDoc_clicked();
    void on_btnMakeDir_clicked();
    void UpProgress(UploadDoc* job, double total, double pos);
    void finish(UploadDoc* job);
    void onUpItemCmd(int cmd) override;

private:
    void ListCurrentDir();
    void RemoveRow(DocFileItem* row);
    void ShowFailure(const QString& text, const QVariantMap& result);

    Ui::DocMyNetPage* ui;  // the form, owned
};
