#include "project/model/CursorImage.h"

#include <utility>

const CCursorImage* CCursorImageTable::Find(uint32_t hCursor, int16_t nSource) const {
    for (const CCursorImage& image : m_Images) {
        if (image.m_hCursor == hCursor && image.m_nSource == nSource) {
            return &image;
        }
    }
    return nullptr;
}

CCursorImage& CCursorImageTable::Add(CCursorImage image) {
    if (m_Images.size() == m_Images.capacity()) {
        m_Images.reserve(m_Images.size() + kGrowBy);
    }
    m_Images.push_back(std::move(image));
    m_bPresent = true;
    return m_Images.back();
}

void CCursorImageTable::Clear() {
    m_Images.clear();
    m_bPresent = false;
}
