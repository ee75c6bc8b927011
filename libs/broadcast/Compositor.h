#pragma once
// Draws the scene's visual sources, in order, onto one canvas picture:
// each picture is scaled into its source's rectangle, the parts outside the
// canvas cut off, on black. Used by the video tick thread only.
#include "libs/broadcast/IBroadcastEngine.h"

#include "libs/mediacore/AvPtr.h"
#include "libs/mediacore/FrameRing.h"

#include <map>
#include <string>
#include <utility>
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
        // A screen picture, kept from one canvas to the next so that only
        // the rows that changed are converted and scaled again:
        std::vector<uint8_t> last;      // its pixels last drawn (4 bytes each, rows packed); empty: none
        mediacore::FramePtr converted;  // its colours at its own size
        mediacore::FramePtr wide;       // converted, scaled across to the rectangle's width, at its own height
    };
    // [first, end) ranges of rows.
    using Rows = std::vector<std::pair<int, int>>;
    static bool covers(const CanvasLayer& layer, int width, int height);
    bool draw(AVFrame* canvas, const CanvasLayer& layer, Scaler& scaler);
    bool drawScreen(AVFrame* canvas, const AVFrame* picture, int x, int y, int w, int h, Scaler& scaler);
    static Rows changedRows(const AVFrame* picture, Scaler& scaler);

    std::map<std::string, Scaler> m_scalers;  // by source name
    mediacore::FrameRing m_canvases;
};

}  // namespace broadcast
