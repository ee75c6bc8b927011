#include "libs/broadcast/SceneCollectionImpl.h"

#include "libs/broadcast/BroadcastEngine.h"

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
    return m_engine->createView(nativeWindow);
}

void SceneCollectionImpl::DestroyView(ISceneView* view)
{
    m_engine->destroyView(view);
}

}  // namespace broadcast
