// Rectangles filled with a bitmap, one bitmap pixel per screen pixel when the rectangle spans
// width × units and height × units (x2 = x1 + width × units − 1). The rectangle emits its
// bitmap before its first definition, unless the bitmap belongs to another rectangle.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "swf/SwfBitmapTags.h"
#include "swf/SwfShapeObject.h"

class CSwfBitmapRect : public CSwfRectangle {
public:
    enum EKind : int { kJpeg = 0, kLossless = 1 };

    // JPEG data (DefineBitsJPEG2).
    CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t width, uint16_t height,
                   SwfJpegData jpeg);
    // JPEG data with an alpha plane of width × height bytes (DefineBitsJPEG3).
    CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t width, uint16_t height,
                   SwfJpegData jpeg, std::span<const uint8_t> alpha);
    // Lossless pixels (DefineBitsLossless or DefineBitsLossless2).
    CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   std::unique_ptr<CSwfDefineBitsLossless> bitmap);
    // The bitmap of `owner`, which emits it.
    CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const CSwfBitmapRect& owner);

    EKind Kind() const { return m_eKind; }
    uint16_t BitmapWidth() const { return m_nWidth; }
    uint16_t BitmapHeight() const { return m_nHeight; }
    bool HasAlpha() const { return m_bAlpha; }
    bool IsShared() const { return m_bShared; }
    // Lossless: length of the compressed pixels. JPEG: length of the JPEG data.
    uint32_t EncodedSize() const { return m_nEncodedSize; }

private:
    EKind m_eKind;
    uint16_t m_nWidth;
    uint16_t m_nHeight;
    bool m_bAlpha;
    bool m_bShared = false;
    uint32_t m_nEncodedSize = 0;
};
