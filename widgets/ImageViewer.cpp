#include "widgets/ImageViewer.h"

#include "app/PubUtils.h"
#include "widgets/FilePrompt.h"
#include "ui_ImageViewer.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

const QSize ImageViewer::LoadSize(800, 700);

namespace {

// Each side times factor, halves away from zero.
QSize scaledSize(const QSize& size, double factor)
{
    return QSize(int(std::lround(size.width() * factor)), int(std::lround(size.height() * factor)));
}

QRect availableGeometry(const QWidget* w)
{
    QScreen* screen = w->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 720);
}

}  // namespace

ImageViewer::ImageViewer(QWidget* parent) : QWidget(parent), ui(new Ui::ImageViewer)
{
    ui->setupUi(this);
    ui->proportionLabel->hide();
    ui->leftPushBtn->installEventFilter(this);
    ui->rightPushBtn->installEventFilter(this);
    ui->bottomFrame->installEventFilter(this);
    ui->bottomFrame->setMouseTracking(true);
    ui->titleBarFrame->setMouseTracking(true);
    setMouseTracking(true);
    setMinimumSize(640, 560);
    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint);
    setAutoFillBackground(false);
    edgeRegion = EdgeNone;
}

ImageViewer::~ImageViewer()
{
    delete ui;
}

void ImageViewer::SetImageList(const QStringList& paths, int index)
{
    if (index < 0 || index >= paths.size())
        return;
    if (&paths != &imageList)
        imageList = paths;
    imageIndex = index;
    showPicture();
}

int ImageViewer::bottomBarHeight() const
{
    return ui->bottomFrame->height();
}

QRect ImageViewer::ImageArea() const
{
    return QRect(0, TitleHeight, width(), height() - TitleHeight - bottomBarHeight());
}

void ImageViewer::showPicture()
{
    QPixmap loaded;
    if (!loaded.load(imageList.value(imageIndex)))
        return;  // the previous picture stays
    sourcePixmap = loaded;
    pressed = false;
    edgeRegion = EdgeNone;
    scale = 1.0f;
    normalSize = LoadSize;
    resize(normalSize);
    rotation.reset();
    fit();
    rescale();
    centre();
    showZoom();
    update();
    updateArrows();
}

void ImageViewer::fit()
{
    const QSize s = sourcePixmap.size();
    const double r = std::max(double(s.height()) / ImageArea().height(), double(s.width()) / width());
    scale = r > 1.0 ? float(1.0 / (r * 1.2)) : 1.0f;
}

