#include "publish/HotspotStyles.h"

#include <algorithm>
#include <cmath>

#include "project/model/FrameInfo.h"
#include "swf/SwfAction.h"
#include "swf/SwfBitmapRect.h"
#include "swf/SwfBitmapTags.h"
#include "swf/SwfColor.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"

namespace {

constexpr int32_t kUnit = 0x10000;  // 16.16 scale of 1

// Draws the frames of one hotspot: each step shows its object for one frame.
class CHotspotTimeline {
public:
    CHotspotTimeline(const SHotspotLook& look, CSwfMovie& timeline, uint32_t first,
                     const KeepObject& keep)
        : m_look(look), m_timeline(timeline), m_nFirst(first), m_keep(keep) {}

    void Draw();

private:
    int32_t Tw() const { return m_look.nTwips; }
    CSwfColor Color(int32_t alpha) const {
        return SwfColorFromRef(uint32_t(m_look.crColor), uint8_t(std::clamp(alpha, 0, 255)));
    }
    // R shrunk by 2 pixels, right and bottom then increased by 1.
    SRect Inner() const {
        const SRect& r = m_look.rc;
        return {r.left + 2, r.top + 2, r.right - 1, r.bottom - 1};
    }
    CSwfShapeObject& Keep(std::unique_ptr<CSwfShapeObject> shape) {
        shape->SetLineWidth(0);
        return static_cast<CSwfShapeObject&>(m_keep(std::move(shape)));
    }
    CSwfShapeObject& FilledRect(const SRect& rc, int32_t alpha) {
        CSwfShapeObject& shape = Keep(std::make_unique<CSwfRectangle>(
            rc.left * Tw(), rc.top * Tw(), rc.right * Tw(), rc.bottom * Tw()));
        shape.SetFillColor(Color(alpha));
        return shape;
    }
    // Shows the objects at `frame` and, unless they stay, removes them in the next one.
    void Step(uint32_t frame, std::initializer_list<CSwfObject*> objects, bool stays = false) {
        for (CSwfObject* object : objects) {
            m_timeline.GetFrame(frame).AddObject(*object);
            if (!stays) {
                m_timeline.GetFrame(frame + 1).RemoveObject(*object);
            }
        }
    }
    void LoopAt(uint32_t frame, uint32_t to) {
        CSwfFrame& at = m_timeline.GetFrame(frame);
        at.AddAction(CSwfAction::GotoFrame(uint16_t(to)));
        at.AddAction(CSwfAction::Play());
    }
    void StopAt(uint32_t frame) { m_timeline.GetFrame(frame).AddAction(CSwfAction::Stop()); }

    void Glow();
    void Pulse(bool once);
    // The 41 alpha steps of the bands from `from`; returns the frame after them.
    uint32_t BandAlphas(uint32_t from, bool oval);
    void Band(bool oval, bool zoom);
    std::unique_ptr<CSwfShapeObject> BandShape(bool oval) const;
    void Ripple();
    void Shade();
    void Highlight();

