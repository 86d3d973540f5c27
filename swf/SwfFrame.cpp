#include "swf/SwfFrame.h"

#include <memory>

#include "swf/SwfAction.h"
#include "swf/SwfActionList.h"
#include "swf/SwfMovie.h"
#include "swf/SwfObject.h"
#include "swf/SwfSimpleTags.h"

CSwfFrame::CSwfFrame(CSwfMovie& movie) : m_movie(movie) {}

CSwfFrame::~CSwfFrame() = default;

CSwfDoAction& CSwfFrame::Actions() {
    if (m_pActions == nullptr) {
        m_pOpenActions = std::make_unique<CSwfDoAction>();
        m_pActions = m_pOpenActions.get();
    }
    return *m_pActions;
}

void CSwfFrame::AddAction(std::unique_ptr<CSwfAction> step) {
    step->AppendTo(Actions());
}

void CSwfFrame::CloseActions() {
    if (m_pOpenActions) {
        m_tags.Add(std::move(m_pOpenActions));
    }
}

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