void ImageViewer::rescale()
{
    const QPixmap turned = sourcePixmap.transformed(rotation, Qt::SmoothTransformation);
    displayPixmap = turned.scaled(scaledSize(turned.size(), scale), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void ImageViewer::centre()
{
    QRect area = ImageArea();
    if (isMaximized()) {
        const QRect avail = availableGeometry(this);
        area = QRect(0, TitleHeight, avail.width(), avail.height() - 110);
    }
    curPos = QPoint(area.x() + (area.width() - displayPixmap.width()) / 2,
                    area.y() + (area.height() - displayPixmap.height()) / 2);
    basePos = curPos;
}

void ImageViewer::showZoom()
{
    ui->proportionLabel->setText(QString("%1%").arg(int(scale * 100)));
    ui->proportionLabel->show();
    QTimer::singleShot(1000, this, &ImageViewer::onDelayDo);
}

void ImageViewer::onDelayDo()
{
    ui->proportionLabel->hide();
}

void ImageViewer::updateArrows()
{
    const int last = imageList.size() - 1;
    ui->leftPushBtn->setEnabled(imageIndex > 0);
    ui->rightPushBtn->setEnabled(imageIndex < last);
}

void ImageViewer::on_closeBtn_clicked()
{
    if (isMaximized())
        showNormal();
    close();
}

void ImageViewer::on_rightPushBtn_clicked()
{
    if (imageIndex < imageList.size() - 1) {
        ++imageIndex;
        showPicture();
    }
}

void ImageViewer::on_leftPushBtn_clicked()
{
    if (imageIndex >= 1) {
        --imageIndex;
        showPicture();
    }
}

void ImageViewer::on_rotateBtn_clicked()
{
    rotation.rotate(90, Qt::ZAxis);
    scale = 1.0f;
    fit();
    rescale();
    centre();
    showZoom();
    update();
}

void ImageViewer::on_originalProportionBtn_clicked()
{
    rotation.reset();
    scale = 1.0f;
    rescale();
    centre();
    showZoom();
    update();
}

void ImageViewer::on_saveBtn_clicked()
{
    if (sourcePixmap.isNull())
        return;
    QString name = FilePrompt::SaveFileName(this, tr("Save image"), QString::fromStdString(PubUtils::GetTempDir()),
                                           tr("Images (*.png *.jpg)"));
    if (name.isEmpty())
        return;
    if (!name.endsWith(".png", Qt::CaseInsensitive) && !name.endsWith(".jpg", Qt::CaseInsensitive))
        name += ".png";
    sourcePixmap.save(name);  // as loaded: no turn, no zoom
}

void ImageViewer::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const double next = delta > 0 ? scale / 0.99 : scale * 0.99;
    const QSize size = scaledSize(sourcePixmap.size(), next);  // measured unrotated
    if (delta < 0 && (size.width() < MinZoomSide || size.height() < MinZoomSide))
        return;
    if (delta > 0 && (size.width() > MaxZoomSide || size.height() > MaxZoomSide))
        return;
    scale = float(next);
    rescale();
    centre();
    showZoom();
    update();
}

void ImageViewer::updateEdgeRegion(const QPoint& g)
{
    if (isMaximized())
        return;
    const QRect r = geometry();
    const int L = r.left(), T = r.top(), R = r.right(), B = r.bottom();
    const bool left = g.x() >= L && g.x() <= L + 3;
    const bool right = g.x() >= R - 3 && g.x() <= R;
    const bool top = g.y() >= T && g.y() <= T + 3;
    const bool bottom = g.y() >= B - 3 && g.y() <= B;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    if (left && top) {
        edgeRegion = EdgeTopLeft;
        cursor = Qt::SizeFDiagCursor;
    } else if (right && bottom) {
        edgeRegion = EdgeBottomRight;
        cursor = Qt::SizeFDiagCursor;
    } else if (left && bottom) {
        edgeRegion = EdgeBottomLeft;
        cursor = Qt::SizeBDiagCursor;
    } else if (right && top) {
        edgeRegion = EdgeTopRight;
        cursor = Qt::SizeBDiagCursor;
    } else if (left) {
        edgeRegion = EdgeLeft;
        cursor = Qt::SizeHorCursor;
    } else if (right) {
        edgeRegion = EdgeRight;
        cursor = Qt::SizeHorCursor;
    } else if (top) {
        edgeRegion = EdgeTop;
        cursor = Qt::SizeVerCursor;
    } else if (bottom) {
        edgeRegion = EdgeBottom;
        cursor = Qt::SizeVerCursor;
    } else {
        edgeRegion = EdgeNone;
    }
    setCursor(cursor);
}

void ImageViewer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed = true;
    pressPos = event->pos();
    updateEdgeRegion(event->globalPos());
    const QRect picture(curPos, displayPixmap.size());
    const QRect area = ImageArea();
    if (edgeRegion != EdgeNone)
        dragMode = DragResize;
    else if (!area.contains(pressPos))
        dragMode = DragMove;
    else if (picture.contains(area))
        dragMode = DragPanBoth;
    else if (width() < picture.width() && picture.contains(pressPos))
        dragMode = DragPanX;
    else if (area.height() < picture.height() && picture.contains(pressPos))
        dragMode = DragPanY;
    else
        dragMode = DragMove;
    raise();
}

