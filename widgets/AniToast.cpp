#include "widgets/AniToast.h"

#include "ui_AniToast.h"

#include "widgets/AnimationHold.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QTimerEvent>

namespace {

QString praiseFrame(int n)
{
    return QStringLiteral(":/video/res/video/aniPraise%1.png").arg(n);
}

QPropertyAnimation* animate(QObject* target, const char* property, const QVariant& from, const QVariant& to,
                            int ms, QObject* owner)
{
    auto* a = new QPropertyAnimation(target, property, owner);
    a->setDuration(ms);
    a->setStartValue(from);
    a->setEndValue(to);
    return a;
}

}  // namespace

AniToast::AniToast(QWidget* parent)
    : QWidget(parent), ui(new Ui::AniToast), m_parent(parent), m_image(praiseFrame(1))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
}

AniToast::~AniToast()
{
    delete ui;
}

AniToast* AniToast::ShowAni(int mode, QWidget* parent)
{
    auto* toast = new AniToast(parent);
    toast->m_mode = mode;
    if (mode == GrowAndSpin)
        toast->startGrowAndSpin();
    else
        toast->startFadeOver();
    return toast;
}

void AniToast::setRotation(double degrees)
{
    m_rotation = degrees;
    update();
}

void AniToast::startGrowAndSpin()
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    const QRect p = m_parent ? m_parent->rect() : QRect(0, 0, 300, 300);
    const QRect from(QPoint(p.center().x(), p.bottom()), size());
    const QRect to(p.center().x() - 150, p.center().y() - 150, 300, 300);
    auto* group = new QParallelAnimationGroup(this);
    group->addAnimation(animate(this, "rotation", 0.0, 720.0, 3000, group));
    group->addAnimation(animate(this, "geometry", from, to, 3000, group));
    connect(group, &QAbstractAnimation::finished, this, &AniToast::onShowAniFinish);
    group->start();
    show();
}

void AniToast::startFadeOver()
{
    setParent(nullptr);  // a window of its own over the parent
    // Not the parent's child any more, it still goes with it (a tile or a
    // room closed during the four seconds).
    if (m_parent)
        connect(m_parent, &QObject::destroyed, this, [this] { delete this; });
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QRect p = m_parent ? m_parent->rect() : QRect(0, 0, 350, 350);
    const int side = qMax(0, qMin(300, qMin(p.width() - 50, p.height() - 50)));
    setFixedSize(side, side);
    const QPoint corner = p.center() - QPoint(side / 2, side / 2);
    move(m_parent ? m_parent->mapToGlobal(corner) : corner);

    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(0.0);
    setGraphicsEffect(effect);
    auto* group = new QSequentialAnimationGroup(this);
    group->addAnimation(animate(effect, "opacity", 0.0, 1.0, 1500, group));
    group->addAnimation(new AnimationHold(1000, group));
    group->addAnimation(animate(effect, "opacity", 1.0, 0.0, 1500, group));
    connect(group, &QAbstractAnimation::finished, this, &AniToast::onShowAniFinish);
    group->start();
    show();
    raise();
}

void AniToast::onShowAniFinish()
{
    if (m_mode == GrowAndSpin)
        m_frameTimerId = startTimer(FrameMs, Qt::CoarseTimer);
    else
        close();
}

void AniToast::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_frameTimerId)
        return QWidget::timerEvent(event);
    ++m_frameCount;
    if (m_frameCount < 4) {
        m_image.load(praiseFrame(m_frameCount % 3 + 1));
        update();
        return;
    }
    killTimer(m_frameTimerId);
    fadeOutAndClose();
}

void AniToast::fadeOutAndClose()
{
    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(1.0);
    setGraphicsEffect(effect);
    auto* fade = animate(effect, "opacity", 1.0, 0.0, 1000, this);
    connect(fade, &QAbstractAnimation::finished, this, &QWidget::close);
    fade->start();
}

void AniToast::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_mode == GrowAndSpin) {
        if (m_frameTimerId < 0) {
            painter.translate(width() / 2, height() / 2);
            painter.rotate(m_rotation);
            painter.translate(-(width() / 2), -(height() / 2));
        }
        painter.drawImage(rect(), m_image);
        return;
    }
    const QImage scaled = m_image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(rect(), scaled);
}
