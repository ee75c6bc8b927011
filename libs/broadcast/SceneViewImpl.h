#pragma once
// A preview: a thread of its own paints the composed canvas into a native X
// window a few times a second, letterboxed on grey. Unless the view is fixed,
// a press selects the source under the pointer by its own rectangle (the
// top one first), outlines it with eight handles, and a drag moves it or,
// from a handle, resizes it; the release places it for good.
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
    void SetMode(bool fixed) override;
    void Start() override;

    // Frames painted so far (for tests and logs).
    int paintedFrames() const { return m_painted; }
    // Views that exist in the process (made and not yet destroyed).
    static int liveViews();

    // Handles of a selected source, clockwise from the top left corner.
    enum Handle { kNone = -1, kTopLeft, kTop, kTopRight, kRight, kBottomRight, kBottom, kBottomLeft, kLeft, kMove };
    // Half the side of a handle's square, in window pixels.
    static constexpr int kHandleRadius = 5;

private:
    struct Rect {
        int x = 0, y = 0, w = 0, h = 0;
    };
    void run();
    void paint(void* display, int width, int height, int depth, void* visual);
    // Window <-> canvas coordinates through the last painted placement. m_lock held.
    Rect toWindowLocked(const SceneRect& r) const;
    void toCanvasLocked(int x, int y, int* cx, int* cy) const;
    static SceneRect dragged(const SceneRect& from, Handle handle, int dx, int dy);
    // Moves the dragged source to the pointer; release: places it for good.
    void dragTo(const SceneMouseEvent* event, bool release);

    BroadcastEngine* m_engine;
    const uint64_t m_window;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_fixed{false};
    std::atomic<int> m_painted{0};
    std::mutex m_lock;
    std::string m_scene;     // guarded by m_lock
    std::string m_selected;  // guarded by m_lock
    Rect m_picture;          // guarded by m_lock: where the canvas was last painted
    int m_canvasW = 0;       // guarded by m_lock: the canvas last painted
    int m_canvasH = 0;       // guarded by m_lock
    Handle m_drag = kNone;   // guarded by m_lock: what the pressed button drags
    int m_dragX = 0;         // guarded by m_lock: canvas point the drag started at
    int m_dragY = 0;         // guarded by m_lock
    SceneRect m_dragFrom;    // guarded by m_lock: the source's rectangle then
    std::string m_hitText;   // caller's thread: the text OnMouseDown returned
    mediacore::SwsPtr m_sws;  // paint thread only
    int m_swsKey[5] = {0, 0, 0, 0, 0};  // paint thread only
    std::vector<uint8_t> m_pixels;  // paint thread only
    std::thread m_thread;
};

}  // namespace broadcast
