#include "project/model/BubbleAnimation.h"

bool CBubbleAnimation::IsEquivalent(const CBubbleAnimation& other) const {
    if (m_nSettings != other.m_nSettings || m_nFurther[0] != other.m_nFurther[0] ||
        m_nFurther[1] != other.m_nFurther[1]) {
        return false;
    }
    for (int i = 0; i < kChannels; ++i) {
        const SChannel& a = m_Channels[i];
        const SChannel& b = other.m_Channels[i];
        for (int v = 1; v < 4; ++v) {
            if (a.m_nValues[v] != b.m_nValues[v]) {
                return false;
            }
        }
    }
    return true;
}