    const SHotspotLook& m_look;
    CSwfMovie& m_timeline;
    uint32_t m_nFirst;
    const KeepObject& m_keep;
};

void CHotspotTimeline::Draw() {
    switch (m_look.nStyle) {
        case kHotspotRipple:
            Ripple();
            break;
        case kHotspotGlow:
            Glow();
            break;
        case kHotspotPulse:
        case kHotspotEnlarge:
            Pulse(m_look.nStyle == kHotspotEnlarge);
            break;
        case kHotspotOval:
        case kHotspotOblong:
            Band(m_look.nStyle == kHotspotOval, false);
            break;
        case kHotspotZoomOval:
        case kHotspotZoomOblong:
            Band(m_look.nStyle == kHotspotZoomOval, true);
            break;
        case kHotspotShade:
            Shade();
            break;
        case kHotspotHighlight:
            Highlight();
            break;
        default:
            break;
    }
}

void CHotspotTimeline::Glow() {
    uint32_t at = m_nFirst;
    const SRect rc = Inner();
    for (int32_t d = 0; d <= 2432; d += 128) {
        Step(at++, {&FilledRect(rc, d / 20)});
    }
    for (int32_t d = 2304; d >= 128; d -= 128) {
        Step(at++, {&FilledRect(rc, d / 20)});
    }
    LoopAt(at, m_nFirst);
}

void CHotspotTimeline::Pulse(bool once) {
    const SRect& r = m_look.rc;
    SRect rc{r.left + 2, r.top + 2, r.right - 2, r.bottom - 1};
    if ((rc.right - rc.left) % 2 != 0) {
        ++rc.right;
    }
    rc.left = std::max(rc.left, 0);
    rc.top = std::max(rc.top, 0);
    rc.right = std::min(rc.right, m_look.nPictureWidth);
    rc.bottom = std::min(rc.bottom, m_look.nPictureHeight);
    const int32_t w = rc.right - rc.left;
    const int32_t h = rc.bottom - rc.top;
    const std::vector<uint32_t>* picture = m_look.pPicture;
    if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF || !picture ||
        picture->size() < size_t(m_look.nPictureWidth) * size_t(m_look.nPictureHeight)) {
        return;
    }
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            pixels[size_t(y) * w + x] =
                (*picture)[size_t(rc.top + y) * m_look.nPictureWidth + rc.left + x] | 0xFF000000u;
        }
    }
    auto& bitmap = static_cast<CSwfBitmapRect&>(m_keep(std::make_unique<CSwfBitmapRect>(
        rc.left, rc.top, rc.right - 1, rc.bottom - 1,
        CSwfDefineBitsLossless::TrueColor(uint16_t(w), uint16_t(h), pixels, false))));
    bitmap.SetLineWidth(0);
    const double cx = rc.left + w / 2.0;
    const double cy = rc.top + h / 2.0;
    uint32_t at = m_nFirst;
    auto show = [&](int32_t step) {
        const double grow = step * 0.015;
        const auto scale = int32_t(Tw() * (1.0 + grow) * kUnit);
        bitmap.SetScale(scale, scale);
        bitmap.SetTranslate(int32_t(-grow * Tw() * cx), int32_t(-grow * Tw() * cy));
        m_timeline.GetFrame(at).AddObject(bitmap);
        m_timeline.GetFrame(at + 1).RemoveObject(bitmap);
        ++at;
    };
    for (int32_t step = 0; step < 20; ++step) {
        show(step);
    }
    if (once) {
        // The picture stays enlarged: the last step is not removed.
        m_timeline.GetFrame(at - 1).AddAction(CSwfAction::Stop());
    }
    for (int32_t step = 18; step >= 1; --step) {
        show(step);
    }
    LoopAt(at, m_nFirst);
}

std::unique_ptr<CSwfShapeObject> CHotspotTimeline::BandShape(bool oval) const {
    const SRect& r = m_look.rc;
    const int32_t left = r.left + 2;
    const int32_t top = r.top + 2;
    const int32_t w = (r.right - 2) - left;
    const int32_t h = (r.bottom - 2) - top;
    const int32_t tw = Tw();
    const int32_t b = HotspotBandWidth(w, h, m_look.nThickness) * tw;
    std::unique_ptr<CSwfPath> path;
    if (oval) {
        const int32_t rx = w / 2 * tw;
        const int32_t ry = h / 2 * tw;
        const int32_t cx = left * tw + rx;
        path = std::make_unique<CSwfPath>(cx, top * tw);
        // The outer ellipse clockwise, the inner one against it, so that only the band is filled.
        path->CurveTo(rx, 0, 0, ry);
        path->CurveTo(0, ry, -rx, 0);
        path->CurveTo(-rx, 0, 0, -ry);
        path->CurveTo(0, -ry, rx, 0);
        path->LineTo(0, b);
        const int32_t ix = rx - b;
        const int32_t iy = ry - b;
        path->CurveTo(-ix, 0, 0, iy);
        path->CurveTo(0, iy, ix, 0);
        path->CurveTo(ix, 0, 0, -iy);
        path->CurveTo(0, -iy, -ix, 0);
        path->LineTo(0, -b);
    } else {
        const int32_t ow = (w + 1) * tw;
        const int32_t oh = (h + 1) * tw;
        path = std::make_unique<CSwfPath>(left * tw, top * tw);
        path->LineTo(ow, 0);
        path->LineTo(0, oh);
        path->LineTo(-ow, 0);
        path->LineTo(0, -oh);
        path->LineTo(b, b);
        path->LineTo(0, oh - 2 * b);
        path->LineTo(ow - 2 * b, 0);
        path->LineTo(0, -(oh - 2 * b));
        path->LineTo(-(ow - 2 * b), 0);
        path->LineTo(-b, -b);
    }
    return path;
}

