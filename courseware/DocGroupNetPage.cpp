#include "courseware/DocGroupNetPage.h"
#include "ui_DocGroupNetPage.h"

#include "ClientLib.h"

DocGroupNetPage::DocGroupNetPage(QWidget* parent)
    : DocNetPage(Disk{g_strGroup, "0", false, "*.ppt *.pptx *.doc *.docx *.pdf", "DocGroupNetPage"}, parent),
      ui(new Ui::DocGroupNetPage)
{
    ui->setupUi(this);
    Bind(ui->listWidget, ui->DirWdg, ui->btnUploadDoc, ui->btnShowDocType2);
    ui->UpFileWdg->hide();  // nothing is uploaded to the group's disk from here
}

DocGroupNetPage::~DocGroupNetPage()
{
    delete ui;
}

void DocGroupNetPage::onUserHttpCmd(int code, QVariant result)
{
    if (code == RsC_Http_NetFolderList)
        TakeListing(result.toMap());
}

void DocGroupNetPage::on_btnUploadDoc_clicked()
{
    if (ChooseUpload(kMaxUploadBytes + 1, tr("文件不能大于50MB, 请重新选择！")).isEmpty())
        return;
    // The group's disk takes no uploads from here; the button waits for the
    // next listing.
    ui->btnUploadDoc->setEnabled(false);
}

void DocGroupNetPage::UpProgress(UploadDoc*, double, double) {}

void DocGroupNetPage::finish(UploadDoc*) {}
