// A display object with a minimal definition, for tests of containers (buttons, sprites) that
// only care where definitions and placements go.
#pragma once

#include <memory>

#include "swf/SwfBitWriter.h"
#include "swf/SwfObject.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagList.h"

// A DefineShape3 body of an empty shape: id, an empty RECT, no styles, the end record.
class CStubDefinition : public CSwfCharacterTag {
public:
    void Write(CSwfBitWriter& writer) override {
        CSwfBitWriter body;
        body.WriteU16(m_nCharacterId);
        for (int b : {0x08, 0x00, 0x00, 0x00, 0x00}) {
            body.WriteU8(uint32_t(b));
        }
        WriteRecord(writer, 32, body);
    }
};

class CStubObject : public CSwfObject {
public:
    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override {
        if (!m_bDefined) {
            auto definition = std::make_unique<CStubDefinition>();
            TakeCharacterId(*definition, movie);
            frame.Add(std::move(definition));
            m_bDefined = true;
            ++m_nDefinitions;
        }
        if (!m_bDefineOnly) {
            Place(frame, movie);
        }
    }
    int m_nDefinitions = 0;
};
