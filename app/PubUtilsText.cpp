// PubUtils helpers for widgets, durations, digests, face texts, strings and
// encodings; the free encoding and URL helpers.
#include "app/PubUtils.h"

#include "app/Logger.h"
#include "common/Md5.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextCodec>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QWidget>

#include <algorithm>
#include <mutex>

namespace {

std::mutex g_faceLock;                 // guards g_faceList
std::vector<std::string> g_faceList;   // guarded by g_faceLock

}  // namespace

void PubUtils::MoveToScreenCenter(QWidget* w, QWidget* ref)
{
    if (!w)
        return;
    if (!w->isMaximized() && !w->isFullScreen()) {
        QWidget* anchor = ref ? ref : w;
        QScreen* screen = nullptr;
        if (anchor->isVisible() || anchor->windowHandle())
            screen = QGuiApplication::screenAt(anchor->mapToGlobal(anchor->rect().center()));
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect area = screen->availableGeometry();
            QSize size = w->frameGeometry().size();
            if (size.width() > area.width() || size.height() > area.height())
                w->move(area.topLeft());
            else
                w->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
        }
    }
    w->show();
    w->raise();
}

QWidget* PubUtils::GetTopWidget(QWidget* w)
{
    while (w && w->parentWidget())
        w = w->parentWidget();
    return w;
}

QString PubUtils::FormatDuration(int seconds, bool withHours)
{
    int h = (seconds / 3600) % 100;
    int m = (seconds / 60) % 60;
    int s = seconds % 60;
    if (!withHours && h == 0)
        return QString::asprintf("%02d:%02d", m, s);
    return QString::asprintf("%02d:%02d:%02d", h, m, s);
}

std::string PubUtils::GetFileMd5(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    Md5Context ctx;
    Md5Init(ctx);
    char block[4096];
    qint64 n;
    while ((n = f.read(block, sizeof(block))) > 0)
        Md5Update(ctx, block, static_cast<size_t>(n));
    if (n < 0)
        return {};
    unsigned char digest[16];
    Md5Final(ctx, digest);
    return md5::toHex(digest);
}

std::string PubUtils::GetUrlLocalFile(const std::string& url)
{
    if (url.empty())
        return {};
    std::string name = md5::ofBytes(url.data(), url.size());
    size_t dot = url.rfind('.');
    if (dot != std::string::npos) {
        std::string ext = url.substr(dot);
        // The extension becomes part of a file name: keep it to characters
        // that cannot leave the temporary folder.
        if (ext.find('/') == std::string::npos && ext.find('\\') == std::string::npos)
            name += ext;
    }
    return GetTempDir() + "/" + name;
}

std::vector<QString> PubUtils::ListFilesByCreation(const QString& dir, int maxCount)
{
    std::vector<QString> out;
    if (dir.isEmpty() || !QFileInfo(dir).isDir() || maxCount <= 0)
        return out;
    // Oldest first. Time stamps are coarse (a few milliseconds on most file
    // systems), so files made together tie: the name orders them, and none
    // is lost to the tie.
    std::vector<std::pair<qint64, QString>> byTime;
    for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QDateTime t = fi.birthTime().isValid() ? fi.birthTime() : fi.lastModified();
        byTime.emplace_back(t.toMSecsSinceEpoch(), fi.absoluteFilePath());
    }
    std::sort(byTime.begin(), byTime.end());
    for (const auto& kv : byTime) {
        if (static_cast<int>(out.size()) >= maxCount)
            break;
        out.push_back(kv.second);
    }
    return out;
}

std::string PubUtils::DocToFaceText(const QTextDocument* doc)
{
    std::string out;
    if (!doc)
        return out;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block != doc->begin())
            out += "\n";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            QTextCharFormat fmt = frag.charFormat();
            if (fmt.isImageFormat()) {
                QString name = QFileInfo(fmt.toImageFormat().name()).fileName();
                if (name.size() > 4)
                    name.chop(4);
                // One fragment may stand for several equal pictures in a row.
                for (int i = 0; i < frag.length(); ++i)
                    out += name.toStdString();
            } else {
                QString text = frag.text();
                text.replace(QChar(0x2028), "\n");
                out += text.toStdString();
            }
        }
    }
    return out;
}

std::string PubUtils::FaceTextToHtml(const std::string& text, int mode)
{
    if (mode != 1)
        return text;
    std::vector<std::string> faces;
    {
        std::lock_guard<std::mutex> g(g_faceLock);
        faces = g_faceList;
    }
    std::string out = text;
    for (const std::string& name : faces) {
        if (name.empty() || out.find(name) == std::string::npos)
            continue;
        std::string img = "<img source = \"" + std::string(":/face/res/face/") + name + ".png\"/>";
        out = ReplaceAll(out, name, img);
    }
    return out;
}

void PubUtils::SetFaceList(const std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> g(g_faceLock);
    g_faceList = names;
}

std::vector<std::string> PubUtils::SplitString(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    if (separator.empty()) {
        parts.push_back(text);
        return parts;
    }
    size_t start = 0;
    size_t pos;
    while ((pos = text.find(separator, start)) != std::string::npos) {
        parts.push_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string PubUtils::ReplaceAll(const std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    std::string out = text;
    size_t pos = 0;
    while ((pos = out.find(from, pos)) != std::string::npos) {
        out.replace(pos, from.size(), to);
        pos += to.size();
    }
    return out;
}

bool PubUtils::RemoveFile(const QString& path)
{
    QFile f(path);
    if (!f.exists())
        return true;
    f.setPermissions(f.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    f.remove();
    if (!QFileInfo::exists(path))
        return true;
    Logger::instance()->Log(LOG_WARN, "PubUtils::RemoveFile", "RemoveFile failed %s", path.toUtf8().constData());
    return false;
}

std::string PubUtils::Utf8ToLocal(const std::string& text)
{
    QTextCodec* codec = QTextCodec::codecForLocale();
    QString wide = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    QByteArray local = codec ? codec->fromUnicode(wide) : wide.toLocal8Bit();
    return std::string(local.constData(), static_cast<size_t>(local.size()));
}

std::string WStringToUtf8(const std::wstring& text)
{
    return QString::fromStdWString(text).toStdString();
}

std::wstring Utf8ToWString(const std::string& text)
{
    return QString::fromStdString(text).toStdWString();
}

std::string UrlEncode(const std::string& text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
            || c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}
