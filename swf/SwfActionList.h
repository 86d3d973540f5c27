// Ordered lists of action records and the two places they are written: a frame's DoAction tag
// and a button's condition action list.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "swf/SwfActionRecord.h"
#include "swf/SwfTag.h"

class CSwfActionList {
public:
    void Add(std::unique_ptr<CSwfActionRecord> record) { m_records.push_back(std::move(record)); }
    // Moves the records of `other` to the end of this list.
    void Append(CSwfActionList&& other);
    std::vector<std::unique_ptr<CSwfActionRecord>> TakeAll() {
        return std::exchange(m_records, {});
    }
    // The records in order, without the end byte.
    void Write(CSwfBitWriter& writer) const;
    uint32_t Length() const;
    size_t Size() const { return m_records.size(); }
    bool Empty() const { return m_records.empty(); }

private:
    std::vector<std::unique_ptr<CSwfActionRecord>> m_records;
};

class CSwfDoAction : public CSwfTag {
public:
    void Write(CSwfBitWriter& writer) override;
    CSwfActionList& Actions() { return m_actions; }

private:
    CSwfActionList m_actions;
};

// The transitions a button condition list reacts to. The numbers are those callers pass when
// adding a button action.
enum ESwfButtonCondition : int {
    kCondOverDownToIdle = 1,
    kCondIdleToOverDown = 2,
    kCondOutDownToIdle = 3,
    kCondOutDownToOverDown = 4,
    kCondOverDownToOutDown = 5,
    kCondOverDownToOverUp = 6,  // release
    kCondOverUpToOverDown = 7,  // press
    kCondOverUpToIdle = 8,      // roll out
    kCondIdleToOverUp = 9,      // roll over
};

// The condition word: transition bits in the low byte, OverDownToIdle in bit 8 and the key
// code in bits 9 to 15. Other condition numbers set no bit.
uint16_t SwfConditionBits(int condition);
constexpr uint16_t SwfKeyBits(uint8_t key) {
    return uint16_t((key & 0x7F) << 9);
}

class CSwfButtonCondAction {
public:
    CSwfActionList& Actions() { return m_actions; }
    const CSwfActionList& Actions() const { return m_actions; }
    uint16_t Condition() const { return m_nCondition; }
    // Adds the condition's transition bit and, when non-zero, the key code.
    void AddCondition(int condition, uint8_t key);

private:
    CSwfActionList m_actions;
    uint16_t m_nCondition = 0;
};
