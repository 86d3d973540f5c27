// Turns one changed rectangle of the canvas into a bitmap object: content keys, transparency of
// unchanged pixels, the choice of encoding and the caches of bitmaps already in the movie.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "imaging/Rect.h"
#include "publish/PublishRandom.h"
#include "swf/SwfBitmapRect.h"

class CPublishColorTable;
class IPrompter;

// The canvas of one publish: current and previous pictures and a repeat counter per pixel.
struct SPublishCanvas {
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    std::vector<uint32_t> current;
    std::vector<uint32_t> previous;
    std::vector<uint8_t> repeats;

    void Allocate(int32_t width, int32_t height);
};

// A rectangle made for the movie: a new one to keep, or one already in the movie that shows the
// same pixels at the same place and is placed again.
struct SMadeBitmap {
    std::unique_ptr<CSwfBitmapRect> pNew;
    CSwfBitmapRect* pShared = nullptr;
};

struct SBitmapFigures {
    uint32_t nLossless = 0;
    uint32_t nJpeg = 0;
    uint32_t nReused = 0;
    uint32_t nTransparent = 0;
    uint8_t nLastLosslessFormat = 0;  // of the last lossless encoding made, JPEG chosen or not
};

class CFrameBitmaps {
public:
    // A pixel may stay transparent in at most this many rectangles in a row.
    static constexpr uint8_t kMaxRepeats = 8;
    static constexpr uint32_t kJpegTrialSize = 600;

    CFrameBitmaps(int32_t twips, int32_t jpegQuality, IPrompter& prompter);

    // The bitmap of `rc` (inclusive edges) taken from the canvas; the previous picture takes the
    // rectangle's pixels. With `transparency` unchanged pixels become transparent. With
    // `shareShape` a rectangle made before with the same pixels at the same place comes back
    // instead of a new one, so that a long movie does not define a shape per placement; only
    // rectangles that are placed as they are (no fade, no effect) may be shared.
    SMadeBitmap Make(const SRect& rc, SPublishCanvas& canvas, bool transparency,
                     CPublishRandom& random, bool shareShape);

    // 8-bit mode: palette indexes come from the movie's colour table.
    void SetColorTable(CPublishColorTable* pColors) { m_pColors = pColors; }

    const SBitmapFigures& Figures() const { return m_figures; }
    void ClearCaches();

private:
    using TKey = std::tuple<int32_t, int32_t, uint64_t, uint64_t>;

    std::unique_ptr<CSwfDefineBitsLossless> EncodeMapped(uint16_t w, uint16_t h,
                                                         bool anyTransparent);
    std::unique_ptr<CSwfBitmapRect> Encode(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                           uint16_t w, uint16_t h, bool anyTransparent);

    int32_t m_nTwips;
    int32_t m_nJpegQuality;
    IPrompter& m_prompter;
    CPublishColorTable* m_pColors = nullptr;
    std::map<TKey, const CSwfBitmapRect*> m_opaque;
    std::map<TKey, const CSwfBitmapRect*> m_transparent;
    // Shareable rectangles by the bitmap they show and their top left corner in units.
    std::map<std::tuple<const CSwfBitmapRect*, int32_t, int32_t>, CSwfBitmapRect*> m_shapes;
    SBitmapFigures m_figures;
    // Scratch of the rectangle being encoded.
    std::vector<uint32_t> m_pixels;
    std::vector<uint8_t> m_mask;  // 1 = opaque
};
