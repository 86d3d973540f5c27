// One frame of a timeline: the tags it adds, in the order of the calls that produced them.
#pragma once

#include <cstdint>
#include <memory>

#include "swf/SwfTagList.h"

class CSwfAction;
class CSwfDoAction;
class CSwfMovie;
class CSwfObject;

class CSwfFrame {
public:
    explicit CSwfFrame(CSwfMovie& movie);
    ~CSwfFrame();
    CSwfFrame(const CSwfFrame&) = delete;
    CSwfFrame& operator=(const CSwfFrame&) = delete;

    // Registers the object with the movie and lets it add its definition and placement here.
    void AddObject(CSwfObject& object);
    void RemoveObject(CSwfObject& object);
    // `colorref` is 0x00BBGGRR.
    void SetBackgroundColor(uint32_t colorref);

    CSwfTagList& Tags() { return m_tags; }
    CSwfMovie& Movie() { return m_movie; }

    // The frame's action block, created on first use. It joins the frame's tags where
    // CloseActions() is first called, or at the end of the frame when the movie is written.
    CSwfDoAction& Actions();
    // Appends the step's records to the action block.
    void AddAction(std::unique_ptr<CSwfAction> step);
    void CloseActions();

private:
    CSwfTagList m_tags;
    std::unique_ptr<CSwfDoAction> m_pOpenActions;
    CSwfDoAction* m_pActions = nullptr;
    CSwfMovie& m_movie;
};