void ImageViewer::pan(const QPoint& pos)
{
    const int dx = pos.x() - pressPos.x();
    const int dy = pos.y() - pressPos.y();
    int x = basePos.x() + dx;
    if (dx < 0)
        x = std::max(x, width() - displayPixmap.width());
    else if (x >= 0)
        x = 0;
    int y = basePos.y() + dy;
    if (dy < 0)
        y = std::max(y, height() - bottomBarHeight() - displayPixmap.height());
    else if (y >= TitleHeight)
        y = TitleHeight;
    if (dragMode == DragPanBoth || dragMode == DragPanX)
        curPos.setX(x);
    if (dragMode == DragPanBoth || dragMode == DragPanY)
        curPos.setY(y);
    update();
}

void ImageViewer::resizeByEdge(const QPoint& g)
{
    if (isMaximized())
        return;
    QRect r = geometry();
    const int L = r.left(), T = r.top(), R = r.right(), B = r.bottom();
    const int x = g.x(), y = g.y();
    auto moveLeft = [&] {
        if (R - x > minimumWidth())
            r.setLeft(x);
    };
    auto moveTop = [&] {
        if (B - y > minimumHeight())
            r.setTop(y);
    };
    switch (edgeRegion) {
    case EdgeTop: moveTop(); break;
    case EdgeBottom: r.setHeight(y - T); break;
    case EdgeLeft: moveLeft(); break;
    case EdgeRight:
        if (x - L > minimumWidth())
            r.setWidth(x - L);
        break;
    case EdgeTopLeft:
        moveLeft();
        moveTop();
        break;
    case EdgeBottomLeft:
        if (r.right() - x > 640)
            r.setLeft(x);
        else
            r.setLeft(r.right() - 639);
        r.setHeight(y - T);
        break;
    case EdgeBottomRight:
        r.setWidth(x - L);
        r.setHeight(y - T);
        break;
    case EdgeTopRight:
        r.setWidth(x - L);
        r.setTop(y);
        break;
    default: return;
    }
    setGeometry(r);
    centre();
    update();
}

void ImageViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed) {
        updateEdgeRegion(event->globalPos());
        QToolTip::hideText();
        return;
    }
    switch (dragMode) {
    case DragResize: resizeByEdge(event->globalPos()); break;
    case DragMove:
        if (!isMaximized())
            move(event->globalPos() - pressPos);
        break;
    case DragPanBoth:
    case DragPanX:
    case DragPanY: pan(event->pos()); break;
    default: break;
    }
    QToolTip::hideText();
}

void ImageViewer::mouseReleaseEvent(QMouseEvent*)
{
    basePos = curPos;
    pressed = false;
}

void ImageViewer::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (ui->bottomFrame->geometry().contains(event->pos())) {
        event->accept();
        return;
    }
    if (!isMaximized()) {
        normalSize = size();
        displayPixmap = sourcePixmap;
        const QRect avail = availableGeometry(this);
        curPos = QPoint((avail.width() - displayPixmap.width()) / 2,
                        (avail.height() - bottomBarHeight() - displayPixmap.height()) / 2);
        basePos = curPos;
        showMaximized();
    } else {
        QTimer::singleShot(100, this, [this] {
            fit();
            rescale();
            centre();
            showZoom();
            update();
        });
        showNormal();
    }
}

bool ImageViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->leftPushBtn || watched == ui->rightPushBtn) {
        if (event->type() == QEvent::Enter)
            setCursor(Qt::PointingHandCursor);
        else if (event->type() == QEvent::Leave)
            setCursor(Qt::ArrowCursor);
    } else if (watched == ui->bottomFrame && event->type() == QEvent::MouseMove) {
        event->ignore();  // on to the viewer: the edges work over the bottom bar too
    }
    return QWidget::eventFilter(watched, event);
}

void ImageViewer::leaveEvent(QEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(event);
}

void ImageViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(curPos, displayPixmap);
}
