#include "libs/whiteboardlib/src/WhiteBoardImpl.h"

#include "libs/whiteboardlib/src/RoomDocHub.h"
#include "libs/whiteboardlib/src/WBCanvas.h"
#include "libs/whiteboardlib/src/WBPageControls.h"

#include <QFileInfo>
#include <QImage>
#include <QMetaObject>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

const int kMaxPages = 9999;
const QString kMainRoom; // the main classroom's page controls carry an empty room id

qlonglong widgetValue(QWidget* w)
{
    return static_cast<qlonglong>(reinterpret_cast<quintptr>(w));
}

bool sameDocs(const std::vector<WBDocInfo>& a, const std::vector<WBDocInfo>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const WBDocInfo& x = a[i];
        const WBDocInfo& y = b[i];
        if (x.docId != y.docId || x.fileName != y.fileName || x.docType != y.docType
            || x.pageUrl != y.pageUrl || x.duration != y.duration || x.fileSize != y.fileSize
            || x.extName != y.extName || x.createTime != y.createTime)
            return false;
    }
    return true;
}

// An int argument that must be an integer of a QVariant: int 0 or a map.
bool isIntZero(const QVariant& v)
{
    switch (v.userType()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        return v.toLongLong() == 0;
    default:
        return false;
    }
}

bool positiveInt(const QVariant& v, int* out)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok || n <= 0)
        return false;
    *out = n;
    return true;
}

bool validRgb(int rgb)
{
    return rgb >= 0 && rgb <= 0xFFFFFF;
}

} // namespace

WhiteBoardImpl::WhiteBoardImpl(QWidget* parent, WBLibCallbackFunc callback, const Config& config)
    : m_config(config), m_thread(new WBCallbackThread(callback)), m_images(config.curlLock),
      m_container(parent)
{
    m_guiGuard.reset(new QObject);
    m_canvas = new WBCanvas(parent);
    m_canvas->show();
    m_mainPages.reset(new WBPageControls(m_canvas, parent));
    m_loadingNotice = makeNotice(parent, "WBLoadingNotice", QString::fromUtf8("页面加载中…"));
    m_failedNotice = makeNotice(parent, "WBFailedNotice", QString::fromUtf8("页面加载失败"));

    m_canvasLinks << QObject::connect(m_canvas, &WBCanvas::textSizePicked, m_canvas, [this](int size) {
        QVariantMap m;
        m["fontSize"] = size;
        m_thread->post(RsWB_FontSize, m);
    });
    m_canvasLinks << QObject::connect(m_canvas, &WBCanvas::docPageWanted, m_canvas,
                                      [this](const QString& id, int page) {
        WBDocInfo doc;
        if (findDoc(id, &doc))
            loadDocPage(doc, page, false);
        else
            m_thread->log(QString("page %1 of document %2: the document left the room").arg(page).arg(id));
    });

    WBCallbackThread* thread = m_thread.get();
    m_hubListener = RoomDocHub::instance().subscribe([this, thread](const std::string&) {
        thread->run([this] { refreshDocs(false); });
    });
    m_thread->log(QString("created, board server %1")
                      .arg(config.urlWB.isEmpty() ? QString("(none)") : config.urlWB));
}

WhiteBoardImpl::~WhiteBoardImpl()
{
    // The widgets stay with their Qt parents: the program may hold them (it
    // reparents the page controls and makes children of the board) until its
    // own windows go. They only stop reaching the library.
    for (const auto& link : m_canvasLinks)
        QObject::disconnect(link);
    RoomDocHub::instance().unsubscribe(m_hubListener);
    m_thread->stop();
    m_guiGuard.reset(); // drops what the library thread left for the GUI thread
    m_mainPages.reset();
    m_dualPages.reset();
}

bool WhiteBoardImpl::fail(const QString& operation, const QString& why)
{
    m_thread->log(QString("%1 failed: %2").arg(operation, why));
    return false;
}

