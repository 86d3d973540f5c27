#include "swf/SwfFrame.h"

#include <memory>

#include "swf/SwfMovie.h"
#include "swf/SwfObject.h"
#include "swf/SwfSimpleTags.h"

void CSwfFrame::AddObject(CSwfObject& object) {
    m_movie.RegisterObject(object);
    object.AddToFrame(m_tags, m_movie);
}

void CSwfFrame::RemoveObject(CSwfObject& object) {
    object.RemoveFromFrame(m_tags, m_movie);
}

void CSwfFrame::SetBackgroundColor(uint32_t colorref) {
    m_tags.Add(std::make_unique<CSwfSetBackgroundColor>(
        CSwfColor(static_cast<uint8_t>(colorref), static_cast<uint8_t>(colorref >> 8),
                  static_cast<uint8_t>(colorref >> 16))));
}
