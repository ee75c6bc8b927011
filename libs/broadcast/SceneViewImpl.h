#pragma once
// A preview: a thread of its own paints the scene's picture into a native X
// window a few times a second, letterboxed on grey; a press inside the
// picture selects the scene's visual source.
#include "libs/broadcast/IBroadcastEngine.h"

#include "libs/mediacore/AvPtr.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace broadcast {

class BroadcastEngine;

class SceneViewImpl : public ISceneView {
public:
    SceneViewImpl(BroadcastEngine* engine, uint64_t window);
    ~SceneViewImpl() override;

    const char* OnMouseDown(std::shared_ptr<SceneMouseEvent> event) override;
    void OnMouseUp(std::shared_ptr<SceneMouseEvent> event) override;
    void OnMouseMove(std::shared_ptr<SceneMouseEvent> event) override;
    void SetScene(const char* name) override;
    void SetMode(bool edit) override;
    void Start() override;

    // Frames painted so far (for tests and logs).
    int paintedFrames() const { return m_painted; }

private:
    struct Rect {
        int x = 0, y = 0, w = 0, h = 0;
    };
    void run();
    void paint(void* display, int width, int height, int depth, void* visual);

    BroadcastEngine* m_engine;
    const uint64_t m_window;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_edit{false};
    std::atomic<int> m_painted{0};
    std::mutex m_lock;
    std::string m_scene;     // guarded by m_lock
    std::string m_selected;  // guarded by m_lock
    Rect m_picture;          // guarded by m_lock: where the picture was last painted
    std::string m_hitText;   // caller's thread: the text OnMouseDown returned
    mediacore::SwsPtr m_sws;  // paint thread only
    int m_swsKey[5] = {0, 0, 0, 0, 0};  // paint thread only
    std::vector<uint8_t> m_pixels;  // paint thread only
    std::thread m_thread;
};

}  // namespace broadcast
