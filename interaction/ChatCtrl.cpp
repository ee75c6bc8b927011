#include "interaction/ChatCtrl.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "interaction/CFaceSelWidget.h"
#include "interaction/ChatMsgItem.h"
#include "interaction/ChatMsgItemDocument.h"
#include "ui_ChatCtrl.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

namespace {

const char kSettingOwnChatIds[] = "App/MyPreChatIdLT";
const char kMsgTag[] = "<font color=\"#e6a23c\">【*消息*】</font>";

// The state a style sheet selects with [status="1"].
void Repolish(QWidget* w)
{
    w->style()->unpolish(w);
    w->style()->polish(w);
}

QString EscapeHtml(QString text)
{
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
}

}  // namespace

ChatCtrl::ChatCtrl(QWidget* parent) : QWidget(parent), ui(new Ui::ChatWidget)
{
    ui->setupUi(this);
    if (!parent)
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

    QListWidget* list = ui->listWidget;
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setResizeMode(QListView::Adjust);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setSpacing(2);
    m_tabs = new QButtonGroup(this);
    ui->chatTabBtn->setCheckable(true);
    ui->questionTabBtn->setCheckable(true);
    m_tabs->addButton(ui->chatTabBtn, 0);
    m_tabs->addButton(ui->questionTabBtn, 1);
    connect(m_tabs, &QButtonGroup::idClicked, ui->stackedWidget,
            &QStackedWidget::setCurrentIndex);
    ui->chatTabBtn->setChecked(true);
    ui->chatTabBtn->click();
    connect(Room::instance(), &Room::sgClientLibCmd, this, &ChatCtrl::onClientLibCmd);

    // Pasted or dropped rich text arrives as plain text; emoticons come in
    // through the picker only, and the document loads no other pictures.
    ui->sendTextEdit->setDocument(new ChatMsgItemDocument(ui->sendTextEdit));
    ui->sendTextEdit->setAcceptRichText(false);
    connect(ui->sendTextEdit, &QTextEdit::textChanged, this, &ChatCtrl::CheckTextLength);
    CheckTextLength();
    ui->sendTextEdit->installEventFilter(this);

    setFixedWidth(320);
    setMinimumHeight(kMinHeight);
    for (QWidget* w : {ui->chatTabBtn, ui->questionTabBtn, ui->banBtn, ui->switchWindowBtn, ui->screenshotBtn})
        w->hide();

    m_unreadTip = new QLabel(this);
    m_unreadTip->hide();
    m_unreadTip->setAlignment(Qt::AlignCenter);
    m_unreadTip->setCursor(Qt::PointingHandCursor);
    m_unreadTip->setStyleSheet("QLabel{ min-width:120px; height:26px; border-radius:10px; "
                               "background-color:rgba(80,80,80,150);color:#ffffff; }");
    m_unreadTip->installEventFilter(this);

    m_facePicker.reset(new CFaceSelWidget);
    connect(m_facePicker.data(), &CFaceSelWidget::onSelFace, this, [this](QString html) {
        ui->sendTextEdit->insertHtml(html);
        ui->sendTextEdit->setFocus();
    });
    connect(ui->chkNoChat, &QCheckBox::stateChanged, this, [](int state) {
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->SetAllNoSpeak(state != 0);
    });

    hide();
    if (!CData::instance()->IsTeacher()) {
        ui->labNoChat->hide();
        ui->chkNoChat->hide();
    }

    QScrollBar* bar = list->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int v) { SetAtBottom(v >= bar->maximum() - 10); });
    connect(bar, &QScrollBar::sliderMoved, this, [this, bar](int v) { SetAtBottom(v >= bar->maximum() - 20); });
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar](int action) {
        if (action == QAbstractSlider::SliderMove)
            SetAtBottom(bar->value() >= bar->maximum() - 20);
    });
    connect(CData::instance(), &CData::sgTimerUpdate, this, &ChatCtrl::onTimerUpdate);
    installEventFilter(this);
}