bool WhiteBoardImpl::EnterRoom(const QVariant& loginVars)
{
    const int type = loginVars.userType();
    if (type != QMetaType::QStringList && type != QMetaType::QVariantList) {
        const QString why = QString("login variables are not a list (%1)").arg(loginVars.typeName());
        QVariantMap m{{"type", "wb"}, {"errMsg", why}};
        m_thread->post(RsWB_ConnectFailed, m);
        return fail("EnterRoom", why);
    }
    const QStringList vars = loginVars.toStringList();
    if (vars.size() < 2 || vars.at(1).isEmpty()) {
        const QString why = QString("no room id in %1 login variables").arg(vars.size());
        QVariantMap m{{"type", "wb"}, {"errMsg", why}};
        m_thread->post(RsWB_ConnectFailed, m);
        return fail("EnterRoom", why);
    }
    const std::string roomId = vars.at(1).toStdString();
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        if (!m_roomId.empty() && m_roomId != roomId)
            m_docs.clear();
        m_roomId = roomId;
    }
    if (m_canvas)
        m_canvas->reset();
    m_thread->log(QString("enter room %1").arg(vars.at(1)));

    // The board server of the configuration. Without a usable one the board
    // still works here, but the program is told.
    const QUrl server(m_config.urlWB);
    if (m_config.urlWB.isEmpty()) {
        m_thread->post(RsWB_AddrFailed, {{"type", "wb"}, {"errMsg", "no board server address"}});
    } else if (!server.isValid() || server.host().isEmpty()) {
        m_thread->post(RsWB_ConnectFailed,
                       {{"type", "wb"}, {"errMsg", QString("bad board server address %1").arg(m_config.urlWB)}});
    }
    m_thread->post(RsWB_ServerTimeOffset, {{"offMs", qlonglong(0)}});
    m_thread->post(RsWB_Background, {{"type", "wb"}, {"image", "bk1.png"}});
    auto custom = m_customBackground.find(roomId);
    if (custom != m_customBackground.end())
        m_thread->post(RsWB_BackgroundImage, {{"image", custom->second}});
    reportPageControls(kMainRoom, m_mainPages.get(), false);
    m_mainPages->setSelfShown(true);
    m_thread->run([this] { refreshDocs(true); });
    return true;
}

bool WhiteBoardImpl::SetDualRoom(const QVariant& dualRoom)
{
    if (dualRoom.userType() != QMetaType::QVariantMap)
        return fail("SetDualRoom", QString("not a map (%1)").arg(dualRoom.typeName()));
    const QVariantMap m = dualRoom.toMap();
    const QString roomId = m.value("roomId").toString();
    if (roomId.isEmpty())
        return fail("SetDualRoom", "no \"roomId\"");
    if (m.value("conn").userType() != QMetaType::Bool)
        return fail("SetDualRoom", "\"conn\" is not a bool");
    if (m.value("conn").toBool()) {
        if (!m_dualPages && m_canvas)
            m_dualPages.reset(new WBPageControls(m_canvas, m_container));
        m_dualRoomId = roomId;
        reportPageControls(roomId, m_dualPages.get(), false);
        m_thread->log(QString("dual room %1 connected").arg(roomId));
    } else {
        if (roomId != m_dualRoomId)
            return fail("SetDualRoom", QString("room %1 is not connected").arg(roomId));
        reportPageControls(roomId, nullptr, true);
        m_dualRoomId.clear();
        m_thread->log(QString("dual room %1 disconnected").arg(roomId));
    }
    return true;
}

bool WhiteBoardImpl::LeaveRoom()
{
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        if (m_roomId.empty())
            return fail("LeaveRoom", "not in a room");
        m_roomId.clear();
        m_docs.clear();
    }
    ++m_loadSeq; // a page still loading is not shown any more
    if (m_canvas)
        m_canvas->reset();
    reportNotice(RsWB_ShowPageWidget, m_loadingNotice, false);
    reportNotice(RsWB_HidePageWidget, m_failedNotice, false);
    reportPageControls(kMainRoom, nullptr, true);
    m_mainPages->setSelfShown(false);
    m_thread->post(RsWB_DocChanged, {{"roomId", kMainRoom}, {"count", 0}});
    m_thread->log("leave room");
    return true;
}

