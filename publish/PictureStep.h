// Picture placement: the canvas of current and previous pictures, the changed areas between
// them, the bitmaps made of those areas with their caches and the movie's colour table, and the
// list of bitmaps on show that a new one may cover.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/Rect.h"
#include "publish/ColorTable.h"
#include "publish/FrameBitmaps.h"
#include "publish/PublishRandom.h"

class CSwfBitmapRect;
class CSwfFrame;
class CSwfObject;
struct SPublishContext;

// How one frame's pictures go into the movie.
struct SPlacement {
    bool bWhole = false;       // one bitmap of the whole picture rather than the changed areas
    uint32_t nFadeFrames = 0;  // more than 1: each bitmap fades in over that many movie frames
    bool bZoomed = false;      // the frame is shown zoomed: areas stay as found, all opaque
    bool bDefer = false;       // a start or end effect places the bitmap itself
};

class CPictureStep {
public:
    explicit CPictureStep(SPublishContext& context);

    // Makes the canvas, and in 8-bit mode the colour table, from the context's sizes.
    void Prepare();
    // The frame the compositor shows becomes the current picture.
    void TakeShownPicture();

    // Puts the frame's changed areas (or, when asked or after a new segment, the whole
    // picture) into the movie at the current movie frame. Returns the last bitmap made when
    // its placement is deferred, else null.
    CSwfBitmapRect* Place(SPlacement how);
    // A new segment starts with the whole picture.
    void StartSegment();
    // Frees the canvas and the caches once the walk is over.
    void Release();

private:
    struct SPlaced {
        CSwfObject* pObject;
        SRect rc;
    };

    // The changed area grown by a few pixels around, within the picture.
    SRect Widened(SRect rc) const;
    bool IsNoise(const SRect& rc) const;
    void RemovePlacedIf(CSwfFrame& at, const std::function<bool(const SPlaced&)>& which);
    void RemoveCovered(const SRect& rc, CSwfFrame& at);
    // Ends the open placements of `object` at `at`.
    void RemovePlacements(const CSwfObject& object, CSwfFrame& at);

    SPublishContext& m_context;
    CPublishRandom m_random;
    SPublishCanvas m_canvas;
    std::unique_ptr<CFrameBitmaps> m_pBitmaps;
    std::unique_ptr<CPublishColorTable> m_pColors;
    bool m_bTransparency = false;  // unchanged pixels may stay transparent
    bool m_bRedrawWhole = true;
    std::vector<SPlaced> m_placed;  // bitmaps on show in the current segment
};