ChatCtrl::~ChatCtrl()
{
    // Members below (the face picker) still send events while they go; the
    // filter reads the form, which goes first.
    ui->sendTextEdit->removeEventFilter(this);
    m_unreadTip->removeEventFilter(this);
    removeEventFilter(this);
    delete ui;
    ui = nullptr;
}

qint64 ChatCtrl::NowMs() const { return m_clockMs ? m_clockMs() : QDateTime::currentMSecsSinceEpoch(); }

void ChatCtrl::InitStyle()
{
    CData* data = CData::instance();
    ui->titleWidget->show();
    ui->wdgOnline->hide();
    if (data->IsLiveRoom()) {
        ui->titleWidget->setStyleSheet("QWidget{background:#7c858c;}");
        ui->wdgOnline->setStyleSheet("QWidget{background:#7c858c;}");
        ui->stackedWidget->setStyleSheet("QStackedWidget{background:#7c858c;}");
        ui->bottomWidget->setStyleSheet("QWidget{background:#34434E;}");
        ui->labNoChat->setStyleSheet("QLabel{font-size:14px;color:#D8D8D8;}");
        ui->overMaxWordsHint->setStyleSheet("QLabel{font-size:12px;color:#ffffff;}");
        ui->listWidget->setStyleSheet("QListWidget{background:#7c858c;border:none;}"
                                      "QListWidget::item{border:none;}"
                                      "QListWidget::item:selected:active{background:#7c858c;}"
                                      "QListWidget::item:selected:!active{background:#7c858c;}");
        ui->sendTextEdit->setStyleSheet("QTextEdit{background:transparent;font-size:14px;color:#ffffff;margin:0px;}"
                                        "QTextEdit[status=\"1\"]{border:1px solid red;}");
        // Embedded in the dock: nothing of a class room's floating window
        // (its see-through corners, rounded mask, fixed height) stays.
        setAttribute(Qt::WA_TranslucentBackground, false);
        setAttribute(Qt::WA_NoSystemBackground, false);
        clearMask();
        setMinimumHeight(kMinHeight);
        setMaximumHeight(QWIDGETSIZE_MAX);
        setFixedWidth(data->GetVideoWidth());
        if (data->GetLayout() == 2) {
            ui->titleWidget->hide();
            if (data->IsTeacher())
                ui->wdgOnline->show();
        }
        return;
    }
    ui->titleWidget->setStyleSheet("QWidget{background:#495965;}");
    ui->stackedWidget->setStyleSheet("QStackedWidget{background:#ffffff;}");
    ui->bottomWidget->setStyleSheet("QWidget{background:#fdfdfd;}");
    ui->labNoChat->setStyleSheet("QLabel{font-size:14px;color:#999999;}");
    ui->overMaxWordsHint->setStyleSheet("QLabel{font-size:12px;color:#999999;}");
    ui->listWidget->setStyleSheet("QListWidget{background:#ffffff;border:none;}"
                                  "QListWidget::item{border:none;}"
                                  "QListWidget::item:selected:active{background:#ffffff;}"
                                  "QListWidget::item:selected:!active{background:#ffffff;}");
    ui->sendTextEdit->setStyleSheet("QTextEdit#sendTextEdit{background:transparent;font-size:14px;color:#333333;}"
                                    "QTextEdit#sendTextEdit[status=\"1\"]{border:1px solid red;}");
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(320, 460);
    if (QWidget* p = parentWidget())
        move(p->mapToGlobal(p->rect().center()) - QPoint(width() / 2, height() / 2));
}

void ChatCtrl::SetTitle(QString text)
{
    ui->labOnline->setText(CData::instance()->GetStatus(kStatusShowUserNumByChat) ? text : tr("聊天"));
}

void ChatCtrl::AddSysMsg(QString html)
{
    auto msg = QSharedPointer<MsgInfo>::create();
    msg->content = html;
    msg->msgType = kChatMsgSystem;
    AddMsg(msg);
}