bool WhiteBoardImpl::SetDualMode(const QString& mode)
{
    if (mode != "1" && !mode.isEmpty())
        return fail("SetDualMode", QString("unknown mode \"%1\"").arg(mode));
    m_dualMode = mode;
    m_thread->log(QString("dual mode %1").arg(mode.isEmpty() ? "off" : "on"));
    return true;
}

bool WhiteBoardImpl::SetBackground(const QString& file, bool custom)
{
    if (file.isEmpty())
        return fail("SetBackground", "no file");
    if (!m_canvas)
        return fail("SetBackground", "the board widget is gone");
    if (custom) {
        std::lock_guard<std::mutex> lock(m_docLock);
        if (!m_roomId.empty())
            m_customBackground[m_roomId] = file;
    }
    if (WBImageSource::isUrl(file)) {
        QPointer<WBCanvas> canvas = m_canvas;
        m_thread->run([this, file, canvas] {
            QString err;
            const QImage img = m_images.load(file, &err);
            if (img.isNull()) {
                m_thread->log(QString("SetBackground failed: %1").arg(err));
                return;
            }
            QMetaObject::invokeMethod(canvas, [canvas, img] { if (canvas) canvas->setBackground(img); },
                                      Qt::QueuedConnection);
        });
        return true;
    }
    QString err;
    const QImage img = m_images.load(file, &err);
    if (img.isNull())
        return fail("SetBackground", err);
    m_canvas->setBackground(img);
    return true;
}

bool WhiteBoardImpl::SetDrawAuth(bool pen, bool click)
{
    m_thread->log(QString("draw auth pen %1 click %2").arg(pen).arg(click));
    return applyToBoard("SetDrawAuth", true, QString(), [pen, click](WBCanvas& c) { c.setDrawAuth(pen, click); });
}

bool WhiteBoardImpl::RemoveUser()
{
    m_thread->log("the room's teacher left");
    return true;
}

std::vector<WBDocInfo> WhiteBoardImpl::GetCurDocInfo()
{
    std::lock_guard<std::mutex> lock(m_docLock);
    return m_docs;
}

QWidget* WhiteBoardImpl::GetWBWidget()
{
    return m_canvas;
}

bool WhiteBoardImpl::SetTool(int tool)
{
    return applyToBoard("SetTool", WBCanvas::isKnownTool(tool), QString("unknown tool %1").arg(tool),
                        [tool](WBCanvas& c) { c.setTool(tool); });
}

bool WhiteBoardImpl::InsertObject(int kind, const QString& path, const QVariant& extra)
{
    if (kind != WBObject_Picture && kind != WBObject_Audio && kind != WBObject_Video)
        return fail("InsertObject", QString("unknown kind %1").arg(kind));
    if (path.isEmpty())
        return fail("InsertObject", "no file");
    QSizeF size;
    if (extra.userType() == QMetaType::QVariantMap) {
        const QVariantMap m = extra.toMap();
        int w = 0, h = 0;
        if (!positiveInt(m.value("width"), &w) || !positiveInt(m.value("height"), &h))
            return fail("InsertObject", "\"width\" and \"height\" must be positive numbers");
        size = QSizeF(w, h);
    } else if (!isIntZero(extra)) {
        return fail("InsertObject", QString("extra value must be int 0 or a size map (%1)").arg(extra.typeName()));
    }
    if (!m_canvas)
        return fail("InsertObject", "the board widget is gone");
    if (!WBImageSource::isUrl(path) && !QFileInfo(WBImageSource::localPath(path)).isFile())
        return fail("InsertObject", QString("no such file: %1").arg(path));

    if (kind != WBObject_Picture) {
        WBItem item;
        item.kind = WBItem::Media;
        item.video = kind == WBObject_Video;
        item.text = QFileInfo(QUrl(path).path()).fileName();
        if (item.text.isEmpty())
            item.text = path;
        m_canvas->insertCentered(item, QSizeF(280, 56));
        return true;
    }
    QPointer<WBCanvas> canvas = m_canvas;
    m_thread->run([this, path, size, canvas] {
        QString err;
        const QImage img = m_images.load(path, &err);
        if (img.isNull()) {
            m_thread->log(QString("InsertObject failed: %1").arg(err));
            return;
        }
        QMetaObject::invokeMethod(canvas, [canvas, img, size] {
            if (!canvas)
                return;
            WBItem item;
            item.kind = WBItem::Picture;
            item.image = img;
            canvas->insertCentered(item, size);
        }, Qt::QueuedConnection);
    });
    return true;
}

