#include "swf/SwfSpriteObject.h"

#include "swf/SwfBitWriter.h"
#include "swf/SwfMovie.h"
#include "swf/SwfTagList.h"

namespace {
constexpr uint16_t kCodeDefineSprite = 39;
}  // namespace

void CSwfDefineSprite::Write(CSwfBitWriter& writer) {
    CSwfBitWriter body;
    body.WriteU16(m_nCharacterId);
    body.WriteU16(m_tags.FrameCount());
    m_tags.WriteTags(body);
    WriteRecord(writer, kCodeDefineSprite, body);
}

CSwfSpriteObject::CSwfSpriteObject(std::unique_ptr<CSwfMovie> movie, std::optional<CSwfString> name)
    : m_pMovie(std::move(movie)) {
    m_strName = std::move(name);
}

CSwfSpriteObject::~CSwfSpriteObject() = default;

void CSwfSpriteObject::AddToFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (!m_bDefined) {
        if (!movie.SharesCharacterIds(*m_pMovie)) {
            movie.NoteForeignTimeline();
        }
        for (uint32_t i = 0; i < m_pMovie->FrameCount(); ++i) {
            CSwfTagList& tags = m_pMovie->GetFrame(i).Tags();
            for (auto& tag : tags.TakeAll()) {
                if (dynamic_cast<CSwfCharacterTag*>(tag.get()) != nullptr) {
                    frame.Add(std::move(tag));
                } else {
                    tags.Add(std::move(tag));
                }
            }
        }
        auto sprite = std::make_unique<CSwfDefineSprite>();
        TakeCharacterId(*sprite, movie);
        m_bWritten = m_pMovie->WriteAsSprite(sprite->Tags());
        frame.Add(std::move(sprite));
        m_bDefined = true;
    }
    if (!m_bDefineOnly) {
        Place(frame, movie);
    }
}

void CSwfSpriteObject::SetTranslate(int32_t x, int32_t y) {
    m_nTranslateX = x;
    m_nTranslateY = y;
}

void CSwfSpriteObject::SetScale(int32_t scaleX16, int32_t scaleY16) {
    m_nScaleX = scaleX16;
    m_nScaleY = scaleY16;
}

bool CSwfSpriteObject::HasMatrix() const {
    return m_nTranslateX != 0 || m_nTranslateY != 0 || m_nRotation != 0 || m_nScaleX != 0x10000 ||
           m_nScaleY != 0x10000;
}

CSwfMatrix CSwfSpriteObject::GetMatrix() const {
    return CentredTransform(m_rcBounds, m_nTranslateX, m_nTranslateY, m_nRotation, m_nScaleX,
                            m_nScaleY);
}