void ChatCtrl::RemoveFirstRow()
{
    // The list releases the row's widget with its item.
    delete ui->listWidget->takeItem(0);
    if (!m_rows.isEmpty())
        m_rows.removeFirst();
}

void ChatCtrl::AddMsg(QSharedPointer<MsgInfo> msg)
{
    if (!msg)
        return;
    QListWidget* list = ui->listWidget;
    if (list->count() >= kMaxRows) {
        while (list->count() >= kTrimTo)
            RemoveFirstRow();
    }
    const qint64 now = NowMs() / 1000;
    msg->showTime = now - m_lastTimeShown > 180;
    if (msg->showTime) {
        m_lastTimeShown = now;
        if (msg->time == 0)  // system lines carry no time: they stamp when shown
            msg->time = now;
    }

    auto* item = new QListWidgetItem;
    item->setData(Qt::UserRole, msg->id);
    item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
    list->setProperty("nChatWidth", width());
    auto* row = new ChatMsgItem(list);
    connect(row, &ChatMsgItem::sigImageThumbnailClicked, this, &ChatCtrl::slotOnPreviewImage);
    row->SetMsg(msg, item);
    const int height = row->RowHeight() > 0 ? row->RowHeight() : row->sizeHint().height();
    item->setSizeHint(QSize(list->width(), height));
    list->addItem(item);
    list->setItemWidget(item, row);
    m_rows.append(row);
}

void ChatCtrl::deleteMsg(QString id)
{
    Logger::instance()->Log(LOG_INFO, "ChatCtrl::deleteMsg", "deleteMsg %s", id.toUtf8().constData());
    if (id.isEmpty())
        return;
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        QListWidgetItem* item = ui->listWidget->item(i);
        if (item->data(Qt::UserRole).toString() == id)
            item->setHidden(true);
    }
}

void ChatCtrl::onClientLibCmd(int code, QVariant var)
{
    const QVariantMap v = var.toMap();
    switch (code) {
    case RsC_Room_LoginResult:
        OnLoginResult(v);
        break;
    case RsC_Chat_Message:
        OnChatMessage(v);
        break;
    case RsC_Chat_MsgId:
        deleteMsg(v.value("id").toString());
        break;
    case RsC_User_Join:
        OnUserJoin(v);
        break;
    case RsC_Chat_AllNoSpeak:
        OnAllNoSpeak(v);
        break;
    case RsC_Chat_SysNotify:
        OnSysNotify(v);
        break;
    default:
        break;
    }
}

void ChatCtrl::OnChatMessage(const QVariantMap& v)
{
    const QString text = v.value("msg").toString();
    const int msgType = v.value("msgType").toInt();
    const QString userId = v.value("userid").toString();
    // A message without a sender id is never taken for an own one.
    const bool isSelf = !userId.isEmpty() && m_ownChatIds.contains(userId, Qt::CaseSensitive);
    auto fill = [&](MsgInfo& msg) {
        msg.msgType = msgType;
        msg.name = v.value("name").toString();
        msg.time = v.value("time").toLongLong();
        msg.userId = userId;
        msg.userType = v.value("userType").toInt();
        msg.isSelf = isSelf;
    };
    if (msgType == kChatMsgPlain || msgType == kChatMsgFace) {
        auto msg = QSharedPointer<MsgInfo>::create();
        fill(*msg);
        msg->id = v.value("id").toString();
        msg->content = QString::fromStdString(PubUtils::FaceTextToHtml(EscapeHtml(text).toStdString(), msgType));
        AddMsg(msg);
    } else if (msgType == kChatMsgImage) {
        auto msg = QSharedPointer<ImageMsgInfo>::create();
        fill(*msg);
        msg->url = text;
        AddImageMsg(msg);
    }
    if (m_atBottom)
        return;  // the next even tick follows the end
    if (isSelf) {
        SetAtBottom(true);
        ScrollToEnd();
        return;
    }
    ++m_unread;
    m_unreadTip->setText(tr("%1未读消息").arg(m_unread));
    if (m_unreadTip->isHidden())
        m_unreadTip->show();
}

