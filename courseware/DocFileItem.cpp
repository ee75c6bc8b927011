#include "courseware/DocFileItem.h"
#include "ui_DocFileItem.h"

#include "app/Logger.h"
#include "widgets/MsgBox.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <QStyleOption>

#include <cmath>

namespace {

// Seconds after which the delete box closes by itself (as cancel).
constexpr int kDeleteBoxSeconds = 5;
const char* const kWarnIcon = ":/doc/res/doc/warn.png";
const char* const kFolderIcon = ":/doc/res/doc/file.png";

}  // namespace

DocFileItem::DocFileItem(QWidget* parent) : QWidget(parent), ui(new Ui::DocFileItem)
{
    ui->setupUi(this);
    ui->lineName->setMaxLength(256);
    connect(ui->lineName, &QLineEdit::returnPressed, this, &DocFileItem::onMakeDirFinish);
    ui->lineName->installEventFilter(this);
    ui->lineName->hide();
    ui->btnDel->setEnabled(true);
    ui->tipWdg->hide();
    ui->proWdg->hide();
    setFixedHeight(kRowHeight);
}

DocFileItem::~DocFileItem()
{
    delete m_deleteBox.data();
    delete ui;
}

QString DocFileItem::Key() const
{
    return QString::fromStdString(m_mode == ModeRoomDoc ? m_doc.docId : m_entry.uuid);
}

MsgBox* DocFileItem::TakeDeleteQuestion()
{
    MsgBox* box = m_deleteBox.data();
    if (box)
        disconnect(box, nullptr, this, nullptr);
    m_deleteBox.clear();
    return box;
}

void DocFileItem::AdoptDeleteQuestion(MsgBox* box)
{
    if (!box || box == m_deleteBox)
        return;
    delete TakeDeleteQuestion();
    ListenTo(box);
}

void DocFileItem::ListenTo(MsgBox* box)
{
    m_deleteBox = box;
    connect(box, &MsgBox::sgCloseMsgBox, this, [this](bool ok, MsgBox*) {
        m_deleteBox.clear();
        if (ok)
            emit sgItemCmd(CmdDelete);
    });
}

QString DocFileItem::ExtensionOf(const std::string& extField, const std::string& name)
{
    if (!extField.empty())
        return QString::fromStdString(extField);
    const QString n = QString::fromStdString(name);
    const int dot = n.lastIndexOf('.');
    return dot >= 0 ? n.mid(dot + 1) : QString();
}

QString DocFileItem::IconFor(const QString& ext)
{
    static const struct {
        QStringList exts;
        const char* icon;
    } table[] = {
        {{"doc", "docx"}, ":/doc/res/doc/word.png"},
        {{"png", "jpg", "jpeg", "bmp"}, ":/doc/res/doc/pic.png"},
        {{"pdf"}, ":/doc/res/doc/pdf.png"},
        {{"ppt", "pptx", "pptm"}, ":/doc/res/doc/ppt.png"},
        {{"mp4"}, ":/doc/res/doc/video.png"},
        {{"mp3"}, ":/doc/res/doc/audio.png"},
    };
    for (const auto& row : table)
        if (row.exts.contains(ext, Qt::CaseInsensitive))
            return row.icon;
    return kWarnIcon;
}

