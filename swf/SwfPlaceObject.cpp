#include "swf/SwfPlaceObject.h"

#include "swf/SwfBitWriter.h"

namespace {

constexpr uint16_t kCodeRemoveObject = 5;
constexpr uint16_t kCodePlaceObject2 = 26;

}  // namespace

void CSwfPlaceObject2::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteBits(0, 1);
    body.WriteBits(m_bHasClipDepth, 1);
    body.WriteBits(m_strName.has_value(), 1);
    body.WriteBits(m_bHasRatio, 1);
    body.WriteBits(m_cxform.has_value(), 1);
    body.WriteBits(m_matrix.has_value(), 1);
    body.WriteBits(m_bHasCharacter, 1);
    body.WriteBits(m_bMove, 1);
    body.WriteU16(m_nDepth);
    if (m_bHasCharacter) {
        body.WriteU16(m_nCharacterId);
    }
    if (m_matrix) {
        m_matrix->Write(body);
    }
    if (m_cxform) {
        m_cxform->Write(body);
    }
    if (m_bHasRatio) {
        body.WriteU16(m_nRatio);
    }
    if (m_bHasClipDepth) {
        body.WriteU16(m_nClipDepth);
    }
    if (m_strName) {
        m_strName->Write(body, true);
    }
    WriteRecord(writer, kCodePlaceObject2, body);
}

void CSwfRemoveObject::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    body.WriteU16(m_nDepth);
    WriteRecord(writer, kCodeRemoveObject, body);
}
