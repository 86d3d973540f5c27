#include "publish/EffectsStep.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "project/model/FrameInfo.h"
#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "swf/SwfBitmapRect.h"
#include "swf/SwfShapeObject.h"

namespace {

// The scale of a shape's placement works from the origin; the translation keeps the point
// (cx, cy) where it is.
void ScaleAbout(CSwfShapeObject& shape, double scale, double cx, double cy) {
    const int32_t scale16 = int32_t(std::lround(scale * 65536.0));
    shape.SetScale(scale16, scale16);
    shape.SetTranslate(int32_t(std::lround(cx * (1 - scale))),
                       int32_t(std::lround(cy * (1 - scale))));
}

}  // namespace

CEffectsStep::CEffectsStep(SPublishContext& context) : m_context(context) {}

uint32_t CEffectsStep::FadeFrames(const CFrameInfo& frame) const {
    if (!m_bCrossFades && frame.m_nFrameEffect != kEffectCrossFade) {
        return 0;
    }
    return std::max<uint32_t>(
        1, uint32_t(frame.m_nFrameEffectDuration * 10.0 / m_context.fMovieFrameMs));
}

std::unique_ptr<CSwfRectangle> CEffectsStep::AreaRect() const {
    const SMovieGeometry& g = m_context.geometry;
    const SAreaPosition& area = m_context.area;
    return std::make_unique<CSwfRectangle>(g.U(area.nX), g.U(area.nY), g.U(area.nX + g.nWidth) - 1,
                                           g.U(area.nY + g.nHeight) - 1);
}

void CEffectsStep::AddStartEffects(CSwfBitmapRect* pFirst) {
    const SMovieGeometry& g = m_context.geometry;
    const CPublishSettings& settings = m_context.settings;
    const uint32_t start = m_context.nNextFrame;
    uint32_t length = 0;
    const double cx = g.U(m_context.area.nX) + g.U(g.nWidth) / 2.0;
    const double cy = g.U(m_context.area.nY) + g.U(g.nHeight) / 2.0;
    if (pFirst != nullptr) {
        // The first picture grows from its centre, 1.2 times larger each movie frame.
        uint32_t k = 0;
        for (double scale = 1; scale <= 100; scale *= 1.2, ++k) {
            ScaleAbout(*pFirst, scale / 100, cx, cy);
            m_context.Frame(start + k).AddObject(*pFirst);
            m_context.Frame(start + k + 1).RemoveObject(*pFirst);
        }
        ScaleAbout(*pFirst, 1, cx, cy);
        m_context.Frame(start + k).AddObject(*pFirst);
        length = std::max(length, k);
    }
    if (settings.m_bFadeInStart) {
        double step = 3;
        double value = 255;
        uint32_t k = 0;
        while (value >= 0) {
            auto cover = AreaRect();
            cover->SetFillColor(SwfColorFromRef(settings.m_crBackground, uint8_t(value)));
            cover->SetLineWidth(0);
            cover->SetLayer(kLayerTransition);
            CSwfRectangle& kept = m_context.Keep(std::move(cover));
            m_context.Frame(start + k).AddObject(kept);
            m_context.Frame(start + k + 1).RemoveObject(kept);
            step = std::min(15.0, step + 0.5);
            value -= step;
            ++k;
        }
        length = std::max(length, k);
    }
    if (length > 0) {
        m_context.nLastEffectFrame = std::max(m_context.nLastEffectFrame, start + length);
        m_context.nNextFrame += length + 5;
    }
}

void CEffectsStep::AddEndEffects(CSwfBitmapRect* pFinal) {
    const SMovieGeometry& g = m_context.geometry;
    const CPublishSettings& settings = m_context.settings;
    const double cx = g.U(m_context.area.nX) + g.U(g.nWidth) / 2.0;
    const double cy = g.U(m_context.area.nY) + g.U(g.nHeight) / 2.0;
    const uint32_t start = m_context.nNextFrame;
    uint32_t last = start;
    if (pFinal != nullptr) {
        // The final picture shrinks about its centre over the background, 0.8 times smaller
        // each movie frame, until it is gone.
        auto background = AreaRect();
        background->SetFillColor(SwfColorFromRef(settings.m_crBackground));
        background->SetLineColor(SwfColorFromRef(settings.m_crBackground));
        background->SetLayer(kLayerPicture);
        m_context.Frame(start).AddObject(m_context.Keep(std::move(background)));
        uint32_t k = 0;
        for (double scale = 1; scale >= 0.01; scale *= 0.8, ++k) {
            ScaleAbout(*pFinal, scale, cx, cy);
            m_context.Frame(start + k).AddObject(*pFinal);
            m_context.Frame(start + k + 1).RemoveObject(*pFinal);
        }
        last = std::max(last, start + k);
    }
    if (settings.m_bFadeOutEnd) {
        double alpha = 12;
        double step = 15;
        CSwfRectangle* pLast = nullptr;
        for (uint32_t k = 0;; ++k) {
            const bool final = alpha + step >= 256 && k > 0;
            auto cover = AreaRect();
            cover->SetFillColor(
                SwfColorFromRef(settings.m_crBackground, uint8_t(final ? 255 : alpha)));
            cover->SetLineWidth(0);
            cover->SetLayer(kLayerTransition);
            CSwfRectangle& kept = m_context.Keep(std::move(cover));
            CSwfFrame& at = m_context.Frame(start + k);
            if (pLast != nullptr) {
                at.RemoveObject(*pLast);
            }
            at.AddObject(kept);
            pLast = &kept;
            if (final) {
                last = std::max(last, start + k);
                break;
            }
            alpha += step;
            if (k >= 2) {
                step = std::max(3.0, step - 0.5);
            }
        }
    }
    m_context.nNextFrame = last;
    m_context.nLastEffectFrame = std::max(m_context.nLastEffectFrame, last);
}

