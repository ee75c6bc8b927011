#include "widgets/ScreenshotControlWidget.h"

#include "ui_ScreenshotControlWidget.h"
#include "widgets/StyledBackground.h"

ScreenshotControlWidget::ScreenshotControlWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::screenshotControlWidget)
{
    ui->setupUi(this);
}

ScreenshotControlWidget::~ScreenshotControlWidget()
{
    delete ui;
}

void ScreenshotControlWidget::on_okBtn_clicked()
{
    emit sigOkBtnClicked();
}

void ScreenshotControlWidget::on_cancelBtn_clicked()
{
    emit sigCancelBtnCliked();
}

void ScreenshotControlWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