void ChatCtrl::OnLoginResult(const QVariantMap& v)
{
    const QString id = v.value("userid").toString();
    if (v.value("type").toString() != "chat" || id.isEmpty())
        return;
    m_ownChatIds = CSettings::instance()->GetValue(kSettingOwnChatIds).toString();
    if (m_ownChatIds.size() > 200)
        m_ownChatIds = m_ownChatIds.mid(m_ownChatIds.size() / 2);
    m_ownChatIds += "|" + id;
    CSettings::instance()->SetValue(kSettingOwnChatIds, m_ownChatIds);
}

void ChatCtrl::OnSysNotify(const QVariantMap& v)
{
    const int type = v.value("type").toInt();
    const QByteArray text = v.value("message").toString().toUtf8();
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        Logger::instance()->Log(LOG_WARN, "ChatCtrl::OnSysNotify", "SysMsgNotify parse failed %s type %d",
                                text.constData(), type);
        return;
    }
    if (type != 1) {
        Logger::instance()->Log(LOG_WARN, "ChatCtrl::OnSysNotify", "SysMsgNotify unknown msg %s type %d",
                                text.constData(), type);
        return;
    }
    const QJsonObject o = doc.object();
    // The sender's name and text are shown as plain text.
    const QString msg = EscapeHtml(o.value("msg").toString());
    const QString name = EscapeHtml(o.value("name").toString());
    const int senderType = o.value("type").toString().toInt();
    QString line = QString::fromUtf8(kMsgTag);
    if (senderType == 2)
        line += tr("助教") + name + ":" + msg;
    else if (senderType == 1)
        line += tr("老师") + name + ":" + msg;
    AddSysMsg(line);
}

void ChatCtrl::OnAllNoSpeak(const QVariantMap& v)
{
    const bool chatAll = v.value("chatAll").toBool();
    {
        const QSignalBlocker block(ui->chkNoChat);
        ui->chkNoChat->setChecked(!chatAll);
    }
    if (CData::instance()->IsTeacher())
        return;
    const bool banned = !chatAll || CData::instance()->GetLocalUser()->noSpeak;
    ui->banBtn->setChecked(banned);
    emit ui->banBtn->clicked(banned);
}

void ChatCtrl::OnUserJoin(const QVariantMap& v)
{
    CData* data = CData::instance();
    if (data->IsTeacher())
        return;
    UserInfo user(v.value("userid").toString().toStdString());
    user.noSpeak = v.value("noSpeak").toBool();
    if (user.userId != data->GetLocalUser()->userId)
        return;
    const bool banned = ui->chkNoChat->isChecked() || user.noSpeak;
    ui->banBtn->setChecked(banned);
    emit ui->banBtn->clicked(banned);
}

void ChatCtrl::on_banBtn_clicked(bool banned)
{
    if (!m_chatOff) {
        m_chatOff.reset(new QLabel(this));
        m_chatOff->setAlignment(Qt::AlignCenter);
        m_chatOff->setStyleSheet("font: 14px; background-color:rgba(80,80,80,150);color:#ffffff;");
        m_chatOff->setText(tr("老师已关闭聊天"));
    }
    if (!banned) {
        ui->sendTextEdit->setEnabled(true);
        ui->sendTextEdit->setFocus();
        m_chatOff->hide();
        return;
    }
    m_chatOff->setText(CData::instance()->GetLocalUser()->noSpeak ? tr("您已被禁言") : tr("老师已关闭聊天"));
    ui->sendTextEdit->setEnabled(false);
    PlaceOverlay();
    m_chatOff->show();
}

void ChatCtrl::SetInputStatus(int status)
{
    for (QWidget* w : {static_cast<QWidget*>(ui->sendTextEdit), static_cast<QWidget*>(ui->overMaxWordsHint)}) {
        w->setProperty("status", status);
        Repolish(w);
    }
}

