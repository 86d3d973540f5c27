// Buttons: a display object with four state objects and up to eight condition action lists,
// written as DefineButton2.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "swf/SwfActionList.h"
#include "swf/SwfCxform.h"
#include "swf/SwfMatrix.h"
#include "swf/SwfObject.h"
#include "swf/SwfTag.h"

class CSwfAction;

struct SSwfButtonRecord {
    bool m_bHitTest = false;
    bool m_bDown = false;
    bool m_bOver = false;
    bool m_bUp = false;
    uint16_t m_nCharacterId = 0;
    uint16_t m_nPlaceDepth = 1;
    CSwfMatrix m_matrix;
    CSwfCxform m_cxform = CSwfCxform::Rgba(false, false, 0, 0, 0, 0, 0, 0, 0, 0);

    void Write(CSwfBitWriter& writer) const;
};

class CSwfDefineButton2 : public CSwfCharacterTag {
public:
    void AddRecord(SSwfButtonRecord record) { m_records.push_back(std::move(record)); }
    // Keeps the list's condition word and the bytes of its actions; the list stays with its
    // owner.
    void AddCondition(const CSwfButtonCondAction& condition);
    void Write(CSwfBitWriter& writer) override;

private:
    struct SCondition {
        uint16_t m_nCondition;
        std::vector<uint8_t> m_actions;
    };
    uint8_t m_nTrackAsMenu = 0;
    std::vector<SSwfButtonRecord> m_records;
    std::vector<SCondition> m_conditions;
};

class CSwfButton : public CSwfObject {
public:
    static constexpr int kConditionSlots = 8;

    // The states up, over, down and hit stay owned by the caller and must outlive the button's
    // additions to frames.
    CSwfButton(CSwfObject& up, CSwfObject& over, CSwfObject& down, CSwfObject& hit);
    ~CSwfButton() override;

    // Adds the condition (and key code, when non-zero) to the current slot and appends the
    // step's records to it.
    void AddAction(std::unique_ptr<CSwfAction> step, int condition, uint8_t key = 0);
    void AddRecord(std::unique_ptr<CSwfActionRecord> record, int condition, uint8_t key = 0);
    // Moves to the next slot while there is one; returns the current slot index.
    int NextCondition();

    // Defines the button once per timeline, then places it unless define-only.
    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override;

private:
    CSwfButtonCondAction& Current(int condition, uint8_t key);
    void Define(CSwfTagList& frame, CSwfMovie& movie);

    std::array<CSwfObject*, 4> m_states;
    std::array<std::unique_ptr<CSwfButtonCondAction>, kConditionSlots> m_conditions;
    int m_nCurrent = 0;
    const CSwfMovie* m_pTimeline = nullptr;
};