void CEffectsStep::AddTransition(const CFrameInfo& frame, uint32_t first, uint32_t end) {
    const uint32_t n = uint32_t(frame.m_nFrameEffectDuration * 10.0 / m_context.fMovieFrameMs);
    auto cover = [&](uint32_t at, int32_t alpha, CSwfRectangle* pBefore) -> CSwfRectangle& {
        auto shape = AreaRect();
        shape->SetFillColor(SwfColorFromRef(uint32_t(frame.m_crFrameEffect), uint8_t(alpha)));
        shape->SetLineWidth(0);
        shape->SetLayer(kLayerTransition);
        CSwfRectangle& kept = m_context.Keep(std::move(shape));
        if (pBefore != nullptr) {
            m_context.Frame(at).RemoveObject(*pBefore);
        }
        m_context.Frame(at).AddObject(kept);
        return kept;
    };
    switch (frame.m_nFrameEffect) {
        case kEffectFadeIn: {
            CSwfRectangle* pLast = nullptr;
            for (uint32_t k = 0; k < n && first + k < end; ++k) {
                pLast = &cover(first + k, 255 - int32_t(255 * k / n), pLast);
            }
            if (pLast != nullptr) {
                m_context.Frame(std::min(end, first + n)).RemoveObject(*pLast);
            }
            break;
        }
        case kEffectFadeOut: {
            const uint32_t m = std::max<uint32_t>(2, n);
            const uint32_t start = end > m ? std::max(first, end - m) : first;
            CSwfRectangle* pLast = nullptr;
            for (uint32_t k = 0; start + k < end; ++k) {
                pLast =
                    &cover(start + k, int32_t(std::min<uint32_t>(255, 255 * k / (m - 1))), pLast);
            }
            if (pLast != nullptr) {
                m_context.Frame(end).RemoveObject(*pLast);
            }
            break;
        }
        case kEffectSweepingHighlight:
            AddSweep(frame, first, std::min(end, first + n));
            break;
        case kEffectTransitionalFadesStart:
            m_bCrossFades = true;
            break;
        case kEffectTransitionalFadesStop:
            m_bCrossFades = false;
            break;
        default:
            break;
    }
}

void CEffectsStep::AddSweep(const CFrameInfo& frame, uint32_t first, uint32_t end) {
    if (end <= first) {
        return;
    }
    const SMovieGeometry& g = m_context.geometry;
    const SAreaPosition& area = m_context.area;
    // A band of two strips, fading in and out towards its middle, turned by 45 degrees and moved
    // from before the top-left corner to past the bottom-right one.
    const double W = g.nWidth;
    const double H = g.nHeight;
    // Strips of a whole even number of pixels meet without a seam.
    const int32_t halfWidth = std::max(4, int32_t(std::max(W, H) / 12));
    const double strip = 2.0 * halfWidth;
    const double length = 2 * std::max(W, H) + 2 * strip;
    const int32_t halfStrip = g.U(halfWidth);
    const int32_t halfLength = g.U(int32_t(length / 2));
    const CSwfColor clear = SwfColorFromRef(uint32_t(frame.m_crFrameEffect), 0);
    const CSwfColor strong = SwfColorFromRef(uint32_t(frame.m_crFrameEffect), 150);
    CSwfRectangle* strips[2];
    for (int i = 0; i < 2; ++i) {
        auto shape =
            std::make_unique<CSwfRectangle>(-halfStrip, -halfLength, halfStrip - 1, halfLength - 1);
        shape->SetLinearGradient(i == 0 ? clear : strong, i == 0 ? strong : clear);
        shape->SetLineWidth(0);
        shape->SetRotation(45 << 16);
        shape->SetLayer(kLayerTransition);
        strips[i] = &m_context.Keep(std::move(shape));
    }
    const uint32_t n = end - first;
    const double diagonal = (W + H) / std::sqrt(2.0);
    const double from = -strip;
    const double to = diagonal + strip;
    for (uint32_t k = 0; k < n; ++k) {
        const double along = n > 1 ? from + (to - from) * k / (n - 1) : (from + to) / 2;
        for (int i = 0; i < 2; ++i) {
            const double centre = (along + (i == 0 ? -strip / 2 : strip / 2)) / std::sqrt(2.0);
            strips[i]->SetTranslate(int32_t(std::lround((area.nX + centre) * g.nTwips)),
                                    int32_t(std::lround((area.nY + centre) * g.nTwips)));
            CSwfFrame& at = m_context.Frame(first + k);
            if (k > 0) {
                at.RemoveObject(*strips[i]);
            }
            at.AddObject(*strips[i]);
        }
    }
    for (CSwfRectangle* pStrip : strips) {
        m_context.Frame(end).RemoveObject(*pStrip);
    }
    m_context.nLastEffectFrame = std::max(m_context.nLastEffectFrame, end);
}
