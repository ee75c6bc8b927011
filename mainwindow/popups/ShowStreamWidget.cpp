#include "mainwindow/popups/ShowStreamWidget.h"
#include "ui_ShowStreamWidget.h"

#include "app/CData.h"
#include "mainwindow/popups/RoundedMask.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMouseEvent>

ShowStreamWidget::ShowStreamWidget(QWidget* parent) : QDialog(parent), ui(new Ui::ShowStreamWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(size());
    connect(CData::instance(), &CData::sgTimerUpdate, this, &ShowStreamWidget::onTimerUpdate);
    for (QPushButton* b : {ui->btnOk, ui->btnClose, ui->btnCopyStream})
        connect(b, &QPushButton::clicked, this, &ShowStreamWidget::onButtonClick);
}

ShowStreamWidget::~ShowStreamWidget() { delete ui; }

QString ShowStreamWidget::StreamText() const { return ui->lineStream->text(); }

void ShowStreamWidget::UpdateStream()
{
    QString address;
    if (CData::instance()->IsRecording()) {
        const QString key = m_streamKey ? m_streamKey() : QString();
        if (!key.isEmpty())
            address = CData::instance()->GetDeskTopPullUrl() + key;
    }
    if (ui->lineStream->text() != address)
        ui->lineStream->setText(address);
}

void ShowStreamWidget::ShowStream()
{
    UpdateStream();
    show();
    raise();
}

void ShowStreamWidget::ClickClose(bool doIt)
{
    if (doIt)
        ui->btnClose->click();
}

void ShowStreamWidget::onTimerUpdate(int)
{
    if (isVisible())
        UpdateStream();
}

void ShowStreamWidget::onButtonClick()
{
    QObject* from = sender();
    if (from == ui->btnOk || from == ui->btnClose) {
        m_bOk = from == ui->btnOk;
        hide();
        close();
    } else if (from == ui->btnCopyStream) {
        ui->lineStream->selectAll();
        QApplication::clipboard()->setText(ui->lineStream->text());
    }
}

void ShowStreamWidget::closeEvent(QCloseEvent* event)
{
    emit sgCloseWidget(m_bOk, this);
    m_bOk = false;
    QDialog::closeEvent(event);
}

void ShowStreamWidget::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    SetRoundedMask(this, 4.0);
}
