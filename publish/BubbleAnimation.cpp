#include "publish/BubbleAnimation.h"

#include <algorithm>
#include <cmath>

#include "project/model/BubbleAnimation.h"

namespace {

constexpr int kPairs = 5;
enum EPair { kFade = 0, kZoom = 1, kSlideSide = 2, kSlideVertical = 3, kFadeText = 4 };
// A duration beyond a minute is a damaged value, not an animation.
constexpr int32_t kMaxDuration = 6000;

double Eased(double a, int32_t speed) {
    const double r = (1000 - std::clamp(speed, 0, 1000)) * 0.002;
    return r * a + a * a * (1 - r);
}

std::vector<SBubbleMotion> Plan(const CBubbleAnimation& settings, int side, int32_t frameRate,
                                const SRect& b, int32_t width, int32_t height, int32_t tw) {
    const int32_t duration = std::clamp(settings.m_nSettings[side], 0, kMaxDuration);
    const int32_t n = frameRate * duration / 100;
    bool any = false;
    for (int p = 0; p < kPairs; ++p) {
        any = any || settings.m_Channels[2 * p + side].m_nValues[1] != 0;
    }
    std::vector<SBubbleMotion> steps;
    if (!any) {
        return steps;
    }
    const bool out = side == 1;
    for (int32_t k = 1; k <= n; ++k) {
        const double a = double(k) / n;
        double alpha = 1, scale = 1, dx = 0, dy = 0;
        for (int p = 0; p < kPairs; ++p) {
            const CBubbleAnimation::SChannel& c = settings.m_Channels[2 * p + side];
            if (c.m_nValues[1] == 0) {
                continue;
            }
            // "In" runs towards the resting bubble, "out" away from it.
            const double e = Eased(a, c.m_nValues[2]);
            const double toward = out ? 1 - e : e;
            const bool option = c.m_nValues[3] != 0;
            switch (p) {
                case kFade:
                case kFadeText:
                    alpha *= option ? 1 - toward : toward;
                    break;
                case kZoom: {
                    scale *= toward;
                    break;
                }
                case kSlideSide:
                    dx += (1 - toward) * (option ? width - b.left : -b.right) * tw;
                    break;
                case kSlideVertical:
                    dy += (1 - toward) * (option ? height - b.top : -b.bottom) * tw;
                    break;
                default:
                    break;
            }
        }
        const bool zoom = settings.m_Channels[2 * kZoom + side].m_nValues[1] != 0;
        const bool corner = zoom && settings.m_Channels[2 * kZoom + side].m_nValues[3] != 0;
        // The bubble grows about its centre, or about its own top-left corner.
        const double ox = corner ? b.left : (b.left + b.right) / 2.0;
        const double oy = corner ? b.top : (b.top + b.bottom) / 2.0;
        SBubbleMotion motion;
        motion.nAlpha = int32_t(std::lround(256 * std::clamp(alpha, 0.0, 1.0)));
        motion.nScale = int32_t(std::lround(0x10000 * std::clamp(scale, 0.0, 1.0)));
        motion.nDx = int32_t(dx + ox * tw * (1 - scale));
        motion.nDy = int32_t(dy + oy * tw * (1 - scale));
        steps.push_back(motion);
    }
    return steps;
}

}  // namespace

SBubbleAnimationPlan PlanBubbleAnimation(const CBubbleAnimation& settings, int32_t frameRate,
                                         const SRect& bubble, int32_t pictureWidth,
                                         int32_t pictureHeight, int32_t twips) {
    return {Plan(settings, 0, frameRate, bubble, pictureWidth, pictureHeight, twips),
            Plan(settings, 1, frameRate, bubble, pictureWidth, pictureHeight, twips)};
}
