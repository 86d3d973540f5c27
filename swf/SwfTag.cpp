#include "swf/SwfTag.h"

#include <cassert>

#include "swf/SwfBitWriter.h"

namespace {

constexpr uint16_t kCodeDefineBitsLossless = 20;
constexpr uint16_t kCodeDefineBitsLossless2 = 36;

}  // namespace

void WriteTagHeader(CSwfBitWriter& writer, uint16_t code, uint32_t length, CSwfBitWriter* body) {
    if (length <= 62 && code != kCodeDefineBitsLossless && code != kCodeDefineBitsLossless2) {
        writer.WriteU16(code * 64u + length);
    } else {
        writer.WriteU16(code * 64u + 63u);
        writer.WriteU32(length);
    }
    if (body != nullptr) {
        writer.Append(*body);
    }
}

void CSwfTag::WriteRecord(CSwfBitWriter& writer, uint16_t code, CSwfBitWriter& body) {
    assert(body.IsAligned());
    WriteTagHeader(writer, code, static_cast<uint32_t>(body.TotalLength()), &body);
}
