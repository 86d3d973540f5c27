// An ordered list of owned tags: the contents of one frame.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "swf/SwfTag.h"

class CSwfTagList {
public:
    // Appends the tag and returns it; the list owns it.
    template <class T>
    T& Add(std::unique_ptr<T> tag) {
        T& added = *tag;
        m_tags.push_back(std::move(tag));
        return added;
    }

    size_t Size() const { return m_tags.size(); }
    bool Empty() const { return m_tags.empty(); }
    CSwfTag& operator[](size_t i) const { return *m_tags[i]; }
    // Hands every tag over to the caller in order and leaves the list empty.
    std::vector<std::unique_ptr<CSwfTag>> TakeAll() { return std::exchange(m_tags, {}); }

private:
    std::vector<std::unique_ptr<CSwfTag>> m_tags;
};
