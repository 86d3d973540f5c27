#include "swf/SwfObject.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "swf/SwfCxform.h"
#include "swf/SwfMovie.h"
#include "swf/SwfPlaceObject.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagList.h"

CSwfObject::CSwfObject() = default;

CSwfObject::~CSwfObject() = default;

void CSwfObject::SetColorTransform(bool hasAdd, bool hasMult, int32_t multR, int32_t multG,
                                   int32_t multB, int32_t multA, int32_t addR, int32_t addG,
                                   int32_t addB, int32_t addA) {
    const int32_t terms[10] = {hasAdd, hasMult, multR, multG, multB, multA, addR, addG, addB, addA};
    std::copy(std::begin(terms), std::end(terms), std::begin(m_aCxform));
    m_bHasCxformAlpha = true;
}

void CSwfObject::TakeCharacterId(CSwfCharacterTag& tag, CSwfMovie& movie) {
    tag.SetCharacterId(movie.NextCharacterId());
    m_nCharacterId = tag.GetCharacterId();
}

void CSwfObject::Place(CSwfTagList& frame, CSwfMovie& movie) {
    auto place = std::make_unique<CSwfPlaceObject2>();
    if (HasMatrix()) {
        place->m_matrix = GetMatrix();
    }
    if (m_bHasCxformAlpha) {
        const int32_t* t = m_aCxform;
        place->m_cxform =
            CSwfCxform::Rgba(t[0] != 0, t[1] != 0, t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9]);
    }
    if (m_strName) {
        place->m_strName = *m_strName;
    }
    place->m_nDepth = m_nLayer;
    place->m_nCharacterId = static_cast<uint16_t>(m_nCharacterId);
    CSwfPlaceObject2& added = frame.Add(std::move(place));
    movie.AddPlacement(added.m_nCharacterId, added, m_nLayer);
}

void CSwfObject::RemoveFromFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (m_nCharacterId < 0) {
        return;
    }
    const auto id = static_cast<uint16_t>(m_nCharacterId);
    CSwfPlacement* placement = movie.OpenPlacement(id);
    if (placement == nullptr) {
        return;
    }
    placement->m_pRemove = &frame.Add(std::make_unique<CSwfRemoveObject>(id, m_nLayer));
}
