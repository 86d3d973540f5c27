// The base of every display object. The caller gives each object a layer; real depths are
// assigned only when the timeline is written, by sorting all placements by layer.
#pragma once

#include <cstdint>
#include <optional>

#include "swf/SwfMatrix.h"
#include "swf/SwfString.h"

class CSwfCharacterTag;
class CSwfMovie;
class CSwfTagList;

class CSwfObject {
public:
    CSwfObject();
    virtual ~CSwfObject();
    CSwfObject(const CSwfObject&) = delete;
    CSwfObject& operator=(const CSwfObject&) = delete;

    // Emits the definition tags into the frame when needed, then places the object unless it is
    // define-only.
    virtual void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) = 0;
    // Ends the object's most recent placement that is still on the display list. An object that
    // is not on it adds nothing.
    virtual void RemoveFromFrame(CSwfTagList& frame, CSwfMovie& movie);
    virtual bool HasMatrix() const { return false; }
    virtual CSwfMatrix GetMatrix() const { return CSwfMatrix(); }

    uint16_t Layer() const { return m_nLayer; }
    void SetLayer(uint16_t layer) { m_nLayer = layer; }
    const std::optional<CSwfString>& Name() const { return m_strName; }
    void SetName(std::optional<CSwfString> name) { m_strName = std::move(name); }
    bool IsDefineOnly() const { return m_bDefineOnly; }
    void SetDefineOnly(bool defineOnly) { m_bDefineOnly = defineOnly; }
    bool IsDefined() const { return m_bDefined; }
    // −1 until the object has been defined.
    int32_t CharacterId() const { return m_nCharacterId; }

    // Colour transform with alpha applied to every later placement; multiply terms are 8.8
    // fixed point. A fade uses no add terms and multipliers 256, 256, 256 and the fade level.
    void SetColorTransform(bool hasAdd, bool hasMult, int32_t multR, int32_t multG, int32_t multB,
                           int32_t multA, int32_t addR, int32_t addG, int32_t addB, int32_t addA);

protected:
    // Gives `tag` the movie's next character id, which becomes this object's id.
    void TakeCharacterId(CSwfCharacterTag& tag, CSwfMovie& movie);
    // Appends a PlaceObject2 of this object's character (provisional depth: the layer) and records
    // the placement in the movie.
    void Place(CSwfTagList& frame, CSwfMovie& movie);

    uint16_t m_nLayer = 1;
    bool m_bDefined = false;
    bool m_bDefineOnly = false;
    std::optional<CSwfString> m_strName;
    bool m_bHasCxformAlpha = false;
    // hasAdd, hasMult, multiply R, G, B, A, add R, G, B, A.
    int32_t m_aCxform[10] = {};
    int32_t m_nCharacterId = -1;
};
