// The bitmap characters: zlib-compressed pixels (DefineBitsLossless, DefineBitsLossless2) and
// JPEG data (DefineBitsJPEG2, DefineBitsJPEG3 with an alpha plane).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/SwfTag.h"

class CSwfDefineBitsLossless : public CSwfCharacterTag {
public:
    static constexpr uint8_t kFormatColorMapped = 3;
    static constexpr uint8_t kFormat32Bit = 5;

    // 8-bit colour-mapped: one palette index per pixel, `width` per row (the tag pads each row to
    // a multiple of 4 bytes). 1 to 256 palette entries packed with red in the low byte and, with
    // `alpha`, alpha in the high byte.
    static std::unique_ptr<CSwfDefineBitsLossless> ColorMapped(uint16_t width, uint16_t height,
                                                               std::span<const uint32_t> palette,
                                                               std::span<const uint8_t> indexes,
                                                               bool alpha);
    // 32-bit: pixels 0xAARRGGBB, rows top to bottom. With `alpha` the high byte is straight
    // alpha and the tag stores premultiplied colour; without it the high byte is ignored.
    static std::unique_ptr<CSwfDefineBitsLossless> TrueColor(uint16_t width, uint16_t height,
                                                             std::span<const uint32_t> pixels,
                                                             bool alpha);

    void Write(CSwfBitWriter& writer) override;

    // Length of the compressed pixel data: the caller compares it with a JPEG encoding.
    uint32_t EncodedSize() const { return uint32_t(m_compressed.size()); }
    uint8_t Format() const { return m_nFormat; }
    bool HasAlpha() const { return m_bAlpha; }
    uint16_t Width() const { return m_nWidth; }
    uint16_t Height() const { return m_nHeight; }

private:
    CSwfDefineBitsLossless(uint8_t format, uint16_t width, uint16_t height, uint32_t paletteCount,
                           bool alpha, std::vector<uint8_t> compressed);

    uint8_t m_nFormat;
    uint16_t m_nWidth;
    uint16_t m_nHeight;
    uint32_t m_nPaletteCount;
    bool m_bAlpha;
    std::vector<uint8_t> m_compressed;
};

// JPEG data is shared with the caller, who may keep it for other uses; it is not copied.
using SwfJpegData = std::shared_ptr<const std::vector<uint8_t>>;

class CSwfDefineBitsJpeg2 : public CSwfCharacterTag {
public:
    // A complete JPEG file, SOI to EOI.
    explicit CSwfDefineBitsJpeg2(SwfJpegData jpeg) : m_jpeg(std::move(jpeg)) {}
    void Write(CSwfBitWriter& writer) override;

private:
    SwfJpegData m_jpeg;
};

class CSwfDefineBitsJpeg3 : public CSwfCharacterTag {
public:
    // `alpha` holds one opacity byte per pixel, rows top to bottom; it is compressed here. The
    // JPEG picture must carry colour premultiplied by that alpha (swf_bitmap::PremultipliedRgb),
    // which is how players read it.
    CSwfDefineBitsJpeg3(SwfJpegData jpeg, std::span<const uint8_t> alpha);
    void Write(CSwfBitWriter& writer) override;

    uint32_t EncodedAlphaSize() const { return uint32_t(m_alpha.size()); }

private:
    SwfJpegData m_jpeg;
    std::vector<uint8_t> m_alpha;
};
