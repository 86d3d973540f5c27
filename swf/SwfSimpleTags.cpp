#include "swf/SwfSimpleTags.h"

#include "swf/SwfBitWriter.h"

namespace {

constexpr uint16_t kCodeShowFrame = 1;
constexpr uint16_t kCodeSetBackgroundColor = 9;
constexpr uint16_t kCodeFileAttributes = 69;
constexpr uint16_t kCodeMetadata = 77;

constexpr uint32_t kHasMetadata = 0x10;

constexpr const char* kHomePage = "https://quillo.example/";

}  // namespace

void CSwfShowFrame::Write(CSwfBitWriter& writer) {
    WriteTagHeader(writer, kCodeShowFrame, 0);
}

CSwfSetBackgroundColor::CSwfSetBackgroundColor(CSwfColor color) : m_crColor(color) {
    m_crColor.m_bHasAlpha = false;
}

void CSwfSetBackgroundColor::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    m_crColor.Write(body);
    WriteRecord(writer, kCodeSetBackgroundColor, body);
}

void CSwfFileAttributes::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU32(kHasMetadata);
    WriteRecord(writer, kCodeFileAttributes, body);
}

void CSwfMetadata::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    m_strText.Write(body, true);
    WriteRecord(writer, kCodeMetadata, body);
}

std::string SwfMetadataDocument() {
    return std::string(
               "\t\t<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
               "\t<rdf:Description rdf:about=\"") +
           kHomePage +
           "\">"
           "\t<dc:title>Quillo screen recorder screencast</dc:title>"
           "\t<dc:description>This screencast was created with Quillo screen recorder"
           "</dc:description>"
           "\t</rdf:Description>"
           "\t</rdf:RDF>";
}
