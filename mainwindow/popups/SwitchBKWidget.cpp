#include "mainwindow/popups/SwitchBKWidget.h"
#include "ui_SwitchBKWidget.h"

#include "app/Logger.h"
#include "app/Room.h"
#include "widgets/StyledBackground.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"
#include "WhiteBoardLib.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidgetItem>
#include <QPixmap>

#include <cmath>

namespace {
constexpr int kThumbWidth = 142;
constexpr int kThumbHeight = 80;
}  // namespace

SwitchBKWidget::SwitchBKWidget(QWidget* parent) : QWidget(parent), ui(new Ui::SwitchBKWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedWidth(200);
    installEventFilter(this);
    m_apply = [](const QString& file, bool custom) {
        CWhiteBoardLib* lib = Room::instance()->GetWBLib();
        return lib && lib->SetBackground(file, custom);
    };

    ui->listWidget->setFocusPolicy(Qt::NoFocus);
    ui->listWidget->setViewMode(QListView::ListMode);
    ui->listWidget->setFrameShape(QFrame::NoFrame);
    ui->listWidget->setSpacing(9);
    ui->listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    for (int i = 1; i <= 4; ++i)
        AddBackground(QString(":/wblib/res/wblib/bk%1.png").arg(i));

    ui->btnSelectImage->hide();
    connect(ui->listWidget, &QListWidget::itemPressed, this, &SwitchBKWidget::onListItemPressed);
}

SwitchBKWidget::~SwitchBKWidget() { delete ui; }

void SwitchBKWidget::AddBackground(QString file)
{
    const bool wasEmpty = ui->listWidget->count() == 0;
    auto* item = new QListWidgetItem(ui->listWidget);
    item->setSizeHint(QSize(0, 84));
    auto* row = new QWidget;
    row->setCursor(Qt::PointingHandCursor);
    row->setProperty("bkFile", file);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* label = new QLabel(row);
    label->setFixedSize(kThumbWidth, kThumbHeight);
    layout->addWidget(label);
    QPixmap pixmap;
    if (pixmap.load(file)) {
        label->setPixmap(pixmap.scaled(label->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    } else {
        Logger::instance()->Log(LOG_WARN, "SwitchBKWidget::AddBackground", "background does not load: %s",
                                file.toUtf8().constData());
        label->setStyleSheet("background-color: #ffffff;");
    }
    ui->listWidget->setItemWidget(item, row);
    if (wasEmpty)
        ui->listWidget->setCurrentRow(0);
}

QString SwitchBKWidget::ItemFile(QListWidgetItem* item) const
{
    QWidget* row = item ? ui->listWidget->itemWidget(item) : nullptr;
    return row ? row->property("bkFile").toString() : QString();
}

void SwitchBKWidget::Apply(const QString& file, bool custom)
{
    if (!m_apply || !m_apply(file, custom))
        Logger::instance()->Log(LOG_WARN, "SwitchBKWidget::Apply", "background not applied: %s",
                                file.toUtf8().constData());
}

void SwitchBKWidget::onListItemPressed(QListWidgetItem* pItem)
{
    const QString file = ItemFile(pItem);
    if (file.isEmpty())
        return;
    Apply(file, true);
    Toast::ShowToast(tr("白板背景设置成功"), this, 3000);
}

void SwitchBKWidget::SelectBackground(QString name)
{
    if (name.isEmpty()) {
        // Every path "contains" an empty name: that would apply them all.
        Logger::instance()->Log(LOG_WARN, "SwitchBKWidget::SelectBackground", "empty background name");
        return;
    }
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        const QString file = ItemFile(ui->listWidget->item(i));
        if (file == name || file.contains(name)) {
            ui->listWidget->setCurrentRow(i);
            if (!file.isEmpty())
                Apply(file, false);
        }
    }
}

void SwitchBKWidget::on_btnOk_clicked() { hide(); }

void SwitchBKWidget::on_btnSelectImage_clicked()
{
    setProperty("selectFile", true);
    const QString file = QFileDialog::getOpenFileName(this, tr("选择文件"), QString(), "*.jpg *.jpeg *.png *.bmp");
    setProperty("selectFile", false);
    if (file.isEmpty())
        return;
    // The size first: a huge or broken file is refused before decoding.
    const QSize size = QImageReader(file).size();
    const bool wide = size.isValid() && size.height() > 0 &&
                      std::fabs(double(size.width()) / size.height() - 16.0 / 9.0) <= 0.01;
    if (wide && !QImage(file).isNull()) {
        AddBackground(file);
        return;
    }
    auto* box = new MsgBox(this, true, 0);
    box->SetMsgText(tr("图片无效，请确保图片宽高比例为16:9"), QString());
    box->ShowMsg(nullptr, nullptr);
}

bool SwitchBKWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::WindowDeactivate && !property("selectFile").toBool())
        hide();
    return QWidget::eventFilter(watched, event);
}

void SwitchBKWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
