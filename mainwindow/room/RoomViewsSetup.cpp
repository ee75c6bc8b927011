#include "mainwindow/room/RoomViewsSetup.h"

#include "app/Room.h"
#include "mainwindow/popups/AudioFloatWidget.h"
#include "device/CamPreviewWdg.h"
#include "mainwindow/room/BigVideoCtrl.h"

#include <QPointer>

namespace {

BigVideoCtrl* display()
{
    return qobject_cast<BigVideoCtrl*>(Room::instance()->GetDisplayWidget());
}

// The one floating audio indicator; it lives with the library parent.
QPointer<AudioFloatWidget>& audioFloat()
{
    static QPointer<AudioFloatWidget> pill;
    return pill;
}

// The camera preview of a desktop share: a top-level window of its own,
// made on the first share and deleted when the room is left.
QPointer<CamPreviewWdg>& camPreview()
{
    static QPointer<CamPreviewWdg> preview;
    return preview;
}

}  // namespace

void DropRoomViews()
{
    delete camPreview().data();
}

void InstallRoomViews()
{
    RoomViews views;
    views.makeDisplay = [](QWidget* parent) -> QWidget* { return new BigVideoCtrl(parent); };
    views.setPlayState = [](bool share, int type) {
        if (BigVideoCtrl* d = display())
            d->SetPlayState(share, type);
    };
    views.setUserName = [](const QString& name, bool flag) {
        if (BigVideoCtrl* d = display())
            d->SetUserName(name, flag);
    };
    views.showDisplay = [](bool show) {
        if (BigVideoCtrl* d = display())
            d->setVisible(show);
    };
    views.showAudioFloat = [](bool show) {
        QPointer<AudioFloatWidget>& pill = audioFloat();
        if (!pill && show)
            if (QWidget* parent = Room::instance()->GetWBParent())
                pill = new AudioFloatWidget(parent);
        if (pill) {
            pill->setVisible(show);
            if (show)
                pill->raise();
        }
    };
    views.showCamPreview = [](bool show) {
        QPointer<CamPreviewWdg>& preview = camPreview();
        if (show) {
            if (!preview)
                preview = new CamPreviewWdg(nullptr);
            preview->showPreview(true, Room::instance()->GetWBParent());
        } else if (preview) {
            preview->hidePreview();
        }
    };
    Room::instance()->SetViews(views);
}
