#pragma once
// The marks over a user video tile: the user's name, a microphone mark and
// the praise count. VideoFloatCtrl is a transparent tool window over the
// tile that also plays the praise effects; VideoNoCam is a transparent child
// that always covers the tile and shows the no-camera picture. In a small
// class the placeholder is what shows, raised above the camera's picture
// after every move, resize and refresh of the tile. Both use one form.
//
// GUI thread only, like every member.
#include <QImage>
#include <QWidget>

class UserItem;
class VideoNoCam;

namespace Ui {
class VidoeFloatCtrl;
}

// The four pictures both widgets draw.
struct VideoMarkImages {
    VideoMarkImages();
    QImage noCam, noMic, mic, praise;
};

class VideoFloatCtrl : public QWidget {
    Q_OBJECT
public:
    explicit VideoFloatCtrl(UserItem* videoWidget);
    ~VideoFloatCtrl() override;

    void updateOverlay();
    void showPraise();
    VideoNoCam* placeholder() const { return m_noCam; }
    QString praiseSound() const { return m_praiseSound; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::VidoeFloatCtrl* ui;       // owned
    UserItem* m_video;            // the tile, also the parent
    bool m_hovered = false;
    VideoMarkImages m_images;
    VideoNoCam* m_noCam;          // child of the tile
    QString m_praiseSound;
};

class VideoNoCam : public QWidget {
    Q_OBJECT
public:
    explicit VideoNoCam(UserItem* videoWidget);
    ~VideoNoCam() override;

    // For tests: the form's name and praise labels.
    QString shownName() const;
    QString shownPraise() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::VidoeFloatCtrl* ui;  // owned
    UserItem* m_video;       // the tile, also the parent
    VideoMarkImages m_images;
};
