// A whole timeline shown as a sprite (DefineSprite) with its own frames.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "swf/SwfObject.h"
#include "swf/SwfRect.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagStream.h"

class CSwfDefineSprite : public CSwfCharacterTag {
public:
    // The sprite's frames: control tags, each frame ended by a ShowFrame.
    CSwfTagStream& Tags() { return m_tags; }
    void Write(CSwfBitWriter& writer) override;

private:
    CSwfTagStream m_tags;
};

class CSwfSpriteObject : public CSwfObject {
public:
    // An instance name lets scripts address the sprite ("/name:variable"). The timeline must come
    // from CSwfMovie::NewTimeline of the movie the sprite is shown in.
    explicit CSwfSpriteObject(std::unique_ptr<CSwfMovie> movie,
                              std::optional<CSwfString> name = std::nullopt);
    ~CSwfSpriteObject() override;

    CSwfMovie& Movie() { return *m_pMovie; }

    // Defines the sprite once, then places it unless define-only. The timeline is written at the
    // definition: frames added to it later are not shown. Definitions made inside the timeline
    // go into `frame` ahead of the sprite, since a sprite may only hold control tags.
    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override;

    // Placement transform as for shapes: translation in units, rotation in 16.16 degrees about
    // the centre of the bounds, scale in 16.16 (0x10000 = 1).
    void SetTranslate(int32_t x, int32_t y);
    void SetRotation(int32_t degrees16) { m_nRotation = degrees16; }
    void SetScale(int32_t scaleX16, int32_t scaleY16);
    void SetBounds(const CSwfRect& bounds) { m_rcBounds = bounds; }
    bool HasMatrix() const override;
    CSwfMatrix GetMatrix() const override;

    // False when the timeline could not be written (see the movie's Error()).
    bool Written() const { return m_bWritten; }

private:
    std::unique_ptr<CSwfMovie> m_pMovie;
    bool m_bWritten = true;
    int32_t m_nTranslateX = 0;
    int32_t m_nTranslateY = 0;
    int32_t m_nRotation = 0;
    int32_t m_nScaleX = 0x10000;
    int32_t m_nScaleY = 0x10000;
    CSwfRect m_rcBounds;
};
