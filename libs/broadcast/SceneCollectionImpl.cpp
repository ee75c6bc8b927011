#include "libs/broadcast/SceneCollectionImpl.h"

#include "libs/broadcast/BroadcastEngine.h"
#include "libs/broadcast/SceneViewImpl.h"

namespace broadcast {

bool SceneCollectionImpl::SelectScene(const char* name)
{
    return name && m_engine->selectScene(name);
}

bool SceneCollectionImpl::AddScene(const char* name)
{
    return name && m_engine->addScene(name);
}

bool SceneCollectionImpl::HasScene(const char* name)
{
    return name && m_engine->hasScene(name);
}

ISceneView* SceneCollectionImpl::CreateView(uint64_t nativeWindow)
{
    return nativeWindow ? new SceneViewImpl(m_engine, nativeWindow) : nullptr;
}

void SceneCollectionImpl::DestroyView(ISceneView* view)
{
    delete view;
}

}  // namespace broadcast
