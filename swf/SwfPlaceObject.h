// Placing a character on the display list (PlaceObject2) and taking it off (RemoveObject), and
// the record that ties one placement to its removal until depths are assigned.
#pragma once

#include <cstdint>
#include <optional>

#include "swf/SwfCxform.h"
#include "swf/SwfMatrix.h"
#include "swf/SwfString.h"
#include "swf/SwfTag.h"

class CSwfPlaceObject2 : public CSwfTag {
public:
    void Write(CSwfBitWriter& writer) override;

    bool m_bHasClipDepth = false;
    bool m_bHasRatio = false;
    bool m_bHasCharacter = true;
    bool m_bMove = false;
    uint16_t m_nDepth = 0;
    uint16_t m_nCharacterId = 0;
    std::optional<CSwfMatrix> m_matrix;
    std::optional<CSwfCxform> m_cxform;
    uint16_t m_nRatio = 0;
    std::optional<CSwfString> m_strName;
    uint16_t m_nClipDepth = 0;
};

class CSwfRemoveObject : public CSwfTag {
public:
    CSwfRemoveObject(uint16_t characterId, uint16_t depth)
        : m_nCharacterId(characterId), m_nDepth(depth) {}
    void Write(CSwfBitWriter& writer) override;

    uint16_t m_nCharacterId;
    uint16_t m_nDepth;
};

// The tags are owned by their frames; the movie keeps this record until it is written.
struct CSwfPlacement {
    CSwfPlaceObject2* m_pPlace = nullptr;
    CSwfRemoveObject* m_pRemove = nullptr;
    uint32_t m_nLayer = 0;
};
