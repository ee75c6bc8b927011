#pragma once
// The scenes of the engine, and the views made for native windows.
#include "libs/broadcast/IBroadcastEngine.h"

namespace broadcast {

class BroadcastEngine;

class SceneCollectionImpl : public ISceneCollection {
public:
    explicit SceneCollectionImpl(BroadcastEngine* engine) : m_engine(engine) {}
    bool SelectScene(const char* name) override;
    bool AddScene(const char* name) override;
    bool HasScene(const char* name) override;
    ISceneView* CreateView(uint64_t nativeWindow) override;
    void DestroyView(ISceneView* view) override;

private:
    BroadcastEngine* m_engine;
};

}  // namespace broadcast
