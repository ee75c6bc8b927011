#include "device/CamPreviewWdg.h"
#include "ui_CamPreviewWdg.h"

#include "app/CSettings.h"
#include "app/Logger.h"
#include "widgets/RoundedMask.h"

#include <QApplication>
#include <QCamera>
#include <QCameraViewfinder>
#include <QDesktopWidget>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const char* const kSelKey = "App/CamPreviewSel";
// The picture is never shown lower than this.
constexpr int kMinOpenHeight = 200;
constexpr int kNoMaximum = 100000;

}  // namespace

CamPreviewWdg::CamPreviewWdg(QWidget* parent) : QWidget(parent), ui(new Ui::CamPreviewWdg)
{
    m_cameraSource = [] { return QCameraInfo::availableCameras(); };
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_MouseTracking);
    ui->displayWdg->setAttribute(Qt::WA_TransparentForMouseEvents);
    viewfinder = new QCameraViewfinder(this);
    viewfinder->setAspectRatioMode(Qt::KeepAspectRatioByExpanding);
    m_message = new QLabel(this);
    m_message->setObjectName("cameraMessage");
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setStyleSheet("font: 12px;\ncolor: #FFFFFF;");
    m_message->hide();
    auto* layout = new QVBoxLayout(ui->displayWdg);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(viewfinder);
    layout->addWidget(m_message);
    ui->label->hide();
    using Combo = void (QComboBox::*)(int);
    connect(ui->comboBox, static_cast<Combo>(&QComboBox::currentIndexChanged), this, &CamPreviewWdg::onCameraSelected);
}

CamPreviewWdg::~CamPreviewWdg()
{
    if (camera)
        camera->stop();
    delete ui;
}

int CamPreviewWdg::PickCamera(const QStringList& ids, const QVariant& stored)
{
    if (ids.isEmpty())
        return -1;
    const QString text = stored.toString();
    const int byId = text.isEmpty() ? -1 : ids.indexOf(text);
    if (byId >= 0)
        return byId;
    bool isIndex = false;
    const int index = text.toInt(&isIndex);
    return isIndex && index >= 0 && index < ids.size() ? index : 0;
}

// Filled at every showing, so that cameras plugged in since appear; the
// chosen camera is found again by its id.
void CamPreviewWdg::InitCameraList()
{
    const QString chosen =
        currentIndex >= 0 && currentIndex < m_cameras.size() ? m_cameras[currentIndex].deviceName() : QString();
    m_cameras = m_cameraSource();
    QStringList ids;
    for (const QCameraInfo& info : m_cameras)
        ids << info.deviceName();
    const QSignalBlocker blocker(ui->comboBox);
    ui->comboBox->clear();
    for (const QCameraInfo& info : m_cameras)
        ui->comboBox->addItem(QIcon(), info.description(), info.deviceName());
    currentIndex = PickCamera(ids, chosen.isEmpty() ? CSettings::instance()->GetValue(kSelKey) : QVariant(chosen));
    if (currentIndex >= 0)
        ui->comboBox->setCurrentIndex(currentIndex);
}

void CamPreviewWdg::onCameraSelected(int index)
{
    if (index < 0 || index >= m_cameras.size())
        return;
    currentIndex = index;
    CSettings::instance()->SetValue(kSelKey, m_cameras[index].deviceName());
    // A collapsed picture keeps its camera off; the choice applies when it
    // opens.
    if (ui->hideBtn->isChecked())
        setCamera(m_cameras[index]);
}

void CamPreviewWdg::setCamera(const QCameraInfo& info)
{
    Logger::instance()->Log(LOG_INFO, "CamPreviewWdg::setCamera", "show cam preview");
    if (camera) {
        camera->stop();
        delete camera;
        camera = nullptr;
    }
    ShowCameraMessage(QString());
    camera = new QCamera(info, this);
    connect(camera, &QCamera::errorOccurred, this, [this](QCamera::Error) {
        if (camera)
            ShowCameraMessage(tr("摄像头无法打开：%1").arg(camera->errorString()));
    });
    if (camera->availability() != QMultimedia::Available) {
        ShowCameraMessage(tr("摄像头不可用"));
        return;
    }
    camera->setViewfinder(viewfinder);
    camera->start();
    if (camera->error() != QCamera::NoError)
        ShowCameraMessage(tr("摄像头无法打开：%1").arg(camera->errorString()));
}

void CamPreviewWdg::ShowCameraMessage(const QString& text)
{
    if (!text.isEmpty())
        Logger::instance()->Log(LOG_WARN, "CamPreviewWdg::ShowCameraMessage", "%s", text.toUtf8().constData());
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
    viewfinder->setVisible(text.isEmpty());
}

QString CamPreviewWdg::CameraMessage() const { return m_message->text(); }

bool CamPreviewWdg::showPreview(bool bOpen, QWidget* pRef)
{
    InitCameraList();
    // Placed on its first showing only: later showings keep the place the
    // teacher gave it.
    if (!m_placed) {
        m_placed = true;
        const QRect a = QApplication::desktop()->availableGeometry(pRef ? pRef : this);
        if (width() <= a.width() && height() <= a.height())
            move(a.left() + (a.width() - width()) * 3 / 4, a.top() + (a.height() - height()) / 3);
    }
    show();
    raise();
    const bool hasCamera = !m_cameras.isEmpty();
    const bool on = hasCamera && bOpen;
    ui->hideBtn->setChecked(on);
    on_hideBtn_clicked(on);
    if (!hasCamera)
        ShowCameraMessage(tr("没有检测到摄像头"));
    return hasCamera;
}

void CamPreviewWdg::hidePreview()
{
    ui->hideBtn->setChecked(false);
    on_hideBtn_clicked(false);
    hide();
}

