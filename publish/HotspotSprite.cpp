#include "publish/HotspotSprite.h"

#include <filesystem>
#include <system_error>

#include "project/model/FrameInfo.h"
#include "project/stream/FrameCompositor.h"
#include "publish/HotspotStyles.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "publish/package/PackageText.h"
#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfSpriteObject.h"

namespace fs = std::filesystem;

CHotspotSprite::CHotspotSprite(SPublishContext& context) : m_context(context) {}

std::string CHotspotSprite::SpriteName(uint32_t start) {
    return "hot" + std::to_string(start);
}

std::string CHotspotSprite::CopyBesideMovie(const std::string& source, std::string& why) {
    if (auto it = m_copied.find(source); it != m_copied.end()) {
        return UrlEscape(it->second);
    }
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        why = "the file " + source + " cannot be found";
        return {};
    }
    const fs::path outDir = fs::path(m_context.settings.m_strOutputPath).parent_path();
    const fs::path wanted = fs::path(source).filename();
    // Two hotspot movies of the same name from different folders get different names.
    std::string name = wanted.string();
    for (int n = 2;; ++n) {
        bool taken = false;
        for (const auto& [from, to] : m_copied) {
            taken = taken || to == name;
        }
        if (!taken) {
            break;
        }
        name = wanted.stem().string() + "-" + std::to_string(n) + wanted.extension().string();
    }
    const fs::path target = outDir / name;
    if (!(fs::exists(target, ec) && fs::equivalent(source, target, ec))) {
        fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            why = "the file " + source + " cannot be copied to " + target.string() + ": " +
                  ec.message();
            return {};
        }
    }
    m_copied.emplace(source, name);
    return UrlEscape(name);
}

SPendingInteraction CHotspotSprite::Build(const CFrameInfo& frame, int32_t number,
                                          std::string& errors) {
    SPublishContext& c = m_context;
    const uint32_t start = c.nNextFrame;
    CMovieSegments& segments = c.segments;
    const int32_t tw = c.geometry.nTwips;

    SPendingInteraction entry;
    entry.nKind = SPendingInteraction::kHotspot;
    entry.pFrame = &frame;
    entry.pSegment = &segments.Current();
    entry.nLocalFrame = start - segments.CurrentStart();
    if (frame.m_bHotspotGoto != 0) {
        entry.nTargetFrame = frame.m_nHotspotGotoFrame;
    } else {
        entry.nTargetFrame = number + 1;
    }
    if (frame.m_bHotspotShowUntil != 0) {
        entry.nUntilFrame = frame.m_nHotspotUntilFrame + 1;
        if (frame.m_bHotspotGoto == 0) {
            entry.nTargetFrame = entry.nUntilFrame;
        }
    } else {
        entry.nUntilFrame = number + 1;
    }

    auto timeline = c.segments.Main().NewTimeline();
    timeline->SetFrameRate(uint8_t(c.settings.m_nFrameRate));
    uint32_t first = 0;
    if (frame.m_bHotspotAnimateOnHover != 0) {
        timeline->GetFrame(0).AddAction(CSwfAction::Stop());
        first = 1;
    }
    const SRect& rc = frame.m_rcHotspot;
    SHotspotLook look;
    look.nStyle = frame.m_nHotspotStyle;
    look.rc = rc;
    look.nTwips = tw;
    look.crColor = frame.m_crHotspot;
    look.nThickness = frame.m_nHotspotThickness;
    look.nLevel = frame.m_nHotspotLevel;
    look.bExact = frame.m_bHotspotRectExact != 0;
    look.nFrameRate = c.settings.m_nFrameRate;
    const CPixelPicture& recorded = c.compositor.Picture();
    look.nPictureWidth = recorded.m_nWidth;
    look.nPictureHeight = recorded.m_nHeight;
    // Only the swelling styles show the picture under the hotspot, with its cursor and edits.
    if (look.nStyle == kHotspotPulse || look.nStyle == kHotspotEnlarge) {
        look.pPicture = &c.compositor.ShownPicture().m_Pixels;
    }
    DrawHotspotAnimation(look, *timeline, first,
                         [&c](std::unique_ptr<CSwfObject> object) -> CSwfObject& {
                             return c.Keep(std::move(object));
                         });
    // The sprite has at least one frame even without a picture.
    timeline->GetFrame(0);

    if (frame.m_nHotspotStyle == kHotspotFlashMovie && frame.m_pszHotspotImage) {
        std::string why;
        entry.strLoadMovie = CopyBesideMovie(*frame.m_pszHotspotImage, why);
        if (entry.strLoadMovie.empty()) {
            errors += "The Flash movie of the hotspot on frame " + std::to_string(number) +
                      " is left out: " + why + "\n";
        }
    }

    const std::string name = SpriteName(start);
    auto& sprite =
        c.Keep(std::make_unique<CSwfSpriteObject>(std::move(timeline), CSwfString(name)));
    const uint16_t layer = frame.m_bHotspotOverText != 0 ? kLayerHotspotOverText : kLayerHotspot;
    sprite.SetLayer(layer);
    entry.pSprite = &sprite;

    // The button's states are the hotspot rectangle: invisible, but the whole rectangle is hit.
    auto state = [&]() -> CSwfObject& {
        auto shape = std::make_unique<CSwfRectangle>(rc.left * tw, rc.top * tw, rc.right * tw,
                                                     rc.bottom * tw);
        shape->SetLineWidth(0);
        shape->SetFillColor(CSwfColor(255, 255, 255, 0));
        return c.Keep(std::move(shape));
    };
    CSwfObject& up = state();
    CSwfObject& hit = state();
    auto& button = c.Keep(std::make_unique<CSwfButton>(up, up, up, hit));
    button.SetLayer(layer);
    entry.pButton = &button;
    return entry;
}
