#include "swf/SwfSpriteObject.h"

#include <cmath>

#include "swf/SwfBitWriter.h"
#include "swf/SwfMovie.h"
#include "swf/SwfTagList.h"

namespace {
constexpr uint16_t kCodeDefineSprite = 39;
constexpr double kRadiansPerDegree = 0.017453292519943295;
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
        m_nCharacterId = sprite->GetCharacterId();
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
    const double theta =
        static_cast<double>(static_cast<float>(m_nRotation / 65536.0)) * kRadiansPerDegree;
    const double sx = static_cast<float>(m_nScaleX / 65536.0);
    const double sy = static_cast<float>(m_nScaleY / 65536.0);
    const double cx =
        static_cast<int32_t>((static_cast<double>(m_rcBounds.m_nXMin) + m_rcBounds.m_nXMax) / 2.0);
    const double cy =
        static_cast<int32_t>((static_cast<double>(m_rcBounds.m_nYMin) + m_rcBounds.m_nYMax) / 2.0);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    auto trunc = [](double v) { return static_cast<int32_t>(v); };
    return CSwfMatrix(true, trunc(c * sx * 65536.0), trunc(c * sy * 65536.0), true,
                      trunc(sx * s * 65536.0), -trunc(s * sy * 65536.0),
                      m_nTranslateX - trunc(sx * (c * cx - s * cy - cx)),
                      m_nTranslateY - trunc(sy * (s * cx + c * cy - cy)));
}