bool WhiteBoardImpl::applyToBoard(const char* operation, bool valid, const QString& why,
                                  const std::function<void(WBCanvas&)>& apply)
{
    if (!valid)
        return fail(operation, why);
    if (!m_canvas)
        return fail(operation, "the board widget is gone");
    apply(*m_canvas);
    return true;
}

bool WhiteBoardImpl::SetPenWidth(int width)
{
    return applyToBoard("SetPenWidth", width >= 1 && width <= 64,
                        QString("width %1 out of range").arg(width),
                        [width](WBCanvas& c) { c.setPenWidth(width); });
}

bool WhiteBoardImpl::SetPenColor(int rgb)
{
    return applyToBoard("SetPenColor", validRgb(rgb),
                        QString("colour 0x%1 out of range").arg(uint(rgb), 0, 16),
                        [rgb](WBCanvas& c) { c.setPenColor(QColor::fromRgb(QRgb(rgb))); });
}

bool WhiteBoardImpl::SetTextColor(int rgb)
{
    return applyToBoard("SetTextColor", validRgb(rgb),
                        QString("colour 0x%1 out of range").arg(uint(rgb), 0, 16),
                        [rgb](WBCanvas& c) { c.setTextColor(QColor::fromRgb(QRgb(rgb))); });
}

bool WhiteBoardImpl::SetFontSize(int size)
{
    // Taken silently: a report here would come back as another SetFontSize.
    return applyToBoard("SetFontSize", size >= 6 && size <= 200,
                        QString("size %1 out of range").arg(size),
                        [size](WBCanvas& c) { c.setFontSize(size); });
}

bool WhiteBoardImpl::ClearBoard()
{
    return applyToBoard("ClearBoard", true, QString(), [](WBCanvas& c) { c.clearPage(); });
}

bool WhiteBoardImpl::findDoc(const QString& docId, WBDocInfo* doc)
{
    std::lock_guard<std::mutex> lock(m_docLock);
    auto it = std::find(m_docs.begin(), m_docs.end(), WBDocInfo(docId.toStdString()));
    if (it == m_docs.end())
        return false;
    *doc = *it;
    return true;
}

bool WhiteBoardImpl::OpenDocPages(const QString& docId, const QString& page)
{
    if (docId.isEmpty())
        return fail("OpenDocPages", "no document id");
    bool ok = false;
    const int n = page.toInt(&ok);
    if (!ok || n < 1 || n > kMaxPages)
        return fail("OpenDocPages", QString("bad page \"%1\"").arg(page));
    WBDocInfo doc;
    if (!findDoc(docId, &doc))
        return fail("OpenDocPages", QString("no document %1 in the room").arg(docId));
    if (doc.docType == "media")
        return fail("OpenDocPages", QString("document %1 is audio or video").arg(docId));
    if (doc.pageUrl.empty())
        return fail("OpenDocPages", QString("document %1 has no page address").arg(docId));
    if (!m_canvas)
        return fail("OpenDocPages", "the board widget is gone");
    loadDocPage(doc, n, true);
    return true;
}

QString WhiteBoardImpl::pageSource(const WBDocInfo& doc, int page)
{
    return QString::fromStdString(doc.pageUrl).replace("xxxx", QString("%1").arg(page, 4, 10, QChar('0')));
}

int WhiteBoardImpl::countPages(const WBDocInfo& doc) const
{
    const QString pattern = QString::fromStdString(doc.pageUrl);
    if (WBImageSource::isUrl(pattern) || !pattern.contains("xxxx"))
        return pattern.contains("xxxx") ? 0 : 1; // pages of a server: counted as they come
    int n = 0;
    while (n < kMaxPages && m_images.exists(pageSource(doc, n + 1)))
        ++n;
    return n;
}

