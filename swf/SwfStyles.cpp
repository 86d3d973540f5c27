#include "swf/SwfStyles.h"

#include "swf/SwfBitWriter.h"

namespace {

constexpr uint8_t kSolid = 0x00;
constexpr uint8_t kLinearGradient = 0x10;
constexpr uint8_t kRadialGradient = 0x12;
constexpr uint8_t kRepeatingBitmap = 0x40;
constexpr uint8_t kClippedBitmap = 0x41;

CSwfColor WithAlpha(CSwfColor color) {
    color.m_bHasAlpha = true;
    return color;
}

}  // namespace

void WriteStyleCount(CSwfBitWriter& writer, uint32_t count) {
    if (count < 0xFF) {
        writer.WriteU8(count);
    } else {
        writer.WriteU8(0xFF);
        writer.WriteU16(count);
    }
}

CSwfSolidFillStyle::CSwfSolidFillStyle(CSwfColor color) : m_crColor(WithAlpha(color)) {}

void CSwfSolidFillStyle::Write(CSwfBitWriter& writer) const {
    writer.WriteU8(kSolid);
    m_crColor.Write(writer);
}

void CSwfGradient::Add(uint8_t ratio, CSwfColor color) {
    m_records.push_back({ratio, WithAlpha(color)});
}

void CSwfGradient::Write(CSwfBitWriter& writer) const {
    writer.WriteU8(static_cast<uint32_t>(m_records.size()));
    for (const SRecord& r : m_records) {
        writer.WriteU8(r.m_nRatio);
        r.m_crColor.Write(writer);
    }
}

CSwfGradientFillStyle::CSwfGradientFillStyle(bool radial, CSwfMatrix matrix, CSwfGradient gradient)
    : m_bRadial(radial), m_matrix(matrix), m_gradient(std::move(gradient)) {}

void CSwfGradientFillStyle::Write(CSwfBitWriter& writer) const {
    writer.WriteU8(m_bRadial ? kRadialGradient : kLinearGradient);
    m_matrix.Write(writer);
    m_gradient.Write(writer);
}

CSwfBitmapFillStyle::CSwfBitmapFillStyle(uint16_t bitmapId, CSwfMatrix matrix, bool repeat)
    : m_nBitmapId(bitmapId), m_matrix(matrix), m_bRepeat(repeat) {}

void CSwfBitmapFillStyle::Write(CSwfBitWriter& writer) const {
    writer.WriteU8(m_bRepeat ? kRepeatingBitmap : kClippedBitmap);
    writer.WriteU16(m_nBitmapId);
    m_matrix.Write(writer);
}

CSwfLineStyle::CSwfLineStyle(uint16_t width, CSwfColor color)
    : m_nWidth(width), m_crColor(WithAlpha(color)) {}

void CSwfLineStyle::Write(CSwfBitWriter& writer) const {
    writer.WriteU16(m_nWidth);
    m_crColor.Write(writer);
}