uint32_t CHotspotTimeline::BandAlphas(uint32_t from, bool oval) {
    uint32_t at = from;
    for (int32_t k = 0; k <= 40; ++k) {
        const int32_t a = k <= 20 ? 205 * k : 8200 - 205 * k;
        CSwfShapeObject& band = Keep(BandShape(oval));
        band.SetFillColor(Color(a / 20 + 50));
        Step(at++, {&band});
    }
    return at;
}

void CHotspotTimeline::Band(bool oval, bool zoom) {
    uint32_t at = m_nFirst;
    if (zoom) {
        const SRect& r = m_look.rc;
        const int32_t left = r.left + 2;
        const int32_t top = r.top + 2;
        const int32_t w = std::max((r.right - 2) - left, 1);
        const int32_t h = std::max((r.bottom - 2) - top, 1);
        const double f = 1.3 * std::max(m_look.nPictureWidth / w, m_look.nPictureHeight / h);
        double z = 200;
        double j = 200;
        while (j >= 1) {
            z = j > 5 ? j : z - 1;
            if (z < 0) {
                break;
            }
            const double scale = 1 + z * f * 0.005;
            CSwfShapeObject& band = Keep(BandShape(oval));
            band.SetFillColor(Color(int32_t((200 - z) * 0.2 + 10)));
            band.SetScale(int32_t(scale * kUnit), int32_t(scale * kUnit));
            band.SetTranslate(int32_t(-(left + w / 2) * (scale - 1) * Tw()),
                              int32_t(-(top + h / 2) * (scale - 1) * Tw()));
            Step(at++, {&band});
            j *= 0.75;
        }
    }
    const uint32_t cycle = at;
    LoopAt(BandAlphas(at, oval), cycle);
}

