// The hotspot of a frame in the movie: the named sprite "hot%d" that shows the style's
// animation, and the button over the hotspot rectangle that gets its actions once every frame
// has its movie frame.
#pragma once

#include <map>
#include <string>

#include "imaging/Rect.h"
#include "publish/PendingInteractions.h"

class CFrameInfo;
struct SPublishContext;

inline constexpr uint16_t kLayerHotspot = 60004;
inline constexpr uint16_t kLayerHotspotOverText = 63000;

class CHotspotSprite {
public:
    explicit CHotspotSprite(SPublishContext& context);

    // Builds the hotspot of `frame` (project frame `number`, 1-based) for the movie frame the
    // walk is at, and returns its pending entry. A "Flash Movie" hotspot whose file is missing
    // or cannot be copied beside the movie adds a line to `errors` and gets no movie.
    SPendingInteraction Build(const CFrameInfo& frame, int32_t number, std::string& errors);

    // The name of the hotspot sprite of the frame that starts at movie frame `start`.
    static std::string SpriteName(uint32_t start);

private:
    // Copies the hotspot's movie beside the published movie; returns the address it is loaded
    // by, relative to the published movie, or an empty text with `why` set.
    std::string CopyBesideMovie(const std::string& source, std::string& why);

    SPublishContext& m_context;
    // Hotspot movies already copied: source file to its file name beside the movie.
    std::map<std::string, std::string> m_copied;
};
