#include "swf/SwfBitmapRect.h"

CSwfBitmapRect::CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t width,
                               uint16_t height, SwfJpegData jpeg)
    : CSwfRectangle(x1, y1, x2, y2),
      m_eKind(kJpeg),
      m_nWidth(width),
      m_nHeight(height),
      m_bAlpha(false),
      m_nEncodedSize(uint32_t(jpeg->size())) {
    auto tag = std::make_unique<CSwfDefineBitsJpeg2>(std::move(jpeg));
    SetLineWidth(0);
    SetBitmapFill(std::move(tag), width, height);
}

CSwfBitmapRect::CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t width,
                               uint16_t height, SwfJpegData jpeg, std::span<const uint8_t> alpha)
    : CSwfRectangle(x1, y1, x2, y2),
      m_eKind(kJpeg),
      m_nWidth(width),
      m_nHeight(height),
      m_bAlpha(true),
      m_nEncodedSize(uint32_t(jpeg->size())) {
    auto tag = std::make_unique<CSwfDefineBitsJpeg3>(std::move(jpeg), alpha);
    SetLineWidth(0);
    SetBitmapFill(std::move(tag), width, height);
}

CSwfBitmapRect::CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                               std::unique_ptr<CSwfDefineBitsLossless> bitmap)
    : CSwfRectangle(x1, y1, x2, y2),
      m_eKind(kLossless),
      m_nWidth(bitmap->Width()),
      m_nHeight(bitmap->Height()),
      m_bAlpha(bitmap->HasAlpha()),
      m_nEncodedSize(bitmap->EncodedSize()) {
    SetLineWidth(0);
    SetBitmapFill(std::move(bitmap), m_nWidth, m_nHeight);
}

CSwfBitmapRect::CSwfBitmapRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                               const CSwfBitmapRect& owner)
    : CSwfRectangle(x1, y1, x2, y2),
      m_eKind(owner.m_eKind),
      m_nWidth(owner.m_nWidth),
      m_nHeight(owner.m_nHeight),
      m_bAlpha(owner.m_bAlpha),
      m_bShared(true),
      m_nEncodedSize(owner.m_nEncodedSize) {
    SetLineWidth(0);
    SetSharedBitmapFill(owner, m_nWidth, m_nHeight);
}
