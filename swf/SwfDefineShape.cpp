#include "swf/SwfDefineShape.h"

#include <bit>

#include "swf/SwfBitWriter.h"

namespace {

constexpr uint16_t kCodeDefineShape3 = 32;

}  // namespace

uint32_t CSwfShapeWithStyle::AddFillStyle(std::unique_ptr<CSwfFillStyle> style) {
    m_fillStyles.push_back(std::move(style));
    return static_cast<uint32_t>(m_fillStyles.size());
}

uint32_t CSwfShapeWithStyle::AddLineStyle(std::unique_ptr<CSwfLineStyle> style) {
    m_lineStyles.push_back(std::move(style));
    return static_cast<uint32_t>(m_lineStyles.size());
}

void CSwfShapeWithStyle::FinishStyles() {
    m_nFillBits = static_cast<int>(std::bit_width(m_fillStyles.size()));
    m_nLineBits = static_cast<int>(std::bit_width(m_lineStyles.size()));
}

void CSwfShapeWithStyle::AddRecord(std::unique_ptr<CSwfShapeRecord> record) {
    record->SetFillBits(m_nFillBits);
    record->SetLineBits(m_nLineBits);
    m_records.push_back(std::move(record));
}

void CSwfShapeWithStyle::Write(CSwfBitWriter& writer) const {
    WriteStyleCount(writer, static_cast<uint32_t>(m_fillStyles.size()));
    for (const auto& style : m_fillStyles) {
        style->Write(writer);
    }
    WriteStyleCount(writer, static_cast<uint32_t>(m_lineStyles.size()));
    for (const auto& style : m_lineStyles) {
        style->Write(writer);
    }
    writer.WriteBits(m_nFillBits, 4);
    writer.WriteBits(m_nLineBits, 4);
    for (const auto& record : m_records) {
        record->Write(writer);
    }
    writer.Align();
}

CSwfDefineShape::CSwfDefineShape(CSwfRect bounds, std::unique_ptr<CSwfShapeWithStyle> shape)
    : m_rcBounds(bounds), m_pShape(std::move(shape)) {}

void CSwfDefineShape::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    m_rcBounds.Write(body);
    m_pShape->Write(body);
    WriteRecord(writer, kCodeDefineShape3, body);
}