void WhiteBoardImpl::loadDocPage(const WBDocInfo& doc, int page, bool countAll)
{
    const int seq = ++m_loadSeq;
    const int knownCount = m_canvas && m_canvas->docId() == QString::fromStdString(doc.docId)
                               ? m_canvas->pageCount() : 0;
    reportNotice(RsWB_ShowPageWidget, m_loadingNotice, true);
    QPointer<WBCanvas> canvas = m_canvas;
    m_thread->run([this, doc, page, countAll, knownCount, seq, canvas] {
        const int count = countAll || knownCount == 0 ? countPages(doc) : knownCount;
        const QString source = pageSource(doc, page);
        QString err;
        QImage img;
        if (count > 0 && page > count)
            err = QString("document %1 has %2 pages").arg(QString::fromStdString(doc.docId)).arg(count);
        else
            img = m_images.load(source, &err);
        if (img.isNull())
            m_thread->log(QString("page %1 of document %2 failed: %3")
                              .arg(page).arg(QString::fromStdString(doc.docId), err));
        const QString id = QString::fromStdString(doc.docId);
        QMetaObject::invokeMethod(m_guiGuard.get(), [this, canvas, seq, id, page, count, img] {
            if (!canvas || seq != m_loadSeq)
                return; // left the room, or a later page was asked for
            reportNotice(RsWB_ShowPageWidget, m_loadingNotice, false);
            if (img.isNull()) {
                reportNotice(RsWB_HidePageWidget, m_failedNotice, true);
                return;
            }
            reportNotice(RsWB_HidePageWidget, m_failedNotice, false);
            canvas->showDocPage(id, page, count, img);
        }, Qt::QueuedConnection);
    });
}

bool WhiteBoardImpl::DeleteDoc(const QString& docId)
{
    if (docId.isEmpty())
        return fail("DeleteDoc", "no document id");
    std::string room;
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        room = m_roomId;
    }
    WBDocInfo doc;
    if (room.empty() || !findDoc(docId, &doc))
        return fail("DeleteDoc", QString("no document %1 in the room").arg(docId));
    if (m_canvas)
        m_canvas->dropDoc(docId);
    // The store tells every board of the room, this one included.
    RoomDocHub::instance().removeDoc(room, doc.docId);
    m_thread->log(QString("document %1 deleted").arg(docId));
    return true;
}

void WhiteBoardImpl::refreshDocs(bool always)
{
    std::string room;
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        room = m_roomId;
    }
    if (room.empty())
        return;
    const std::vector<WBDocInfo> docs = RoomDocHub::instance().docs(room);
    std::vector<std::string> gone;
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        if (m_roomId != room)
            return; // left meanwhile
        if (!always && sameDocs(docs, m_docs))
            return;
        for (const auto& d : m_docs) {
            if (std::find(docs.begin(), docs.end(), d) == docs.end())
                gone.push_back(d.docId);
        }
        m_docs = docs;
    }
    m_thread->post(RsWB_DocChanged, {{"roomId", kMainRoom}, {"count", int(docs.size())}});
    if (!gone.empty()) {
        QPointer<WBCanvas> canvas = m_canvas;
        QMetaObject::invokeMethod(canvas, [canvas, gone] {
            for (const auto& id : gone) {
                if (canvas)
                    canvas->dropDoc(QString::fromStdString(id));
            }
        }, Qt::QueuedConnection);
    }
}

void WhiteBoardImpl::reportNotice(WBRs code, QWidget* notice, bool show)
{
    if (!notice)
        return;
    if (!show)
        notice->hide(); // the program forgets it; hiding it is ours
    m_thread->post(code, {{"roomId", kMainRoom}, {"show", show}, {"widget", widgetValue(notice)}});
}

void WhiteBoardImpl::reportPageControls(const QString& roomId, WBPageControls* controls, bool hide)
{
    QVariantMap m;
    m["roomId"] = roomId;
    m["hide"] = hide;
    m["pageWdg"] = widgetValue(controls ? controls->pageWidget() : nullptr);
    m["addWdg"] = widgetValue(controls ? controls->addWidget() : nullptr);
    m_thread->post(RsWB_AddPageWidget, m);
}
