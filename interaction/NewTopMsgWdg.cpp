#include "interaction/NewTopMsgWdg.h"
#include "ui_NewTopMsgWdg.h"

#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/Toast.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QRegExp>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>

#include <nlohmann/json.hpp>

#include <climits>
#include <cmath>
#include <map>

namespace {

constexpr int kToastMs = 3000;

enum NoticeItemType { kItemText = 1, kItemLink = 2 };

// The reader's working record of one "index".
struct TopMsgItem {
    std::string content;
    std::string url;
    int type = 0;
};

// Typed reads with the JSON library's lenient defaults: a missing member or
// a value of another type reads as 0 or "".
int IntOf(const nlohmann::json& obj, const char* key)
{
    if (!obj.is_object())
        return 0;
    auto it = obj.find(key);
    if (it == obj.end() || !it->is_number())
        return 0;
    // A number the room sends outside int's range (or not finite) reads as
    // 0 too: such an index is never shown, such a type is ignored.
    const double value = it->get<double>();
    if (!std::isfinite(value) || value <= double(INT_MIN) - 1.0 || value >= double(INT_MAX) + 1.0)
        return 0;
    return static_cast<int>(value);
}

// Writes JSON in the compact form the room's other clients write and read:
// ", " between members and elements, ": " after keys, keys in ascending
// order (the library's object map already keeps them sorted).
void WriteSpaced(const nlohmann::json& value, std::string& out)
{
    if (value.is_object()) {
        out += '{';
        bool first = true;
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!first)
                out += ", ";
            first = false;
            out += nlohmann::json(it.key()).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            out += ": ";
            WriteSpaced(it.value(), out);
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        bool first = true;
        for (const nlohmann::json& element : value) {
            if (!first)
                out += ", ";
            first = false;
            WriteSpaced(element, out);
        }
        out += ']';
    } else {
        out += value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
}

std::string StringOf(const nlohmann::json& obj, const char* key)
{
    if (!obj.is_object())
        return std::string();
    auto it = obj.find(key);
    return it != obj.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::string Escaped(const std::string& utf8) { return QString::fromUtf8(utf8.c_str()).toHtmlEscaped().toStdString(); }

std::string LinkHtml(const QString& url, const QString& text)
{
    return "<a style=\"color:#ff6800;\" href = \"" + url.toHtmlEscaped().toStdString() + "\">" +
           text.toHtmlEscaped().toStdString() + "</a>";
}

}  // namespace

NewTopMsgWdg::NewTopMsgWdg(QWidget* parent) : QuestionPanel(parent), ui(new Ui::NewTopMsgWdg), m_parent(parent)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->wdgBtnRich->installEventFilter(this);
    ui->textEdit->installEventFilter(this);
    ui->textEdit->SetPasteMode(1);
    connect(ui->textEdit, &QTextEdit::textChanged, this, &NewTopMsgWdg::UpdateEditInfo);
    hide();
    ResetWidget();
}

NewTopMsgWdg::~NewTopMsgWdg() { delete ui; }

std::string NewTopMsgWdg::GetHtmlMsgByJsMsg(QString jsMsg)
{
    const std::string text = jsMsg.toUtf8().toStdString();
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        Logger::instance()->Log(LOG_WARN, "NewTopMsgWdg::GetHtmlMsgByJsMsg", "parse top msg failed %s, err %s",
                                text.c_str(), e.what());
        return std::string();
    }
    std::map<int, TopMsgItem> items;
    const nlohmann::json* list = nullptr;
    if (doc.is_object()) {
        auto it = doc.find("msg");
        if (it != doc.end() && it->is_array())
            list = &*it;
    }
    if (list) {
        for (const nlohmann::json& element : *list) {
            TopMsgItem& item = items[IntOf(element, "index")];
            item.type = IntOf(element, "type");
            item.content = StringOf(element, "content");
            if (item.type == kItemLink)
                item.url = StringOf(element, "url");
        }
    }
    // Indices 1..N, N the number of distinct indices: the writer's numbering
    // reaches every item; stray indices outside that range are not shown.
    std::string html;
    const int count = static_cast<int>(items.size());
    for (int i = 1; i <= count; ++i) {
        auto it = items.find(i);
        if (it == items.end())
            continue;
        const TopMsgItem& item = it->second;
        if (item.type == kItemText)
            html += QString::fromStdString(Escaped(item.content)).replace("\n", "<br/>").toStdString();
        else if (item.type == kItemLink)
            html += LinkHtml(QString::fromStdString(item.url), QString::fromStdString(item.content));
    }
    return html;
}

