#include "media/CPreviewBase.h"

#include "media/CBroadcastEngine.h"

#include "app/Logger.h"

#include <QMenu>
#include <QMouseEvent>

namespace {

// Values of SceneMouseEvent.
enum SceneButton { kSceneButtonLeft = 0, kSceneButtonOther = 1 };
enum SceneModifier { kSceneModNone = 0, kSceneModShift = 2, kSceneModControl = 4, kSceneModAlt = 8 };

}  // namespace

CPreviewBase::CPreviewBase(QWidget* parent) : QWidget(parent)
{
    // The engine paints the native window; Qt must not paint over it.
    setUpdatesEnabled(false);
    connect(CBroadcastEngine::instance(), &CBroadcastEngine::signalOutputSizeChange, this,
            &CPreviewBase::onOutputSizeChange, Qt::QueuedConnection);
}

CPreviewBase::~CPreviewBase()
{
    releaseView();
}

void CPreviewBase::releaseView()
{
    // A view of an engine that is gone went with it.
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    if (m_view && engine && engine == m_viewEngine) {
        if (auto scenes = engine->GetScenes())
            scenes->DestroyView(m_view);
    }
    m_view = nullptr;
    m_viewEngine = nullptr;
}

void CPreviewBase::recreateView()
{
    releaseView();
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    if (!engine)
        return;
    auto scenes = engine->GetScenes();
    if (!scenes)
        return;
    m_view = scenes->CreateView(static_cast<uint64_t>(winId()));
    if (!m_view)
        return;
    m_viewEngine = engine;
    ++m_viewsMade;
    m_view->SetScene(m_sceneName.toUtf8().constData());
    m_view->SetMode(m_mode);
    m_view->Start();
}

void CPreviewBase::onOutputSizeChange(int, int)
{
    if (isVisible())
        recreateView();
}

std::shared_ptr<SceneMouseEvent> CPreviewBase::makeSceneEvent(const QMouseEvent* event)
{
    auto scene = std::make_shared<SceneMouseEvent>();
    scene->button = event->button() == Qt::LeftButton ? kSceneButtonLeft : kSceneButtonOther;
    switch (event->modifiers()) {
    case Qt::ShiftModifier:
        scene->modifiers = kSceneModShift;
        break;
    case Qt::ControlModifier:
        scene->modifiers = kSceneModControl;
        break;
    case Qt::AltModifier:
        scene->modifiers = kSceneModAlt;
        break;
    default:
        scene->modifiers = kSceneModNone;
        break;
    }
    scene->x = event->pos().x();
    scene->y = event->pos().y();
    return scene;
}

namespace {

const char* const kMenuTexts[] = {
    QT_TRANSLATE_NOOP("CPreviewBase", "delete"),
    QT_TRANSLATE_NOOP("CPreviewBase", "rename"),
    QT_TRANSLATE_NOOP("CPreviewBase", "Up"),
    QT_TRANSLATE_NOOP("CPreviewBase", "Down"),
    QT_TRANSLATE_NOOP("CPreviewBase", "top"),
    QT_TRANSLATE_NOOP("CPreviewBase", "Bottom"),
    QT_TRANSLATE_NOOP("CPreviewBase", "Original proportional stretch"),
    QT_TRANSLATE_NOOP("CPreviewBase", "Properties"),
};

}  // namespace

QStringList CPreviewBase::contextMenuTexts()
{
    QStringList texts;
    for (const char* text : kMenuTexts)
        texts << QString::fromLatin1(text);
    return texts;
}

void CPreviewBase::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Logger::instance()->Log(LOG_DEBUG, "CPreviewBase::resizeEvent", "preview width = %d,height= %d", width(), height());
    recreateView();
}

void CPreviewBase::mousePressEvent(QMouseEvent* event)
{
    if (m_view && CBroadcastEngine::getEngine() != m_viewEngine)
        releaseView();
    if (m_view) {
        const char* hit = m_view->OnMouseDown(makeSceneEvent(event));
        if (event->button() == Qt::RightButton && hit)
            showSourceMenu(QString::fromUtf8(hit), event->globalPos());
    }
    QWidget::mousePressEvent(event);
}

void CPreviewBase::mouseMoveEvent(QMouseEvent* event)
{
    if (m_view && CBroadcastEngine::getEngine() == m_viewEngine)
        m_view->OnMouseMove(makeSceneEvent(event));
    QWidget::mouseMoveEvent(event);
}

void CPreviewBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_view && CBroadcastEngine::getEngine() == m_viewEngine)
        m_view->OnMouseUp(makeSceneEvent(event));
    QWidget::mouseReleaseEvent(event);
}

void CPreviewBase::showSourceMenu(const QString& source, const QPoint& globalPos)
{
    QMenu menu;
    for (const char* text : kMenuTexts)
        menu.addAction(tr(text))->setShortcut(QKeySequence());
    emit contextMenuShown(&menu, source);
    // Choosing an item does nothing yet.
    menu.exec(globalPos);
}