void DocFileItem::SetIcon(const QString& ext, bool folder, const char* func, const char* fmt)
{
    const QString icon = folder ? QString(kFolderIcon) : IconFor(ext);
    if (icon == kWarnIcon)
        Logger::instance()->Log(LOG_WARN, func, fmt, ui->labName->text().toUtf8().constData());
    const QPixmap pm(icon);
    ui->labIcon->setPixmap(pm.scaled(ui->labIcon->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}

QString DocFileItem::FormatSize(qint64 bytes)
{
    if (bytes == 0)
        return "0 Bytes";
    if (bytes < 0)
        return "-";  // an entry without a known size
    static const QStringList units = {" Bytes", " KB", " MB", " GB", " TB", " PB", " EB", " ZB", " YB"};
    int i = int(std::floor(std::log(double(bytes)) / std::log(1024.0)));
    i = qBound(0, i, units.size() - 1);
    const double value = double(bytes) / std::pow(1024.0, i);
    return QString::number(value, 'f', i > 1 ? 2 : 0) + units[i];
}

void DocFileItem::InitUI(const WBDocInfo& doc)
{
    m_mode = ModeRoomDoc;
    m_doc = doc;
    // The name goes in first so that a warning about the icon names the file.
    ui->labName->setText(QString::fromStdString(doc.fileName));
    SetIcon(ExtensionOf(doc.extName, doc.fileName), false, "DocFileItem::InitUI", "not found DocFile icon %s");
    bool ok = false;
    const qint64 size = QString::fromStdString(doc.fileSize).toLongLong(&ok);
    ui->labSize->setText(FormatSize(ok ? size : 0));
    ui->labTime->setText(QString::fromStdString(doc.createTime));
    ui->labName->setToolTip(QString::fromStdString(doc.fileName));
    ui->btnDel->setEnabled(!doc.docId.empty());
    ui->btnReName->hide();
}

void DocFileItem::InitNetFile(const NetFileInfo& entry, bool editable)
{
    m_mode = editable ? ModeNetEdit : ModeNetRead;
    m_entry = entry;
    const bool folder = entry.file_type == 0;
    const QString name = QString::fromStdString(entry.name);
    ui->labName->setText(name);
    SetIcon(ExtensionOf(entry.ext_name, entry.name), folder, "DocFileItem::InitNetFile", "not found NetFile icon %s");
    ui->labSize->setText(folder ? QString("-") : FormatSize(entry.size));
    ui->labTime->setText(QString::fromStdString(entry.create_time));
    ui->labTime->setToolTip(name);
    ui->labName->setToolTip(name);
    ui->btnReName->setVisible(editable);
    ui->btnDel->setEnabled(editable);
}

void DocFileItem::ShowTip(const QString& text, bool buttonsEnabled)
{
    ui->btnDel->setEnabled(false);
    ui->closeBtn->setEnabled(buttonsEnabled);
    ui->failedBtn->setEnabled(buttonsEnabled);
    ui->tipWdg->show();
    ui->failedBtn->setText(text);
    ui->btnReName->setEnabled(false);
    setFixedHeight(kTipRowHeight);
}

void DocFileItem::StartEditing()
{
    ui->labName->hide();
    ui->lineName->setFixedWidth(ui->labName->width());
    ui->lineName->show();
    ui->lineName->setFocus(Qt::OtherFocusReason);
}

void DocFileItem::BeginNewDir()
{
    m_mode = ModeNewDir;
    StartEditing();
}

void DocFileItem::on_btnReName_clicked()
{
    ui->lineName->setText(ui->labName->text());
    StartEditing();
}

void DocFileItem::on_btnDel_clicked()
{
    if (m_deleteBox) {  // already asking
        m_deleteBox->raise();
        return;
    }
    auto* box = new MsgBox(window(), true, kDeleteBoxSeconds);
    box->SetMsgText(tr("确定删除该文件吗？"), QString());
    box->SetButtonText(true, tr("确定"), tr("取消"));
    ListenTo(box);
    box->ShowMsg();
}

void DocFileItem::on_failedBtn_clicked()
{
    ui->failedBtn->setEnabled(false);
    emit sgItemCmd(CmdRetry);
}

void DocFileItem::on_closeBtn_clicked()
{
    ui->closeBtn->hide();
    emit sgItemCmd(CmdClose);
}

void DocFileItem::onMakeDirFinish()
{
    // Return and the focus leaving both end an edit; only the first counts.
    if (!ui->lineName->isEnabled())
        return;
    ui->lineName->setEnabled(false);
    const QString text = ui->lineName->text();
    m_entry.name = text.toUtf8().toStdString();
    if (m_mode == ModeNewDir) {
        emit sgItemCmd(CmdNewDir);
        return;
    }
    if (text.isEmpty()) {
        ui->lineName->setEnabled(true);
        ui->labName->setFixedWidth(ui->lineName->width());
        ui->labName->show();
        ui->lineName->hide();
        return;
    }
    emit sgItemCmd(CmdRename);
}

bool DocFileItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lineName && event->type() == QEvent::FocusOut)
        onMakeDirFinish();
    return QWidget::eventFilter(watched, event);
}

void DocFileItem::paintEvent(QPaintEvent*)
{
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}
