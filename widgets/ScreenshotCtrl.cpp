#include "widgets/ScreenshotCtrl.h"

#include "app/PubUtils.h"
#include "widgets/ScreenshotControlWidget.h"
#include "widgets/ScreenshotInductorWidget.h"
#include "widgets/ScreenshotRectWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopWidget>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QUuid>

#include <algorithm>

ScreenshotCtrl::ScreenshotCtrl(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    QDesktopWidget* desktop = QApplication::desktop();
    if (m_screenRect.isNull())
        m_screenRect = desktop->geometry();
    setGeometry(m_screenRect);
    showFullScreen();
    setMouseTracking(true);

    QScreen* screen = QGuiApplication::primaryScreen();
    m_fullScreen = std::make_shared<QPixmap>(
        screen ? screen->grabWindow(desktop->winId(), m_screenRect.x(), m_screenRect.y(), m_screenRect.width(),
                                    m_screenRect.height())
               : QPixmap());
    QPixmap shade(m_fullScreen->size());
    shade.fill(QColor(0, 0, 0, 160));
    m_background = std::make_shared<QPixmap>(*m_fullScreen);
    if (!m_background->isNull()) {
        QPainter painter(m_background.get());
        painter.drawPixmap(0, 0, shade);
    }

    m_sizeTip = std::make_shared<ScreenshotInductorWidget>(this);
    m_sizeTip->hide();
    m_limitTip = std::make_shared<ScreenshotInductorWidget>(this);
    m_limitTip->hide();

    m_controlBar = std::make_shared<ScreenshotControlWidget>(this);
    connect(m_controlBar.get(), &ScreenshotControlWidget::sigOkBtnClicked, this, &ScreenshotCtrl::slotOnOkBtnClicked,
            Qt::UniqueConnection);
    connect(m_controlBar.get(), &ScreenshotControlWidget::sigCancelBtnCliked, this,
            &ScreenshotCtrl::slotOnCancelBtnClicked, Qt::UniqueConnection);
    m_controlBar->hide();
}

// The children go with their shared pointers, before QWidget's own cleanup.
ScreenshotCtrl::~ScreenshotCtrl() = default;

void ScreenshotCtrl::paintEvent(QPaintEvent*)
{
    if (!m_background)
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_screenRect.width(), m_screenRect.height(), *m_background);
}

void ScreenshotCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    event->ignore();
}

void ScreenshotCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !m_rect) {
        m_selecting = true;
        m_rect = std::make_shared<ScreenshotRectWidget>(m_fullScreen, event->pos(), this);
        connect(this, &ScreenshotCtrl::sigCursorPosChange, m_rect.get(), &ScreenshotRectWidget::slotOnMousePosChange,
                Qt::UniqueConnection);
        connect(m_rect.get(), &ScreenshotRectWidget::sigScreenshotAreaChange, this,
                &ScreenshotCtrl::slotOnScreenshotAreaChange, Qt::UniqueConnection);
        emit sigCursorPosChange(event->pos().x() + StartSide, event->pos().y() + StartSide);
    }
    QDialog::mousePressEvent(event);
}

void ScreenshotCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_selecting)
        emit sigCursorPosChange(event->pos().x(), event->pos().y());
    QDialog::mouseMoveEvent(event);
}

void ScreenshotCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_rect) {
        if (!m_finished) {
            m_finished = true;
            m_rect->setMouseTracking(true);
            slotOnScreenshotAreaChange();  // places and shows the confirmation bar
        }
        disconnect(this, &ScreenshotCtrl::sigCursorPosChange, m_rect.get(),
                   &ScreenshotRectWidget::slotOnMousePosChange);
        m_limitTip->hide();
    }
    QDialog::mouseReleaseEvent(event);
}

void ScreenshotCtrl::slotOnScreenshotAreaChange()
{
    if (!m_rect)
        return;
    const QRect r = m_rect->geometry();
    const QRect& S = m_screenRect;

    if (m_finished) {
        const int w = m_controlBar->width(), h = m_controlBar->height();
        int x = std::max(0, r.right() - w);
        if (r.right() > S.width())
            x = S.width() - w;
        int y = std::max(0, r.bottom());
        if (y + h >= S.height())
            y = S.height() - h;
        m_controlBar->move(x, y);
        m_controlBar->raise();
        m_controlBar->show();
    } else {
        m_controlBar->hide();
    }

    m_sizeTip->SetText(QString("%1 X %2").arg(r.width()).arg(r.height()));
    int x = std::max(0, r.left());
    if (x + m_sizeTip->width() >= S.width())
        x = S.width() - m_sizeTip->width();
    int y = std::max(0, r.top() - m_sizeTip->height());
    if (r.top() >= S.height())
        y = S.height() - m_sizeTip->height();
    m_sizeTip->move(x, y);
    m_sizeTip->show();
    m_sizeTip->raise();

    placeLimitTip(r);
}

void ScreenshotCtrl::placeLimitTip(const QRect& r)
{
    if (m_finished && !m_rect->IsResizing()) {
        m_limitTip->hide();
        return;
    }
    const QSize maxSize = ScreenshotRectWidget::MaxSize;
    QStringList reached;
    if (r.width() == ScreenshotRectWidget::MinSide)
        reached << tr("minimum width");
    if (r.width() == maxSize.width())
        reached << tr("maximum width");
    if (r.height() == ScreenshotRectWidget::MinSide)
        reached << tr("minimum height");
    if (r.height() == maxSize.height())
        reached << tr("maximum height");
    if (reached.isEmpty()) {
        m_limitTip->hide();
        return;
    }
    m_limitTip->SetText(tr("already reach ") + reached.join(" & "));
    const QRect& S = m_screenRect;
    const int w = m_limitTip->width(), h = m_limitTip->height();
    int x = std::max(0, r.left() + (r.width() - w) / 2);
    if (x + w > S.width())
        x = S.width() - w;
    int y = std::max(0, r.bottom());
    if (y + h > S.height())
        y = S.height() - h;
    m_limitTip->move(x, y);
    const QRect bar = m_controlBar->geometry();
    if (m_controlBar->isVisible() && bar.intersects(m_limitTip->geometry())) {
        x = bar.right() + 2;
        if (x + w > S.width())
            x = bar.left() - 2 - w;
        m_limitTip->move(x, y);
    }
    m_limitTip->show();
    m_limitTip->raise();
}

void ScreenshotCtrl::slotOnCancelBtnClicked()
{
    close();
}

void ScreenshotCtrl::slotOnOkBtnClicked()
{
    if (!m_rect) {
        close();
        return;
    }
    const QPixmap image = m_fullScreen->copy(m_rect->geometry());
    QApplication::clipboard()->setPixmap(image);
    const QString folder = QString::fromStdString(PubUtils::GetTempDir());
    if (!folder.isEmpty()) {
        QString path = folder + "/screenshot/";
        QDir().mkpath(path);
        path += QUuid::createUuid().toString() + ".png";
        if (image.save(path))
            emit sigScreenshotFinished(path);
    }
    close();
}
