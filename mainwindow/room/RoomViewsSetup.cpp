#include "mainwindow/room/RoomViewsSetup.h"

#include "app/Room.h"
#include "mainwindow/popups/AudioFloatWidget.h"
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

}  // namespace

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
    Room::instance()->SetViews(views);
}
