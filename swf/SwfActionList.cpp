#include "swf/SwfActionList.h"

#include "swf/SwfBitWriter.h"

namespace {
constexpr uint16_t kCodeDoAction = 12;
}

void CSwfActionList::Write(CSwfBitWriter& writer) const {
    for (const auto& record : m_records) {
        record->Write(writer);
    }
}

void CSwfActionList::Append(CSwfActionList&& other) {
    for (auto& record : other.TakeAll()) {
        m_records.push_back(std::move(record));
    }
}

uint32_t CSwfActionList::Length() const {
    CSwfBitWriter scratch;
    Write(scratch);
    return uint32_t(scratch.TotalLength());
}

void CSwfDoAction::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    m_actions.Write(body);
    body.WriteU8(0);
    WriteRecord(writer, kCodeDoAction, body);
}

uint16_t SwfConditionBits(int condition) {
    switch (condition) {
        case kCondOverDownToIdle:
            return 0x100;
        case kCondIdleToOverDown:
            return 0x80;
        case kCondOutDownToIdle:
            return 0x40;
        case kCondOutDownToOverDown:
            return 0x20;
        case kCondOverDownToOutDown:
            return 0x10;
        case kCondOverDownToOverUp:
            return 0x08;
        case kCondOverUpToOverDown:
            return 0x04;
        case kCondOverUpToIdle:
            return 0x02;
        case kCondIdleToOverUp:
            return 0x01;
        default:
            return 0;
    }
}

void CSwfButtonCondAction::AddCondition(int condition, uint8_t key) {
    m_nCondition |= SwfConditionBits(condition);
    if (key != 0) {
        m_nCondition |= SwfKeyBits(key);
    }
}
