#include "courseware/DocPageShared.h"

#include "app/Logger.h"
#include "app/PubUtils.h"
#include "courseware/DocFileItem.h"
#include "courseware/NetDirCtrl.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QWidgetAction>

namespace docpage {

void SetUpList(QListWidget* list)
{
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setSpacing(0);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setStyleSheet(
        "QListWidget{background-color: #ffffff; }"
        "QListWidget::item:selected{ background-color:rgba(93,192,186,0.30); }"
        "QListWidget::item:selected:!active{ background-color:rgba(93,192,186,0.30); }");
}

QFileDialog* FileDialog(QWidget* page, QPointer<QFileDialog>& dialog, const QString& filter)
{
    if (!dialog) {
        dialog = new QFileDialog(page->window(), QCoreApplication::translate("DocFilePage", "选择课件"), ".");
        dialog->setViewMode(QFileDialog::Detail);
        dialog->setNameFilter(filter);
    }
    return dialog;
}

QString RefusalOf(const QString& path, qint64 firstRefusedBytes, const QString& tooBigText)
{
    // The size first, without reading the file: a file of several gigabytes
    // is refused at once. The upload hashes the file on its own thread.
    if (!path.isEmpty() && QFileInfo(path).size() >= firstRefusedBytes)
        return tooBigText;
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QCoreApplication::translate("DocFilePage", "文件无法打开, 请重新选择！");
    return QString();
}

void SetWaiting(bool waiting)
{
    // At most one wait cursor of the panel on Qt's cursor stack, so that
    // taking it back never takes another component's cursor.
    static bool held = false;  // GUI thread only
    if (waiting == held)
        return;
    held = waiting;
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void ShowRefusal(QWidget* parent, const QString& text)
{
    auto* box = new MsgBox(parent, true, 5);
    box->SetMsgText(text, QString());
    box->SetButtonText(false, QCoreApplication::translate("DocFilePage", "确定"),
                       QCoreApplication::translate("DocFilePage", "取消"));
    box->ShowMsg();
}

void Show(QWidget* owner, QPushButton* anchor)
{
    QMenu menu("docmenu", owner);
    menu.setStyleSheet("background: #FFFFFF;font: 14px; color: #666666; ");
    auto* picture = new QLabel(&menu);
    picture->setMargin(20);
    picture->setFixedSize(264, 309);
    picture->setStyleSheet("width:264px; height:309px; border-image: url(:/doc/res/doc/docType.png);");
    auto* action = new QWidgetAction(&menu);
    action->setDefaultWidget(picture);
    menu.addAction(action);
    QObject::connect(&menu, &QMenu::aboutToShow, anchor,
                     [anchor] { anchor->setStyleSheet("border-image: url(:/doc/res/doc/downup.png);"); });
    QObject::connect(&menu, &QMenu::aboutToHide, anchor,
                     [anchor] { anchor->setStyleSheet("border-image: url(:/doc/res/doc/down.png);"); });
    menu.exec(anchor->mapToGlobal(QPoint(anchor->width(), anchor->height())));
}

bool TakeListing(NetDirCtrl* bar, const QVariantMap& result, const char* func, std::vector<NetFileInfo>* entries)
{
    const QString cur = bar->GetCurDir().toMap().value("uuid").toString();
    const QString ret = result.value("user_data").toMap().value("uuid").toString();
    if (result.value("code").toInt() != 0) {
        if (cur == ret)
            bar->EndLoad(false);
        return false;
    }
    if (cur != ret) {
        Logger::instance()->Log(LOG_WARN, func, "curDir not eq retDir. cur %s, ret %s", cur.toUtf8().constData(),
                                ret.toUtf8().constData());
        return false;
    }
    // A listing that is not a list of entries changes nothing: the folder
    // shown stays, the bar's waiting level goes as for a failure.
    const QVariant files = result.value("listFiles");
    if (files.type() != QVariant::List) {
        Logger::instance()->Log(LOG_WARN, func, "bad folder listing for %s: listFiles is %s", ret.toUtf8().constData(),
                                files.isValid() ? files.typeName() : "missing");
        bar->EndLoad(false);
        Toast::ShowToast(QCoreApplication::translate("DocMyNetPage", "云盘目录读取失败，请稍后重试"), bar, 3000);
        return false;
    }
    std::vector<NetFileInfo> taken;
    for (const QVariant& v : files.toList()) {
        if (v.type() != QVariant::Map) {
            Logger::instance()->Log(LOG_WARN, func, "folder %s: an entry that is not a map is skipped",
                                    ret.toUtf8().constData());
            continue;
        }
        taken.push_back(NetFileInfo::FromMap(v.toMap()));
    }
    *entries = taken;
    return true;
}

HeldDeleteQuestion::HeldDeleteQuestion(QListWidget* list)
{
    for (int i = 0; i < list->count() && !m_box; ++i) {
        auto* row = qobject_cast<DocFileItem*>(list->itemWidget(list->item(i)));
        if (!row)
            continue;
        m_key = row->Key();
        m_box = row->TakeDeleteQuestion();
    }
}

HeldDeleteQuestion::~HeldDeleteQuestion()
{
    if (m_box) {
        m_box->hide();
        m_box->deleteLater();
    }
}

void HeldDeleteQuestion::Offer(DocFileItem* row)
{
    if (!m_box || m_key.isEmpty() || row->Key() != m_key)
        return;
    row->AdoptDeleteQuestion(m_box);
    m_box.clear();
}

}  // namespace docpage
