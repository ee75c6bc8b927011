#include "libs/broadcast/BroadcastEngine.h"

#include "libs/broadcast/SceneCollectionImpl.h"
#include "libs/broadcast/SceneViewImpl.h"

#include <cstdio>
#include <new>

namespace broadcast {

namespace {
BroadcastEngine* g_current = nullptr;  // guarded by registryLock()
}

std::mutex& BroadcastEngine::registryLock()
{
    static std::mutex lock;
    return lock;
}

BroadcastEngine* BroadcastEngine::current()
{
    return g_current;
}

BroadcastEngine::BroadcastEngine(IBroadcastEngineObserver* observer) : m_observer(observer) {}

BroadcastEngine::~BroadcastEngine()
{
    // Views left by their makers paint from the engine: they end first.
    std::set<ISceneView*> views;
    {
        std::lock_guard<std::mutex> lock(m_viewLock);
        views.swap(m_views);
    }
    for (ISceneView* view : views)
        delete view;
    Stop();
    m_events.flush();
}

ISceneView* BroadcastEngine::createView(uint64_t nativeWindow)
{
    if (!nativeWindow)
        return nullptr;
    auto* view = new SceneViewImpl(this, nativeWindow);
    std::lock_guard<std::mutex> lock(m_viewLock);
    m_views.insert(view);
    return view;
}

void BroadcastEngine::destroyView(ISceneView* view)
{
    {
        std::lock_guard<std::mutex> lock(m_viewLock);
        if (!view || !m_views.erase(view))
            return;  // not one of this engine's views (or already ended)
    }
    delete view;
}

bool BroadcastEngine::isVisual(Broadcast::ESourceType type)
{
    return type == Broadcast::kSourceCamera || type == Broadcast::kSourceDesktop ||
           type == Broadcast::kSourceAppWindow || type == Broadcast::kSourceArea;
}

bool BroadcastEngine::isAudio(Broadcast::ESourceType type)
{
    return type == Broadcast::kSourceAudioInput || type == Broadcast::kSourceAudioOutput ||
           type == Broadcast::kSourceMulAudioInput;
}

void BroadcastEngine::log(const std::string& line)
{
    std::fprintf(stderr, "broadcast: %s\n", line.c_str());
}

void BroadcastEngine::post(std::function<void(IBroadcastEngineObserver*)> call)
{
    if (!m_observer)
        return;
    m_events.post([this, call = std::move(call)] { call(m_observer); });
}

int BroadcastEngine::Initialize()
{
    return 0;
}

bool BroadcastEngine::Start()
{
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_started)
            return true;
        m_started = true;
        m_originMs = mediacore::monotonicMs();
        for (const auto& [name, source] : m_sources)
            names.push_back(name);
    }
    for (const std::string& name : names)
        startCapture(name);
    m_running = true;
    m_tickThread = std::thread([this] { runVideoTick(); });
    m_mixThread = std::thread([this] { runAudioMix(); });
    post([](IBroadcastEngineObserver* o) { o->OnSceneInitialled(); });
    return true;
}

void BroadcastEngine::Stop()
{
    StopStreaming(Broadcast::kStopOk);
    StopRecording();
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_started)
            return;
        m_started = false;
        m_wantedCapture.clear();
        for (const auto& [name, capture] : m_captures)
            names.push_back(name);
    }
    for (const std::string& name : names)
        stopCapture(name);
    m_running = false;
    if (m_tickThread.joinable())
        m_tickThread.join();
    if (m_mixThread.joinable())
        m_mixThread.join();
    m_events.flush();
}

bool BroadcastEngine::AddSource(Broadcast::ESourceType type, const char* source, const char* scene)
{
    if (!source || !*source || !scene)
        return false;
    bool started;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_sources.count(source) || !m_scenes.count(scene))
            return false;
        int top = 0;
        for (const auto& [name, s] : m_sources)
            top = std::max(top, s.order + 1);
        m_sources[source] = Source{type, scene, top};
        m_settings[source];  // settings made before the source stay
        started = m_started;
    }
    if (started)
        startCapture(source);
    if (isAudio(type)) {
        const std::string name = source;
        post([name](IBroadcastEngineObserver* o) { o->OnActivateAudioSource(name.c_str()); });
    }
    return true;
}