void CamPreviewWdg::on_hideBtn_clicked(bool checked)
{
    // The geometry before the picture shows: showing it lets the layout
    // grow a collapsed window at once.
    const QRect g = geometry();
    ui->displayWdg->setVisible(checked);
    const int bar = ui->toolBarWidget->maximumHeight();
    if (checked) {
        if (currentIndex >= 0 && currentIndex < m_cameras.size())
            setCamera(m_cameras[currentIndex]);
        setMaximumHeight(kNoMaximum);
        // Opening grows the window upwards, keeping its bottom edge; an open
        // window stays where it is.
        const int h = m_collapsed ? qMax(openHeight, kMinOpenHeight) : qMax(g.height(), kMinOpenHeight);
        setGeometry(g.x(), g.y() + g.height() - h, g.width(), h);
        m_collapsed = false;
    } else {
        if (camera)
            camera->stop();
        if (!m_collapsed) {
            openHeight = g.height();
            setMaximumHeight(bar);
            setGeometry(g.x(), g.y() + openHeight - bar, g.width(), bar);
            m_collapsed = true;
        }
    }
}

bool CamPreviewWdg::HitEdges(const QPoint& p)
{
    const QRect g = geometry();
    const int m = edgeMargin;
    const bool top = p.y() >= g.y() && p.y() <= g.y() + m;
    const bool bottom = p.y() >= g.y() + g.height() - m && p.y() <= g.y() + g.height();
    const bool left = p.x() >= g.x() && p.x() <= g.x() + m;
    const bool right = p.x() >= g.x() + g.width() - m && p.x() <= g.x() + g.width();
    struct Row {
        bool hit, t, l, r, b;
        Qt::CursorShape cursor;
    };
    const Row rows[] = {
        {left && top, true, true, false, false, Qt::SizeFDiagCursor},
        {right && top, true, false, true, false, Qt::SizeBDiagCursor},
        {left && bottom, false, true, false, true, Qt::SizeBDiagCursor},
        {right && bottom, false, false, true, true, Qt::SizeFDiagCursor},
        {top, true, false, false, false, Qt::SizeVerCursor},
        {left, false, true, false, false, Qt::SizeHorCursor},
        {right, false, false, true, false, Qt::SizeHorCursor},
        {bottom, false, false, false, true, Qt::SizeVerCursor},
    };
    for (const Row& row : rows) {
        if (row.hit) {
            edgeTop = row.t;
            edgeLeft = row.l;
            edgeRight = row.r;
            edgeBottom = row.b;
            setCursor(row.cursor);
            return true;
        }
    }
    return false;
}

void CamPreviewWdg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (HitEdges(mapToGlobal(event->pos()))) {
            resizing = true;
            pressGeometry = geometry();
        } else if (event->pos().y() < dragBandHeight) {
            dragging = true;
            pressPoint = event->globalPos();
        }
    }
    QWidget::mousePressEvent(event);
}

void CamPreviewWdg::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->globalPos();
    if (resizing) {
        ResizeTo(p);
    } else {
        if (!HitEdges(p)) {
            edgeTop = edgeLeft = edgeRight = edgeBottom = false;
            setCursor(Qt::ArrowCursor);
        }
        if ((event->buttons() & Qt::LeftButton) && dragging) {
            move(pos() + p - pressPoint);
            pressPoint = p;
        }
    }
    QWidget::mouseMoveEvent(event);
}

void CamPreviewWdg::ResizeTo(const QPoint& p)
{
    int screenW = 0;
    int screenH = 0;
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screenW = primary->availableGeometry().width();
        screenH = primary->availableGeometry().height();
        if (primary->virtualSiblings().contains(primary)) {
            const QSize whole = QApplication::desktop()->size();
            screenW = whole.width();
            screenH = whole.height();
        }
    }
    QRect r = pressGeometry;
    const int width = p.x() - r.x();
    const int height = p.y() - r.y();
    if (edgeTop && edgeRight) {
        if (width < 1 || p.y() < 1 || p.y() >= screenH - 50)
            return;
        r.setWidth(width);
        r.setTop(p.y());
    } else if (edgeTop && edgeLeft) {
        if (p.y() < 1 || p.x() < 1)
            return;
        r.setTop(p.y());
        r.setLeft(p.x());
    } else if (edgeBottom && edgeLeft) {
        if (height < 1 || p.x() < 1)
            return;
        r.setHeight(height);
        r.setLeft(p.x());
    } else if (edgeBottom && edgeRight) {
        if (width < 1 || height < 1)
            return;
        r.setWidth(width);
        r.setHeight(height);
    } else if (edgeTop) {
        if (p.y() < 1 || p.y() >= screenH - 50)
            return;
        r.setTop(p.y());
    } else if (edgeLeft) {
        if (p.x() < 1 || p.x() >= screenW - 50)
            return;
        r.setLeft(p.x());
    } else if (edgeRight) {
        if (width < 1)
            return;
        r.setWidth(width);
    } else if (edgeBottom) {
        if (height < 1)
            return;
        r.setHeight(height);
    } else {
        return;
    }
    setGeometry(r);
}

void CamPreviewWdg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        resizing = false;
        if (edgeTop || edgeLeft || edgeRight || edgeBottom)
            setCursor(Qt::ArrowCursor);
        edgeTop = edgeLeft = edgeRight = edgeBottom = false;
        dragging = false;
    }
    QWidget::mouseReleaseEvent(event);
}

void CamPreviewWdg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SetRoundedMask(this, 3.0);
}

void CamPreviewWdg::showEvent(QShowEvent* event)
{
    setAttribute(Qt::WA_Mapped);
    QWidget::showEvent(event);
}