void ChatCtrl::CheckTextLength()
{
    const size_t n = PubUtils::DocToFaceText(ui->sendTextEdit->document()).size();
    if (n > static_cast<size_t>(kMaxTextBytes)) {
        ui->overMaxWordsHint->setText(tr("聊天最多发送200"));
        ui->sendBtn->setEnabled(false);
        SetInputStatus(1);
        return;
    }
    ui->sendBtn->setEnabled(true);
    SetInputStatus(0);
    ui->overMaxWordsHint->setText(n == 0 ? QString() : QString::number(n) + "/200");
}

void ChatCtrl::on_sendBtn_clicked()
{
    const std::string text = PubUtils::DocToFaceText(ui->sendTextEdit->document());
    if (text.empty() || text.size() > static_cast<size_t>(kMaxTextBytes))
        return;
    const qint64 now = NowMs();
    const qint64 since = now - m_lastSendMs;
    if (since < kSendIntervalMs) {
        AddSysMsg(QString::fromUtf8(kMsgTag) + tr("您发送太频繁了！"));
        return;
    }
    ClientLib* lib = Room::instance()->GetClientLib();
    if (lib && lib->SendChatMsg(QString::fromUtf8(text.c_str()), 1, now / 1000)) {
        m_lastSendMs = now;
        ui->sendTextEdit->clear();
    }
}

void ChatCtrl::SetAtBottom(bool atBottom)
{
    m_atBottom = atBottom;
    if (!atBottom)
        return;
    m_unread = 0;
    m_unreadTip->hide();
}

void ChatCtrl::ScrollToEnd() { ui->listWidget->scrollToBottom(); }

void ChatCtrl::onTimerUpdate(int tick)
{
    if (tick % 2 == 0 && m_atBottom)
        ScrollToEnd();
}

void ChatCtrl::on_closeBtn_clicked()
{
    emit sgClickClose();
    hide();
}

void ChatCtrl::on_switchWindowBtn_clicked(bool) {}

void ChatCtrl::on_expressionBtn_clicked()
{
    CFaceSelWidget* picker = m_facePicker.data();
    picker->move(ui->expressionBtn->mapToGlobal(QPoint(0, -picker->height())));
    picker->show();
    picker->raise();
    // Active, so that a click elsewhere deactivates and hides it.
    picker->activateWindow();
}

void ChatCtrl::PlaceTip()
{
    const QRect bottom = ui->bottomWidget->geometry();
    m_unreadTip->adjustSize();
    m_unreadTip->move(bottom.x() + (bottom.width() - m_unreadTip->width()) / 2, bottom.y() - m_unreadTip->height());
    m_unreadTip->raise();
}

void ChatCtrl::PlaceOverlay()
{
    m_chatOff->setGeometry(ui->bottomWidget->geometry());
    m_chatOff->raise();
}

bool ChatCtrl::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == ui->sendTextEdit && type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ShiftModifier)) {
            on_sendBtn_clicked();
            ui->sendTextEdit->clearFocus();
            return true;
        }
    } else if (watched == m_unreadTip) {
        if (type == QEvent::MouseButtonPress) {
            m_unread = 0;
            m_unreadTip->hide();
            ScrollToEnd();
            m_atBottom = true;
        } else if (type == QEvent::Show) {
            PlaceTip();
        }
    } else if (watched == this && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show)) {
        if (m_unreadTip->isVisible())
            PlaceTip();
        if (m_chatOff && m_chatOff->isVisible())
            PlaceOverlay();
    }
    return QWidget::eventFilter(watched, event);
}

void ChatCtrl::mousePressEvent(QMouseEvent* event)
{
    if (!CData::instance()->IsLiveRoom() && event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragPos = event->globalPos();
    }
    QWidget::mousePressEvent(event);
}

void ChatCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton) && !CData::instance()->IsLiveRoom()) {
        move(pos() + event->globalPos() - m_dragPos);
        m_dragPos = event->globalPos();
    }
    QWidget::mouseMoveEvent(event);
}

void ChatCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void ChatCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (CData::instance()->IsLiveRoom())
        return;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 4, 4);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void ChatCtrl::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
