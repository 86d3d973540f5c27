// Action records: one bytecode instruction each, written exactly as the player reads them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CSwfBitWriter;

enum ESwfActionCode : uint8_t {
    kActionPlay = 0x06,
    kActionStop = 0x07,
    kActionAdd = 0x0A,
    kActionSubtract = 0x0B,
    kActionMultiply = 0x0C,
    kActionDivide = 0x0D,
    kActionLess = 0x0F,
    kActionNot = 0x12,
    kActionPop = 0x17,
    kActionToInteger = 0x18,
    kActionGetVariable = 0x1C,
    kActionSetVariable = 0x1D,
    kActionSetTarget2 = 0x20,
    kActionStringAdd = 0x21,
    kActionGetProperty = 0x22,
    kActionSetProperty = 0x23,
    kActionTrace = 0x26,
    kActionStartDrag = 0x27,
    kActionEndDrag = 0x28,
    kActionNewObject = 0x40,
    kActionCallMethod = 0x52,
    kActionGotoFrame = 0x81,
    kActionGetUrl = 0x83,
    kActionSetTarget = 0x8B,
    kActionPush = 0x96,
    kActionJump = 0x99,
    kActionGetUrl2 = 0x9A,
    kActionIf = 0x9D,
    kActionGotoFrame2 = 0x9F,
};

// A record's payload length is 16-bit: longer strings are cut so that the length stays true.
class CSwfActionRecord {
public:
    static constexpr size_t kMaxPayload = 0xFFFF;

    virtual ~CSwfActionRecord() = default;
    virtual void Write(CSwfBitWriter& writer) const = 0;
    // Bytes the record occupies, for branch offsets.
    uint32_t Length() const;
};

// Every action without a payload.
class CSwfActionSimple : public CSwfActionRecord {
public:
    explicit CSwfActionSimple(uint8_t code) : m_nCode(code) {}
    void Write(CSwfBitWriter& writer) const override;

private:
    uint8_t m_nCode;
};

class CSwfActionGotoFrame : public CSwfActionRecord {
public:
    explicit CSwfActionGotoFrame(uint16_t frame) : m_nFrame(frame) {}
    void Write(CSwfBitWriter& writer) const override;

private:
    uint16_t m_nFrame;
};

class CSwfActionGetUrl : public CSwfActionRecord {
public:
    CSwfActionGetUrl(std::string url, std::string target);
    void Write(CSwfBitWriter& writer) const override;

private:
    std::string m_strUrl;
    std::string m_strTarget;
};

class CSwfActionSetTarget : public CSwfActionRecord {
public:
    explicit CSwfActionSetTarget(std::string name);
    void Write(CSwfBitWriter& writer) const override;

private:
    std::string m_strName;
};

// Push of one value: a string, an IEEE single or a 32-bit integer.
class CSwfActionPush : public CSwfActionRecord {
public:
    static std::unique_ptr<CSwfActionPush> String(std::string value);
    static std::unique_ptr<CSwfActionPush> Float(float value);
    static std::unique_ptr<CSwfActionPush> Integer(int32_t value);
    void Write(CSwfBitWriter& writer) const override;

private:
    enum class EType : uint8_t { String = 0, Float = 1, Integer = 7 };
    CSwfActionPush(EType type, std::string text, uint32_t bits)
        : m_eType(type), m_strValue(std::move(text)), m_nBits(bits) {}

    EType m_eType;
    std::string m_strValue;
    uint32_t m_nBits;
};

// Jump and If: a signed offset in bytes from the end of the record.
class CSwfActionBranch : public CSwfActionRecord {
public:
    CSwfActionBranch(uint8_t code, int16_t offset) : m_nCode(code), m_nOffset(offset) {}
    void Write(CSwfBitWriter& writer) const override;

private:
    uint8_t m_nCode;
    int16_t m_nOffset;
};

// GetURL2 (method byte) and GotoFrame2 (flags byte, bit 0 = play).
class CSwfActionByte : public CSwfActionRecord {
public:
    CSwfActionByte(uint8_t code, uint8_t value) : m_nCode(code), m_nValue(value) {}
    void Write(CSwfBitWriter& writer) const override;

private:
    uint8_t m_nCode;
    uint8_t m_nValue;
};