std::string NewTopMsgWdg::GetJsMsgByTextCursor(QTextCursor cursor)
{
    nlohmann::json items = nlohmann::json::array();
    QTextFrame* frame = cursor.currentFrame();
    if (frame) {
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            const QTextBlock block = it.currentBlock();
            if (!block.isValid())
                continue;  // a child frame contributes nothing
            for (QTextBlock::iterator f = block.begin(); !f.atEnd(); ++f) {
                const QTextFragment fragment = f.fragment();
                if (!fragment.isValid())
                    continue;
                QString text = fragment.text();
                const QString href = fragment.charFormat().anchorHref();
                nlohmann::json item;
                item["index"] = static_cast<int>(items.size()) + 1;
                if (href.isEmpty()) {
                    text.replace(QChar(0x2028), QLatin1Char('\n'));
                    if (QString(text).remove(QLatin1Char(' ')).isEmpty())
                        continue;
                    item["type"] = static_cast<int>(kItemText);
                    item["content"] = text.toStdString();
                } else {
                    item["type"] = static_cast<int>(kItemLink);
                    item["content"] = text.toStdString();
                    item["url"] = href.toStdString();
                }
                items.push_back(item);
            }
        }
    }
    nlohmann::json doc;
    doc["msg"] = items;
    std::string out;
    WriteSpaced(doc, out);
    return out;
}

bool NewTopMsgWdg::OpenNoticeLink(const QUrl& url, const char* caller)
{
    const QString scheme = url.scheme().toLower();
    if (scheme != "http" && scheme != "https") {
        Logger::instance()->Log(LOG_WARN, caller, "notice link refused, not a web address: %s",
                                url.toString().toUtf8().constData());
        return false;
    }
    return QDesktopServices::openUrl(url);
}

int NewTopMsgWdg::FitNoticeHeight(QTextBrowser* browser)
{
    QTextDocument* doc = browser->document();
    doc->adjustSize();
    doc->setTextWidth(browser->width());
    return doc->size().toSize().height();
}

void NewTopMsgWdg::ResetWidget()
{
    ui->textEdit->clear();
    ui->lineText->clear();
    ui->lineHref->clear();
    ui->wdgRich->hide();
    ui->textEdit->setFocus(Qt::OtherFocusReason);
    ui->labEditInfo->setText(QStringLiteral("0/%1").arg(kMaxNoticeChars));
}

void NewTopMsgWdg::UpdateEditInfo()
{
    ui->labEditInfo->setText(QStringLiteral("%1/%2").arg(ui->textEdit->toPlainText().length()).arg(kMaxNoticeChars));
}

bool NewTopMsgWdg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->wdgBtnRich && event->type() == QEvent::MouseButtonPress) {
        ui->wdgRich->setVisible(ui->wdgRich->isHidden());
    } else if (watched == ui->textEdit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Plain Enter does nothing; Shift+Enter puts a line separator into
        // the paragraph, which the notice keeps as a line break.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ShiftModifier))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void NewTopMsgWdg::on_btnClose_clicked() { hide(); }

void NewTopMsgWdg::on_btnCancel_clicked() { hide(); }

void NewTopMsgWdg::on_btnOk_clicked()
{
    if (ui->textEdit->toPlainText().length() > kMaxNoticeChars) {
        Toast::ShowToast(tr("公告内容太长了"), nullptr, kToastMs);
        return;
    }
    const QString json = QString::fromUtf8(GetJsMsgByTextCursor(ui->textEdit->textCursor()).c_str());
    if (json.isEmpty())
        return;
    const qint64 id = QDateTime::currentMSecsSinceEpoch();
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib || !lib->PublishNotice(id, json))
        return;
    ResetWidget();
    hide();
    emit sgNewTopMsg(id, json);
}

void NewTopMsgWdg::on_btnAddHref_released()
{
    QString text = ui->lineText->text();
    const QString href = ui->lineHref->text();
    text.remove(QLatin1Char(' '));
    if (text.isEmpty()) {
        Toast::ShowToast(tr("文本内容无效"), nullptr, kToastMs);
        return;
    }
    QRegExp pattern(QStringLiteral("http[s]{0,1}://.*"), Qt::CaseInsensitive, QRegExp::RegExp);
    if (!pattern.exactMatch(href)) {
        Toast::ShowToast(tr("链接地址无效"), nullptr, kToastMs);
        return;
    }
    const QString html = QString::fromStdString(LinkHtml(href, text));
    ui->textEdit->insertPlainText(QStringLiteral("  "));
    QTextCursor cursor = ui->textEdit->textCursor();
    cursor.movePosition(QTextCursor::PreviousCharacter);
    ui->textEdit->setTextCursor(cursor);
    ui->textEdit->insertHtml(html);
    cursor = ui->textEdit->textCursor();
    cursor.movePosition(QTextCursor::End);
    ui->textEdit->setTextCursor(cursor);
    ui->textEdit->setFocus();
}
