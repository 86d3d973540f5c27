// One frame of a timeline: the tags it adds, in the order of the calls that produced them.
#pragma once

#include <cstdint>

#include "swf/SwfTagList.h"

class CSwfMovie;
class CSwfObject;

class CSwfFrame {
public:
    explicit CSwfFrame(CSwfMovie& movie) : m_movie(movie) {}
    CSwfFrame(const CSwfFrame&) = delete;
    CSwfFrame& operator=(const CSwfFrame&) = delete;

    // Registers the object with the movie and lets it add its definition and placement here.
    void AddObject(CSwfObject& object);
    void RemoveObject(CSwfObject& object);
    // `colorref` is 0x00BBGGRR.
    void SetBackgroundColor(uint32_t colorref);

    CSwfTagList& Tags() { return m_tags; }
    CSwfMovie& Movie() { return m_movie; }

private:
    CSwfTagList m_tags;
    CSwfMovie& m_movie;
};
