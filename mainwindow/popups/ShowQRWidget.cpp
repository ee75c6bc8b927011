#include "mainwindow/popups/ShowQRWidget.h"
#include "ui_ShowQRItem.h"
#include "ui_ShowQRWidget.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/MakeQRImage.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/StyledBackground.h"
#include "widgets/MsgBox.h"

#include <QEvent>
#include <QLayoutItem>
#include <QPixmap>

namespace {

// A JSON string as the session's JSON writer quotes it.
std::string Quote(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

QVariantMap AppDev(const QWidget* row) { return row->property("appdev").toMap(); }

}  // namespace

ShowQRWidget::ShowQRWidget(QWidget* parent) : QWidget(parent), ui(new Ui::ShowQRWidget)
{
    ui->setupUi(this);
    if (!CData::instance()->IsLiveRoom())
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedWidth(200);
    ui->labQRCode->setFixedSize(160, 160);
    installEventFilter(this);
}

ShowQRWidget::~ShowQRWidget() { delete ui; }

std::string ShowQRWidget::BuildQRText(const QString& token, const QString& name)
{
    return "{\"command\": \"authorize\", \"data\": {\"name\": " + Quote(name.toUtf8().toStdString()) +
           ", \"token\": " + Quote(token.toUtf8().toStdString()) + "}}";
}

void ShowQRWidget::ShowQR()
{
    const QStringList vars = CData::instance()->GetLoginVar();
    const QString token = vars.value(0);
    if (token.isEmpty()) {
        // A code without a token signs nothing in: show none.
        Logger::instance()->Log(LOG_WARN, "ShowQRWidget::ShowQR", "no token: no QR code");
        ui->labQRCode->clear();
        raise();
        show();
        return;
    }
    const std::string text = BuildQRText(token, vars.value(3));
    if (text != m_qrText) {
        m_qrText = text;
        m_qrFile = PubUtils::GetUrlLocalFile(m_qrText + ".png");
    }
    if (!MakeQRImage(QString::fromStdString(m_qrText), QString::fromStdString(m_qrFile)))
        Logger::instance()->Log(LOG_WARN, "ShowQRWidget::ShowQR", "MakeQRImage failed. file:%s, txt:%s",
                                m_qrFile.c_str(), m_qrText.c_str());
    QPixmap pixmap(QString::fromStdString(m_qrFile));
    if (pixmap.isNull())
        ui->labQRCode->clear();
    else
        ui->labQRCode->setPixmap(pixmap.scaled(ui->labQRCode->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    raise();
    show();
}

QString ShowQRWidget::DeviceIcon(const QString& devType)
{
    static const char* const kIcons[][2] = {
        {"android", ":/main/res/main/Android.png"}, {"iPad", ":/main/res/main/iPad.png"},
        {"iPhone", ":/main/res/main/iPhone.png"},   {"mac", ":/main/res/main/mac.png"},
        {"windows", ":/main/res/main/windows.png"},
    };
    for (const auto& icon : kIcons)
        if (devType.contains(QLatin1String(icon[0]), Qt::CaseSensitive))
            return icon[1];
    return {};
}

QList<QWidget*> ShowQRWidget::DeviceRows() const
{
    QList<QWidget*> rows;
    for (int i = 0; i < ui->layAppDev->count(); ++i)
        if (QWidget* w = ui->layAppDev->itemAt(i)->widget())
            rows.append(w);
    return rows;
}

void ShowQRWidget::onAuthAppDev(QVariant devinfo, bool bOK)
{
    if (!bOK)
        return;
    const QVariantMap dev = devinfo.toMap();
    const QString userId = dev.value("userId").toString();
    if (userId.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "ShowQRWidget::onAuthAppDev", "device without userId ignored: %s",
                                devinfo.toString().toUtf8().constData());
        return;
    }
    // A device authorised again replaces its row: one row per user.
    for (QWidget* row : DeviceRows()) {
        if (AppDev(row).value("userId").toString() == userId) {
            Logger::instance()->Log(LOG_INFO, "ShowQRWidget::onAuthAppDev", "device %s listed again",
                                    userId.toUtf8().constData());
            ui->layAppDev->removeWidget(row);
            row->deleteLater();
            CData::instance()->RemoveAuthAppDev(userId);
            break;
        }
    }
    CData::instance()->AddAuthAppDev(devinfo);

    auto* row = new QWidget;
    row->installEventFilter(this);
    Ui::ShowQRItem item;
    item.setupUi(row);
    row->setProperty("appdev", dev);
    const QString devType = dev.value("devType").toString();
    item.labName->setText(devType);
    const QString icon = DeviceIcon(devType);
    if (!icon.isEmpty())
        item.labImg->setStyleSheet(QString("background: transparent;\nborder-image: url(%1);").arg(icon));
    ui->layAppDev->addWidget(row);
}

void ShowQRWidget::RemoveAppDev(QString userId)
{
    if (userId.isEmpty()) {
        // An empty id would stop nobody in the library: refuse it.
        Logger::instance()->Log(LOG_WARN, "ShowQRWidget::RemoveAppDev", "empty userId");
        return;
    }
    for (QWidget* row : DeviceRows()) {
        if (AppDev(row).value("userId").toString() != userId)
            continue;
        ui->layAppDev->removeWidget(row);
        row->deleteLater();
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->StopAppAuth(userId);
        else
            Logger::instance()->Log(LOG_WARN, "ShowQRWidget::RemoveAppDev", "no client library");
        break;
    }
    CData::instance()->RemoveAuthAppDev(userId);
}

void ShowQRWidget::AskStopDevice(QWidget* row)
{
    const QVariantMap dev = AppDev(row);
    auto* box = new MsgBox(parentWidget(), true, 0);
    box->setProperty("userid", dev.value("userId").toString());
    connect(box, &MsgBox::sgCloseMsgBox, this, &ShowQRWidget::OnStopBoxClosed, Qt::UniqueConnection);
    box->SetMsgText(tr("您确定要停止%1用户的授权吗？").arg(dev.value("devType").toString()), QString());
    box->SetButtonText(true, tr("停止"), tr("取消"));
    box->ShowMsg(nullptr, nullptr);
}

void ShowQRWidget::OnStopBoxClosed(bool bOk, MsgBox* box)
{
    if (bOk && box)
        RemoveAppDev(box->property("userid").toString());
}

void ShowQRWidget::on_closeBtn_clicked() { hide(); }

bool ShowQRWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::WindowDeactivate && !CData::instance()->IsLiveRoom())
            hide();
    } else if (event->type() == QEvent::MouseButtonPress) {
        auto* row = qobject_cast<QWidget*>(watched);
        if (row && row->property("appdev").isValid())
            AskStopDevice(row);
    }
    return QWidget::eventFilter(watched, event);
}

void ShowQRWidget::showEvent(QShowEvent* event)
{
    ui->titleWidget->setVisible(CData::instance()->GetLayout() != 2);
    QWidget::showEvent(event);
}

void ShowQRWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
