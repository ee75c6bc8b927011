// CData: results of the downloads the data model starts (group images; the
// live configuration and the media-line list).
#include "CData.h"

#include "DownThread.h"
#include "Logger.h"

void CData::onDownFinish(DownThread* pDown)
{
    if (!pDown)
        return;
    switch (pDown->type) {
    case 3:
        OnGroupImageDownloaded(pDown);
        break;
    default:
        Logger::instance()->Log(LOG_WARN, "CData::onDownFinish", "unexpected download type %d", pDown->type);
        break;
    }
    pDown->deleteLater();
}
