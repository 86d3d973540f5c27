#include "swf/SwfActionRecord.h"

#include <bit>

#include "swf/SwfBitWriter.h"

namespace {

void WriteString(CSwfBitWriter& writer, const std::string& s) {
    for (char c : s) {
        writer.WriteU8(uint8_t(c));
    }
    writer.WriteU8(0);
}

std::string Cut(std::string s, size_t room) {
    if (s.size() > room) {
        s.resize(room);
    }
    return s;
}

void WriteHeader(CSwfBitWriter& writer, uint8_t code, size_t length) {
    writer.WriteU8(code);
    writer.WriteU16(uint32_t(length));
}

}  // namespace

uint32_t CSwfActionRecord::Length() const {
    CSwfBitWriter scratch;
    Write(scratch);
    return uint32_t(scratch.TotalLength());
}

void CSwfActionSimple::Write(CSwfBitWriter& writer) const {
    writer.WriteU8(m_nCode);
}

void CSwfActionGotoFrame::Write(CSwfBitWriter& writer) const {
    WriteHeader(writer, kActionGotoFrame, 2);
    writer.WriteU16(m_nFrame);
}

CSwfActionGetUrl::CSwfActionGetUrl(std::string url, std::string target)
    : m_strTarget(Cut(std::move(target), kMaxPayload / 2 - 1)) {
    m_strUrl = Cut(std::move(url), kMaxPayload - 2 - m_strTarget.size());
}

void CSwfActionGetUrl::Write(CSwfBitWriter& writer) const {
    WriteHeader(writer, kActionGetUrl, m_strUrl.size() + 1 + m_strTarget.size() + 1);
    WriteString(writer, m_strUrl);
    WriteString(writer, m_strTarget);
}

CSwfActionSetTarget::CSwfActionSetTarget(std::string name)
    : m_strName(Cut(std::move(name), kMaxPayload - 1)) {}

void CSwfActionSetTarget::Write(CSwfBitWriter& writer) const {
    WriteHeader(writer, kActionSetTarget, m_strName.size() + 1);
    WriteString(writer, m_strName);
}

std::unique_ptr<CSwfActionPush> CSwfActionPush::String(std::string value) {
    return std::unique_ptr<CSwfActionPush>(
        new CSwfActionPush(EType::String, Cut(std::move(value), kMaxPayload - 2), 0));
}

std::unique_ptr<CSwfActionPush> CSwfActionPush::Float(float value) {
    return std::unique_ptr<CSwfActionPush>(
        new CSwfActionPush(EType::Float, {}, std::bit_cast<uint32_t>(value)));
}

std::unique_ptr<CSwfActionPush> CSwfActionPush::Integer(int32_t value) {
    return std::unique_ptr<CSwfActionPush>(
        new CSwfActionPush(EType::Integer, {}, static_cast<uint32_t>(value)));
}

void CSwfActionPush::Write(CSwfBitWriter& writer) const {
    if (m_eType == EType::String) {
        WriteHeader(writer, kActionPush, m_strValue.size() + 2);
        writer.WriteU8(uint8_t(m_eType));
        WriteString(writer, m_strValue);
        return;
    }
    WriteHeader(writer, kActionPush, 5);
    writer.WriteU8(uint8_t(m_eType));
    writer.WriteU32(m_nBits);
}

void CSwfActionBranch::Write(CSwfBitWriter& writer) const {
    WriteHeader(writer, m_nCode, 2);
    writer.WriteU16(uint16_t(m_nOffset));
}

void CSwfActionByte::Write(CSwfBitWriter& writer) const {
    WriteHeader(writer, m_nCode, 1);
    writer.WriteU8(m_nValue);
}
