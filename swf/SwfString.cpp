#include "swf/SwfString.h"

#include "platform/TextCodec.h"
#include "swf/SwfBitWriter.h"

CSwfString CSwfString::FromUtf16(std::u16string_view text) {
    return CSwfString(Utf16ToUtf8(text));
}

void CSwfString::Write(CSwfBitWriter& writer, bool terminate) const {
    for (char c : m_strBytes) {
        writer.WriteU8(static_cast<unsigned char>(c));
    }
    if (terminate) {
        writer.WriteU8(0);
    }
}
