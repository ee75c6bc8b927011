#pragma once
// The organisation's cloud disk (third page of the courseware panel): a
// read-only browser of the group's folders; a double-clicked document is
// picked for the class (sgSelectNetFile, cloud type "0"). Nothing can be
// made, renamed, deleted or uploaded here. GUI thread only.
#include "courseware/DocNetPage.h"

namespace Ui {
class DocGroupNetPage;
}

class DocGroupNetPage : public DocNetPage {
    Q_OBJECT
public:
    static constexpr qint64 kMaxUploadBytes = 52428800;  // larger files are refused

    explicit DocGroupNetPage(QWidget* parent = nullptr);
    ~DocGroupNetPage() override;

    void onUserHttpCmd(int code, QVariant result);

public slots:
    void on_btnUploadDoc_clicked();
    void UpProgress(UploadDoc* job, double total, double pos);
    void finish(UploadDoc* job);

private:
    Ui::DocGroupNetPage* ui;  // the form, owned
};
