#include "publish/OverlayCarry.h"

#include "publish/MovieSegments.h"
#include "swf/SwfMovie.h"

void CarryObject(CMovieSegments& segments, CSwfObject& object, uint32_t from, uint32_t until) {
    if (until <= from) {
        return;
    }
    const uint32_t first = segments.SegmentOf(from);
    const uint32_t last = segments.SegmentOf(until);
    for (uint32_t k = first; k <= last; ++k) {
        const uint32_t start = segments.StartOf(k);
        const uint32_t placeAt = k == first ? from - start : 0;
        if (k == last && until - start <= placeAt) {
            break;
        }
        CSwfMovie& timeline = segments.Timeline(k);
        timeline.GetFrame(placeAt).AddObject(object);
        if (k == last) {
            timeline.GetFrame(until - start).RemoveObject(object);
        } else if (k == 0) {
            timeline.GetFrame(segments.StartOf(1)).RemoveObject(object);
        }
    }
}