bool BroadcastEngine::RemoveSource(const char* source)
{
    if (!source)
        return false;
    Broadcast::ESourceType type;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_sources.find(source);
        if (it == m_sources.end())
            return false;
        type = it->second.type;
        m_sources.erase(it);
        m_wantedCapture.erase(source);
    }
    stopCapture(source);
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        m_latest.erase(source);
    }
    if (isAudio(type)) {
        const std::string name = source;
        post([name](IBroadcastEngineObserver* o) { o->OnDeactivateAudioSource(name.c_str()); });
    }
    return true;
}

bool BroadcastEngine::HasSource(const char* source)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return source && m_sources.count(source);
}

void BroadcastEngine::EnumSources(const std::function<bool(Broadcast::ESourceType type, const char* name)>& cb)
{
    std::vector<std::pair<Broadcast::ESourceType, std::string>> list;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& [name, s] : m_sources)
            list.emplace_back(s.type, name);
    }
    for (const auto& [type, name] : list)
        if (!cb(type, name.c_str()))
            break;
}

bool BroadcastEngine::SetSourceOrder(const char* source, int order)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = source ? m_sources.find(source) : m_sources.end();
    if (it == m_sources.end())
        return false;
    it->second.order = order;
    return true;
}

std::shared_ptr<ISceneCollection> BroadcastEngine::GetScenes()
{
    return std::make_shared<SceneCollectionImpl>(this);
}

bool BroadcastEngine::SetVideoOutput(int width, int height, int kbitsPerSecond)
{
    if (width < 16 || height < 16 || width > 4096 || height > 4096 || kbitsPerSecond <= 0)
        return false;
    width &= ~1;
    height &= ~1;
    bool changed;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        changed = width != m_outW || height != m_outH;
        m_outW = width;
        m_outH = height;
        m_kbps = kbitsPerSecond;
    }
    if (changed)
        post([width, height](IBroadcastEngineObserver* o) { o->OnOutputSizeChange(width, height); });
    return true;
}

bool BroadcastEngine::selectScene(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_scenes.count(name))
        return false;
    m_currentScene = name;
    return true;
}

bool BroadcastEngine::addScene(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (name.empty() || !m_scenes.insert(name).second)
        return false;
    if (m_currentScene.empty())
        m_currentScene = name;
    return true;
}

bool BroadcastEngine::hasScene(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_scenes.count(name) > 0;
}

AVFrame* BroadcastEngine::previewPicture(int* canvasW, int* canvasH)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        *canvasW = m_outW;
        *canvasH = m_outH;
    }
    std::lock_guard<std::mutex> lock(m_frameLock);
    return m_canvas ? av_frame_clone(m_canvas.get()) : nullptr;
}

void BroadcastEngine::notifySelection(const std::string& name, bool selected)
{
    post([name, selected](IBroadcastEngineObserver* o) { o->OnSourceSelectionChange(name.c_str(), selected); });
}

}  // namespace broadcast

IBroadcastEngine* IBroadcastEngine::create(IBroadcastEngineObserver* observer)
{
    auto* engine = new (std::nothrow) broadcast::BroadcastEngine(observer);
    if (engine) {
        std::lock_guard<std::mutex> lock(broadcast::BroadcastEngine::registryLock());
        broadcast::g_current = engine;
    }
    return engine;
}

void IBroadcastEngine::release(IBroadcastEngine* engine)
{
    if (!engine)
        return;
    {
        std::lock_guard<std::mutex> lock(broadcast::BroadcastEngine::registryLock());
        if (broadcast::g_current == engine)
            broadcast::g_current = nullptr;
    }
    delete engine;
}
