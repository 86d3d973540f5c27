#include "swf/SwfButton.h"

#include "swf/SwfAction.h"
#include "swf/SwfBitWriter.h"
#include "swf/SwfTagList.h"

namespace {
constexpr uint16_t kCodeDefineButton2 = 34;
}

void SSwfButtonRecord::Write(CSwfBitWriter& writer) const {
    writer.WriteBits(0, 4);
    writer.WriteBits(m_bHitTest, 1);
    writer.WriteBits(m_bDown, 1);
    writer.WriteBits(m_bOver, 1);
    writer.WriteBits(m_bUp, 1);
    writer.WriteU16(m_nCharacterId);
    writer.WriteU16(m_nPlaceDepth);
    m_matrix.Write(writer);
    m_cxform.Write(writer);
}

void CSwfDefineButton2::AddCondition(const CSwfButtonCondAction& condition) {
    CSwfBitWriter actions;
    condition.Actions().Write(actions);
    m_conditions.push_back({condition.Condition(), actions.ToBytes()});
}

void CSwfDefineButton2::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    body.WriteU8(m_nTrackAsMenu);

    CSwfBitWriter records;
    for (const SSwfButtonRecord& record : m_records) {
        record.Write(records);
    }
    records.WriteU8(0);
    // The offset counts itself; 0 says the button has no condition actions.
    body.WriteU16(m_conditions.empty() ? 0 : uint32_t(records.TotalLength()) + 2);
    body.Append(records);

    for (size_t i = 0; i < m_conditions.size(); ++i) {
        const SCondition& condition = m_conditions[i];
        const bool last = i + 1 == m_conditions.size();
        body.WriteU16(last ? 0 : uint32_t(2 + 2 + condition.m_actions.size() + 1));
        body.WriteU16(condition.m_nCondition);
        for (uint8_t b : condition.m_actions) {
            body.WriteU8(b);
        }
        body.WriteU8(0);
    }
    WriteRecord(writer, kCodeDefineButton2, body);
}

CSwfButton::CSwfButton(CSwfObject& up, CSwfObject& over, CSwfObject& down, CSwfObject& hit)
    : m_states{&up, &over, &down, &hit} {}

CSwfButton::~CSwfButton() = default;

CSwfButtonCondAction& CSwfButton::Current(int condition, uint8_t key) {
    std::unique_ptr<CSwfButtonCondAction>& slot = m_conditions[m_nCurrent];
    if (!slot) {
        slot = std::make_unique<CSwfButtonCondAction>();
    }
    slot->AddCondition(condition, key);
    return *slot;
}

void CSwfButton::AddAction(std::unique_ptr<CSwfAction> step, int condition, uint8_t key) {
    step->AppendTo(Current(condition, key));
}

void CSwfButton::AddRecord(std::unique_ptr<CSwfActionRecord> record, int condition, uint8_t key) {
    Current(condition, key).Actions().Add(std::move(record));
}

int CSwfButton::NextCondition() {
    if (m_nCurrent < kConditionSlots - 1) {
        ++m_nCurrent;
    }
    return m_nCurrent;
}

void CSwfButton::Define(CSwfTagList& frame, CSwfMovie& movie) {
    m_pTimeline = &movie;
    for (CSwfObject* state : m_states) {
        const bool defineOnly = state->IsDefineOnly();
        state->SetDefineOnly(true);
        state->AddToFrame(frame, movie);
        state->SetDefineOnly(defineOnly);
    }
    auto tag = std::make_unique<CSwfDefineButton2>();
    TakeCharacterId(*tag, movie);
    for (int i = 0; i < 4; ++i) {
        SSwfButtonRecord record;
        record.m_bUp = i == 0;
        record.m_bOver = i == 1;
        record.m_bDown = i == 2;
        record.m_bHitTest = i == 3;
        record.m_nCharacterId = uint16_t(m_states[i]->CharacterId());
        record.m_cxform = CSwfCxform::Rgba(false, false, 0, 0, 0, 0, 0, 0, 0, 0);
        tag->AddRecord(std::move(record));
    }
    for (const auto& condition : m_conditions) {
        if (condition) {
            tag->AddCondition(*condition);
        }
    }
    frame.Add(std::move(tag));
    m_bDefined = true;
}

void CSwfButton::AddToFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (!m_bDefined || m_pTimeline != &movie) {
        Define(frame, movie);
    }
    if (!m_bDefineOnly) {
        Place(frame, movie);
    }
}
