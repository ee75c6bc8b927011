#pragma once
// Pictures of list rows: from the URL's cache file when there is one, else
// downloaded (http and https only) while a default picture stands.
//
// The download worker reports to the row through a connection that Qt drops
// when the row is destroyed, and frees itself once it has reported, so a
// worker never outlives its report and never reaches a dead row.
#include <QPixmap>
#include <QString>

#include <string>

class DownThread;
class QObject;
class QLabel;

namespace rowpicture {

// Download kind of row pictures.
constexpr int kPictureDownload = 1;

// The cached picture of url; null when not cached yet.
QPixmap Cached(const std::string& url);

// Starts the download of url into its cache file and delivers the worker to
// receiver's slot (a member taking DownThread*). Returns the worker, or null
// for an empty or non-http(s) URL (nothing is started).
template <typename Receiver>
DownThread* Start(const std::string& url, Receiver* receiver, void (Receiver::*slot)(DownThread*));

// The picture of a finished worker, or the fallback resource when the
// download failed; scaled into label keeping the aspect ratio.
void Show(QLabel* label, const QString& file, const QString& fallback, Qt::TransformationMode mode);

bool IsWebUrl(const std::string& url);

}  // namespace rowpicture

#include "app/DownThread.h"
#include "app/WorkerLifetime.h"

template <typename Receiver>
DownThread* rowpicture::Start(const std::string& url, Receiver* receiver, void (Receiver::*slot)(DownThread*))
{
    if (!IsWebUrl(url))
        return nullptr;
    auto* worker = new DownThread(url, kPictureDownload, true);
    WorkerLifetime::Start(worker, receiver, slot);
    return worker;
}
