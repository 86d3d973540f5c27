#include "publish/PictureStep.h"

#include <algorithm>

#include "imaging/ChangeFinder.h"
#include "project/stream/FrameCompositor.h"
#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "swf/SwfBitmapRect.h"

CPictureStep::CPictureStep(SPublishContext& context) : m_context(context) {}

void CPictureStep::Prepare() {
    const CPublishSettings& settings = m_context.settings;
    m_random.Seed(1234);
    m_bTransparency = settings.m_bAdvancedCompression && !settings.m_bVideoExport &&
                      (!settings.m_bCreateWebPage || settings.m_nDisplayWidth == 0);
    m_canvas.Allocate(m_context.nPictureWidth, m_context.nPictureHeight);
    m_pBitmaps = std::make_unique<CFrameBitmaps>(m_context.geometry.nTwips, settings.JpegQuality(),
                                                 m_context.prompter);
    if (const int32_t k = settings.PaletteSize(); k > 10) {
        m_pColors = std::make_unique<CPublishColorTable>();
        m_pColors->Build(m_context.project, m_context.compositor, uint32_t(k));
        m_pBitmaps->SetColorTable(m_pColors.get());
    }
}

void CPictureStep::TakeShownPicture() {
    const CPixelPicture& shown = m_context.compositor.ShownPicture();
    if (shown.m_nWidth == m_canvas.nWidth && shown.m_nHeight == m_canvas.nHeight) {
        m_canvas.current = shown.m_Pixels;
    }
}

void CPictureStep::StartSegment() {
    m_placed.clear();
    m_bRedrawWhole = true;
}

void CPictureStep::Release() {
    m_canvas = SPublishCanvas();
    m_pBitmaps->ClearCaches();
}

SRect CPictureStep::Widened(SRect rc) const {
    const int32_t W = m_canvas.nWidth;
    const int32_t H = m_canvas.nHeight;
    if (rc.left == 0) {
        rc.right += 4;
    } else if (rc.right == W - 1) {
        rc.left -= 4;
    } else {
        rc.left -= 2;
        rc.right += 2;
    }
    rc.top -= 1;
    rc.bottom += 1;
    rc.left = std::max(0, rc.left);
    rc.top = std::max(0, rc.top);
    rc.right = std::min(W - 1, rc.right);
    rc.bottom = std::min(H - 1, rc.bottom);
    return rc;
}

bool CPictureStep::IsNoise(const SRect& rc) const {
    const uint32_t filter = m_context.settings.m_nNoiseFilter;
    if (filter == 0) {
        return false;
    }
    uint32_t changed = 0;
    for (int32_t y = rc.top; y <= rc.bottom; ++y) {
        const size_t row = size_t(y) * m_canvas.nWidth;
        for (int32_t x = rc.left; x <= rc.right; ++x) {
            changed += m_canvas.current[row + x] != m_canvas.previous[row + x] ? 1 : 0;
        }
    }
    return changed <= filter;
}

void CPictureStep::RemovePlacedIf(CSwfFrame& at, const std::function<bool(const SPlaced&)>& which) {
    std::erase_if(m_placed, [&](const SPlaced& placed) {
        const bool remove = which(placed);
        if (remove) {
            at.RemoveObject(*placed.pObject);
        }
        return remove;
    });
}

void CPictureStep::RemoveCovered(const SRect& rc, CSwfFrame& at) {
    RemovePlacedIf(at, [&](const SPlaced& placed) {
        return placed.rc.left >= rc.left && placed.rc.top >= rc.top &&
               placed.rc.right <= rc.right && placed.rc.bottom <= rc.bottom;
    });
}

void CPictureStep::RemovePlacements(const CSwfObject& object, CSwfFrame& at) {
    RemovePlacedIf(at, [&](const SPlaced& placed) { return placed.pObject == &object; });
}

CSwfBitmapRect* CPictureStep::Place(SPlacement how) {
    const int32_t W = m_canvas.nWidth;
    const int32_t H = m_canvas.nHeight;
    const bool whole = how.bWhole || m_bRedrawWhole;
    std::vector<SRect> rects;
    if (whole) {
        rects.push_back({0, 0, W - 1, H - 1});
    } else {
        CChangeFinder finder(m_canvas.previous.data(), m_canvas.current.data(), W, H);
        rects = finder.FindChanges();
    }
    m_bRedrawWhole = false;
    const int32_t twips = m_context.geometry.nTwips;
    const uint32_t at = m_context.nNextFrame;
    const uint32_t fadeFrames = how.nFadeFrames;
    CSwfBitmapRect* pDeferred = nullptr;
    for (SRect rc : rects) {
        if (!whole && IsNoise(rc)) {
            continue;
        }
        const bool transparency = m_bTransparency && !how.bZoomed;
        if (!transparency && !how.bZoomed) {
            rc = Widened(rc);
        }
        const bool placedAsIs = !how.bDefer && fadeFrames <= 1;
        SMadeBitmap made = m_pBitmaps->Make(rc, m_canvas, transparency, m_random, placedAsIs);
        CSwfBitmapRect& bitmap = made.pNew ? m_context.Keep(std::move(made.pNew)) : *made.pShared;
        bitmap.SetLayer(kLayerPicture);
        CSwfFrame& first = m_context.Frame(at);
        if (made.pShared) {
            // The shape may still show from an earlier placement; that one ends here, so the new
            // placement lies above whatever was placed since.
            RemovePlacements(bitmap, first);
        }
        CSwfBitmapRect* pShown = &bitmap;
        if (how.bDefer) {
            pDeferred = &bitmap;
        } else if (fadeFrames > 1) {
            // The copies fade in over the fade length, each removed when the next one shows;
            // the first emits the bitmap the others share.
            for (uint32_t k = 1; k <= fadeFrames; ++k) {
                CSwfBitmapRect& copy =
                    k == 1 ? bitmap
                           : m_context.Keep(std::make_unique<CSwfBitmapRect>(
                                 rc.left * twips, rc.top * twips, (rc.right + 1) * twips - 1,
                                 (rc.bottom + 1) * twips - 1, bitmap));
                copy.SetLayer(kLayerPicture);
                const int32_t alpha = int32_t(std::min<uint32_t>(256, 256 * k / fadeFrames));
                copy.SetColorTransform(false, true, 256, 256, 256, alpha, 0, 0, 0, 0);
                m_context.Frame(at + k - 1).AddObject(copy);
                if (k < fadeFrames) {
                    m_context.Frame(at + k).RemoveObject(copy);
                }
                pShown = &copy;
            }
            m_context.nLastEffectFrame = std::max(m_context.nLastEffectFrame, at + fadeFrames - 1);
        } else {
            first.AddObject(bitmap);
        }
        // Covered bitmaps go once the new one shows fully.
        CSwfFrame& covered =
            m_context.Frame(at + (fadeFrames > 1 && !how.bDefer ? fadeFrames - 1 : 0));
        if (!bitmap.HasAlpha()) {
            RemoveCovered(rc, covered);
        }
        m_placed.push_back({pShown, rc});
    }
    return pDeferred;
}
