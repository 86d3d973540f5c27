#include "swf/SwfBitmapTags.h"

#include <algorithm>

#include "swf/SwfBitWriter.h"
#include "swf/SwfBitmapData.h"

namespace {

constexpr uint16_t kCodeLossless = 20;
constexpr uint16_t kCodeLossless2 = 36;
constexpr uint16_t kCodeJpeg2 = 21;
constexpr uint16_t kCodeJpeg3 = 35;

// Players expect this marker pair before the JPEG data and the end marker after it.
constexpr uint8_t kJpegPrefix[] = {0xFF, 0xD9, 0xFF, 0xD8};

void WriteJpegWithMarkers(CSwfBitWriter& body, const std::vector<uint8_t>& jpeg) {
    for (uint8_t b : kJpegPrefix) {
        body.WriteU8(b);
    }
    if (!jpeg.empty()) {
        body.AddBlock(jpeg.data(), uint32_t(jpeg.size()));
    }
    body.WriteU8(0xFF);
    body.WriteU8(0xD9);
}

}  // namespace

CSwfDefineBitsLossless::CSwfDefineBitsLossless(uint8_t format, uint16_t width, uint16_t height,
                                               uint32_t paletteCount, bool alpha,
                                               std::vector<uint8_t> compressed)
    : m_nFormat(format),
      m_nWidth(width),
      m_nHeight(height),
      m_nPaletteCount(paletteCount),
      m_bAlpha(alpha),
      m_compressed(std::move(compressed)) {}

std::unique_ptr<CSwfDefineBitsLossless> CSwfDefineBitsLossless::ColorMapped(
    uint16_t width, uint16_t height, std::span<const uint32_t> palette,
    std::span<const uint8_t> indexes, bool alpha) {
    // The count is stored minus one in a byte; an empty palette gets one black entry.
    const uint32_t fallback[1] = {alpha ? 0xFF000000u : 0u};
    if (palette.empty()) {
        palette = fallback;
    }
    palette = palette.first(std::min<size_t>(palette.size(), 256));
    const std::vector<uint8_t> payload =
        swf_bitmap::ColorMappedPayload(width, height, indexes, palette, alpha);
    return std::unique_ptr<CSwfDefineBitsLossless>(
        new CSwfDefineBitsLossless(kFormatColorMapped, width, height, uint32_t(palette.size()),
                                   alpha, swf_bitmap::Compress(payload)));
}

std::unique_ptr<CSwfDefineBitsLossless> CSwfDefineBitsLossless::TrueColor(
    uint16_t width, uint16_t height, std::span<const uint32_t> pixels, bool alpha) {
    const std::vector<uint8_t> payload = swf_bitmap::ArgbPayload(width, height, pixels, alpha);
    return std::unique_ptr<CSwfDefineBitsLossless>(new CSwfDefineBitsLossless(
        kFormat32Bit, width, height, 0, alpha, swf_bitmap::Compress(payload)));
}

void CSwfDefineBitsLossless::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    body.WriteU8(m_nFormat);
    body.WriteU16(m_nWidth);
    body.WriteU16(m_nHeight);
    if (m_nFormat <= kFormatColorMapped) {
        body.WriteU8(m_nPaletteCount - 1);
    }
    body.AddBlock(m_compressed.data(), uint32_t(m_compressed.size()));
    WriteRecord(writer, m_bAlpha ? kCodeLossless2 : kCodeLossless, body);
}

void CSwfDefineBitsJpeg2::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    WriteJpegWithMarkers(body, *m_jpeg);
    WriteRecord(writer, kCodeJpeg2, body);
}

CSwfDefineBitsJpeg3::CSwfDefineBitsJpeg3(SwfJpegData jpeg, std::span<const uint8_t> alpha)
    : m_jpeg(std::move(jpeg)), m_alpha(swf_bitmap::Compress(alpha)) {}

void CSwfDefineBitsJpeg3::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    // Offset of the alpha plane: the JPEG data and the six marker bytes around it.
    body.WriteU32(uint32_t(m_jpeg->size()) + 6);
    WriteJpegWithMarkers(body, *m_jpeg);
    body.AddBlock(m_alpha.data(), uint32_t(m_alpha.size()));
    WriteRecord(writer, kCodeJpeg3, body);
}
