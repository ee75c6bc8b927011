// The device check's camera page: the camera list, the live preview in
// previewWidget and the two answers. "可以看到" is offered only once the
// preview's first picture has arrived.
#include "device/DeviceCheckDialog.h"

#include "ui_CheckDeviceForm.h"

#include <QComboBox>
#include <QListView>

void DeviceCheckDialog::initCameraPage()
{
    ui->previewWidget->installEventFilter(this);
    ui->cameraDevicesComboBox->setView(new QListView(ui->cameraDevicesComboBox));
    IMediaEngine* e = engine();
    QList<DevicePair> cameras;
    e->getVideoDevices(cameras);
    shownCameras = fillDeviceCombo(ui->cameraDevicesComboBox, cameras, e->getCurVideoDevice(), tr("没有找到摄像头"));

    connect(ui->cameraDevicesComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DeviceCheckDialog::onCameraChosen, Qt::UniqueConnection);
    connect(ui->canSeeBtn, &QPushButton::clicked, this, [this] { answerCamera(true); });
    connect(ui->cannotSeeBtn, &QPushButton::clicked, this, [this] { answerCamera(false); });
    refreshCameraAnswers();
}

void DeviceCheckDialog::onCameraChosen()
{
    const QString id = ui->cameraDevicesComboBox->currentData().toString();
    if (id.isEmpty())
        return;
    IMediaEngine* e = engine();
    e->prepareVideoChange(true);
    e->setCurVideoDevice(id);
    if (ui->previewWidget->isVisible() && e->canPreviewVideo() != 0)
        startPreview();
    refreshCameraAnswers();
}

void DeviceCheckDialog::onPreviewPicture(quintptr window)
{
    if (!previewRunning || window != reinterpret_cast<quintptr>(ui->previewWidget))
        return;
    previewPictureArrived = true;
    refreshCameraAnswers();
}

void DeviceCheckDialog::refreshCameraAnswers()
{
    // A camera passes only on a picture the teacher could really see.
    const bool offered = engine()->canPreviewVideo() != 0 && previewRunning && previewPictureArrived;
    ui->canSeeBtn->setVisible(offered);
}

void DeviceCheckDialog::answerCamera(bool canSee)
{
    if (auto camera = checker<CheckCameraInfo>(kCameraPage)) {
        camera->cannotSee = !canSee;
        camera->checked = true;
    }
    setStepImage(ui->cameraPageBtn, canSee ? QStringLiteral("checkcam3.png") : QStringLiteral("checkcam2.png"));
    goToPage(kSpeakerPage);
}

void DeviceCheckDialog::recheckCameras()
{
    QList<DevicePair> cameras;
    engine()->getVideoDevices(cameras);
    const Relisted found = relistDevices(ui->cameraDevicesComboBox, shownCameras, cameras, tr("没有找到摄像头"),
                                         tr("摄像头已断开，请检查摄像头连接"),
                                         tr("所选摄像头已断开，已换用其他摄像头"));
    if (found == Relisted::kLost)
        stopPreview();
    if (found != Relisted::kSame)
        onCameraChosen();
}