void CHotspotTimeline::Ripple() {
    SRect r = m_look.rc;
    if (!m_look.bExact) {
        const int32_t gx = (r.right - r.left) / 2;
        const int32_t gy = (r.bottom - r.top) / 2;
        r = {r.left - gx, r.top - gy, r.right + gx, r.bottom + gy};
    }
    const int32_t W = std::max(r.right - r.left, 1);
    const int32_t H = std::max(r.bottom - r.top, 1);
    double stepX = 1;
    double stepY = 1;
    if (H >= W) {
        stepY = double(H) / W;
    } else {
        stepX = double(W) / H;
    }
    const double cx = r.left + W / 2 + 1;
    const double cy = r.top + H / 2 + 1;
    const uint32_t length = std::min(W, H) < 61 ? 2 : 1;
    const int32_t tw = Tw();
    auto ellipse = [&](double rx, double ry, CSwfColor colour) -> CSwfShapeObject& {
        CSwfShapeObject& e =
            Keep(std::make_unique<CSwfEllipse>(int32_t((cx - rx) * tw), int32_t((cy - ry) * tw),
                                               int32_t((cx + rx) * tw), int32_t((cy + ry) * tw)));
        e.SetFillKind(kSwfFillNone);
        e.SetLineWidth(tw);
        e.SetLineColor(colour);
        return e;
    };
    auto ring = [&](uint32_t at, double rx, double ry) {
        const double fade = std::max(0.0, 1 - 2 * rx / W);
        CSwfShapeObject& outer = ellipse(rx + 1, ry + 1, Color(int32_t(150 * fade)));
        CSwfShapeObject& inner = ellipse(rx, ry, CSwfColor(255, 255, 255, uint8_t(255 * fade)));
        for (CSwfShapeObject* e : {&outer, &inner}) {
            m_timeline.GetFrame(at).AddObject(*e);
            m_timeline.GetFrame(at + length).RemoveObject(*e);
        }
    };
    double rx = stepX;
    double ry = stepY;
    uint32_t at = m_nFirst;
    // The first pass runs until the rings are a quarter of the width apart; the rings after it
    // are laid over the same frames, so that two rings are seen at once.
    while (rx <= W / 4.0) {
        ring(at, rx, ry);
        at += length;
        rx += stepX;
        ry += stepY;
    }
    const uint32_t reached = std::max(at, m_nFirst + length);
    for (uint32_t again = m_nFirst; again < reached && 2 * rx < W; again += length) {
        ring(again, rx, ry);
        rx += stepX;
        ry += stepY;
    }
    LoopAt(reached - 1, m_nFirst);
}

void CHotspotTimeline::Shade() {
    const SRect rc = Inner();
    const int32_t level = std::clamp(m_look.nLevel, 1, 100);
    uint32_t at = m_nFirst;
    for (int32_t t = 1; t <= 4; ++t) {
        Step(at++, {&FilledRect(rc, t * (100 - level) / 2)});
    }
    Step(at++, {&FilledRect(rc, 255 - level * 255 / 100)}, true);
    StopAt(at);
}

void CHotspotTimeline::Highlight() {
    const SRect rc = Inner();
    const int32_t level = std::clamp(m_look.nLevel, 1, 100);
    const int32_t tw = Tw();
    const int32_t wp = m_look.nPictureWidth * tw;
    const int32_t hp = m_look.nPictureHeight * tw;
    const int32_t l = rc.left * tw;
    const int32_t t = rc.top * tw;
    const int32_t r = rc.right * tw;
    const int32_t b = rc.bottom * tw;
    const int32_t n = std::max(m_look.nFrameRate * 3 / 4, 1);
    uint32_t at = m_nFirst;
    for (int32_t o = 0; o < n; ++o) {
        const int32_t alpha = (o * (100 - level) * 255 / 100) / n;
        std::vector<CSwfObject*> cover;
        for (const SRect& part : {SRect{0, 0, l, hp}, SRect{r, 0, wp, hp},
                                  SRect{l + 1, 0, r - 1, t}, SRect{l + 1, b, r - 1, hp}}) {
            CSwfShapeObject& shape =
                Keep(std::make_unique<CSwfRectangle>(part.left, part.top, part.right, part.bottom));
            shape.SetFillColor(Color(alpha));
            cover.push_back(&shape);
        }
        const bool last = o == n - 1;
        for (CSwfObject* shape : cover) {
            Step(at, {shape}, last);
        }
        ++at;
    }
    StopAt(at);
}

}  // namespace

int32_t HotspotBandWidth(int32_t w, int32_t h, int32_t thickness) {
    const int32_t limit = std::max(std::min(w, h), 0) / 2 + 1;
    const int32_t l = std::max(std::min(thickness, limit), 1);
    return l % 2 == 1 ? l : l + 1;
}

void DrawHotspotAnimation(const SHotspotLook& look, CSwfMovie& timeline, uint32_t first,
                          const KeepObject& keep) {
    CHotspotTimeline(look, timeline, first, keep).Draw();
}
