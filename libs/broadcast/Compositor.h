#pragma once
// Draws the scene's visual sources, in order, onto one canvas picture:
// each picture is scaled into its source's rectangle, the parts outside the
// canvas cut off, on black. Used by the video tick thread only.
#include "libs/broadcast/IBroadcastEngine.h"

#include "libs/mediacore/AvPtr.h"
#include "libs/mediacore/FrameRing.h"

#include <map>
#include <string>
#include <vector>

namespace broadcast {

struct CanvasLayer {
    std::string name;
    SceneRect rect;            // canvas pixels
    const AVFrame* picture;    // null: the source has no picture yet
};

class Compositor {
public:
    // A YUV420P picture of width x height (even sizes) with the layers
    // drawn bottom first; null when no picture can be allocated. The picture
    // is used again for a later canvas once every reference to it is gone.
    mediacore::FramePtr compose(int width, int height, const std::vector<CanvasLayer>& layers);

private:
    struct Scaler {
        mediacore::SwsPtr sws;
        int key[5] = {0, 0, -1, 0, 0};  // source w, h, format, target w, h
        mediacore::FramePtr scaled;     // the picture at its rectangle's size, when cut off by the canvas
        mediacore::FramePtr converted;  // a screen picture's colours at its own size, before it is scaled
    };
    static bool covers(const CanvasLayer& layer, int width, int height);
    bool draw(AVFrame* canvas, const CanvasLayer& layer, Scaler& scaler);

    std::map<std::string, Scaler> m_scalers;  // by source name
    mediacore::FrameRing m_canvases;
};

}  // namespace broadcast
