#include "publish/ChapterIndex.h"

#include <algorithm>
#include <memory>
#include <string>

#include "editor/bubble/BubbleFont.h"
#include "editor/bubble/BubbleLayout.h"
#include "project/model/FrameInfo.h"
#include "publish/BubbleSprite.h"
#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "publish/ScriptBuilder.h"
#include "swf/SwfAction.h"
#include "swf/SwfButton.h"
#include "swf/SwfColor.h"
#include "swf/SwfFont.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeObject.h"
#include "swf/SwfSpriteObject.h"

namespace {

constexpr size_t kMaxEntries = 1024;
constexpr int kRollOver = 9;
constexpr int kOnRelease = 6;
constexpr int32_t kShadowOffset = 4;
constexpr int32_t kPanelMargin = 5;

// A chapter title laid out like a talk bubble with no body: the index's own colours, the
// project's bubble font, left-aligned.
CFrameInfo TitleRecord(const CFrameInfo& chapter, int32_t cx, int32_t cy) {
    CFrameInfo title;
    title.m_pText = chapter.m_pChapter.value_or(u"");
    title.m_pFormat = std::u16string();
    title.m_bCountedLines = 0;
    title.m_nBubbleStyle = kBubbleHeading;
    title.m_nTextAlign = kAlignLeft;
    title.m_crText = 0;
    title.m_crBubble = int32_t(kIndexColour);
    title.m_nPointerX = kNoPointer;
    title.m_nBubbleX = cx;
    title.m_nBubbleY = cy;
    return title;
}

CSwfRectangle& Box(SPublishContext& c, int32_t l, int32_t t, int32_t r, int32_t b, CSwfColor fill) {
    auto box = std::make_unique<CSwfRectangle>(l, t, r, b);
    box->SetFillColor(fill);
    box->SetLineWidth(0);
    return c.Keep(std::move(box));
}

// The index's place and size in one frame: SetProperty on the index timeline itself.
void Place(CSwfFrame& frame, double percent, double x, double y, int32_t twips) {
    const double unit = twips / 20.0;
    frame.AddAction(CSwfAction::SetProperty("", kPropXScale, FormatSwfFixed(percent)));
    frame.AddAction(CSwfAction::SetProperty("", kPropYScale, FormatSwfFixed(percent)));
    frame.AddAction(CSwfAction::SetProperty("", kPropX, FormatSwfFixed(x * unit)));
    frame.AddAction(CSwfAction::SetProperty("", kPropY, FormatSwfFixed(y * unit)));
}

}  // namespace

std::vector<double> IndexGrowth(double collapsed) {
    std::vector<double> sizes{collapsed};
    double step = 6.0;
    while (sizes.back() < 100.0) {
        sizes.push_back(std::min(100.0, sizes.back() + step));
        step += 1.5;
    }
    return sizes;
}

void AddChapterIndexSprite(SPublishContext& c, CSwfMovie& control,
                           const std::vector<SChapterEntry>& chapters) {
    const SMovieGeometry& g = c.geometry;
    const int32_t tw = g.nTwips;
    const size_t count = std::min(chapters.size(), kMaxEntries);
    // Titles keep their size however the control sprite is scaled.
    SBubbleView view = MovieBubbleView(c);
    const double keep = g.fZoom > 0 ? 100.0 / g.fZoom : 1.0;
    view.nShownWidth = std::max(1, int32_t(view.nRecordedWidth * keep));
    view.nShownHeight = std::max(1, int32_t(view.nRecordedHeight * keep));
    // Titles are never cut for want of room on the picture: the index is as tall as they need.
    // Both heights grow alike, which keeps the font's scale.
    const int32_t taller = int32_t(count + 2) * 200 / view.nShownHeight + 1;
    view.nShownHeight *= taller;
    view.nRecordedHeight *= taller;
    const int32_t offset = tw == 10 ? 5 : tw == 5 ? 15 : 0;

    std::vector<CBubbleLayout> layouts;
    std::u16string allText;
    int32_t panelWidth = 0;
    int32_t lineHeight = 0;
    for (size_t i = 0; i < count; ++i) {
        const CFrameInfo probe = TitleRecord(*chapters[i].pFrame, 0, 0);
        const CBubbleLayout measured = LayoutBubble(c.project, probe, view);
        const int32_t height =
            std::max(1, measured.H * int32_t(std::max<size_t>(1, measured.lines.size())));
        lineHeight = std::max(lineHeight, height);
        const CFrameInfo title =
            TitleRecord(*chapters[i].pFrame, measured.W / 2 + offset + kPanelMargin,
                        height * int32_t(i) + height / 2 + kPanelMargin);
        layouts.push_back(LayoutBubble(c.project, title, view));
        panelWidth = std::max(panelWidth, measured.W + 2 * (offset + kPanelMargin));
        for (const SBubbleLine& line : layouts.back().lines) {
            allText += line.text;
        }
    }
    if (layouts.empty() || !layouts.front().pFont) {
        return;
    }
    const int32_t panelHeight = lineHeight * int32_t(count) + 2 * kPanelMargin;

    auto index = c.segments.Main().NewTimeline();
    index->SetFrameRate(c.segments.Main().FrameRate());
    CSwfFrame& first = index->GetFrame(0);
    const CFrameInfo firstTitle = TitleRecord(*chapters[0].pFrame, 0, 0);
    CSwfFont& font = c.Keep(BubbleTextFont(c.project, firstTitle, *layouts.front().pFont, allText));
    first.AddObject(font);

    CSwfRectangle& shadow =
        Box(c, kShadowOffset * tw, kShadowOffset * tw, (panelWidth + kShadowOffset) * tw - 1,
            (panelHeight + kShadowOffset) * tw - 1, {0, 0, 0, 50});
    shadow.SetLayer(1);
    first.AddObject(shadow);
    CSwfRectangle& panel =
        Box(c, 0, 0, panelWidth * tw - 1, panelHeight * tw - 1, SwfColorFromRef(kIndexColour));
    panel.SetLayer(2);
    first.AddObject(panel);

    for (size_t i = 0; i < count; ++i) {
        const CBubbleLayout& layout = layouts[i];
        const CFrameInfo look = TitleRecord(*chapters[i].pFrame, 0, 0);
        SBubbleLook how;
        how.pFont = &font;
        auto title = std::make_unique<CSwfSpriteObject>(BuildBubbleTimeline(c, look, layout, how));
        title->SetLayer(3);
        first.AddObject(c.Keep(std::move(title)));

        const int32_t top = kPanelMargin + lineHeight * int32_t(i);
        auto state = [&](int alpha) -> CSwfObject& {
            return Box(c, 0, top * tw, panelWidth * tw - 1, (top + lineHeight) * tw - 1,
                       {255, 255, 255, uint8_t(alpha)});
        };
        CSwfObject& up = state(0);
        CSwfObject& over = state(96);
        CSwfObject& down = state(160);
        CSwfObject& hit = state(0);
        auto button = std::make_unique<CSwfButton>(up, over, down, hit);
        const int32_t position = int32_t(chapters[i].nMovieFrame) + 1;
        button->AddAction(CSwfAction::SetVariable("/control:position", position), kOnRelease);
        button->AddAction(CSwfAction::SetVariable("/control:keep_playing", "1"), kOnRelease);
        button->AddAction(CSwfAction::SetVariable("/control:seek_flag", "1"), kOnRelease);
        button->AddAction(CSwfAction::Play(), kOnRelease);
        button->SetLayer(4);
        first.AddObject(c.Keep(std::move(button)));
    }

    // Open at (10, 20); collapsed in the bottom-left corner of the picture.
    const double collapsed = std::max(3000.0 / panelWidth, 1500.0 / panelHeight) * g.fZoom / 100.0;
    const double openX = 10, openY = 20;
    const double shutX = 20;
    const double shutY = g.nHeight - 10 - panelHeight * std::min(collapsed, 100.0) / 100.0;
    auto placeAt = [&](CSwfFrame& frame, double percent) {
        const double t = collapsed < 100.0 ? (100.0 - percent) / (100.0 - collapsed) : 0.0;
        Place(frame, percent, openX + (shutX - openX) * t, openY + (shutY - openY) * t, tw);
    };
    for (uint32_t f = 0; f <= kIndexOpenFrames; ++f) {
        placeAt(index->GetFrame(f), 100.0);
    }
    // While the movie is paused the index stays open.
    CScriptBuilder open;
    CScriptBuilder back;
    back.Goto(1).Play();
    open.Get("/control:playing").Code(kActionNot).IfTrue(std::move(back));
    open.AddTo(index->GetFrame(kIndexOpenFrames));

    const std::vector<double> growth = IndexGrowth(std::min(collapsed, 100.0));
    uint32_t f = kIndexOpenFrames + 1;
    for (auto it = growth.rbegin() + 1; it != growth.rend(); ++it) {
        placeAt(index->GetFrame(f++), *it);
    }
    const uint32_t rest = f - 1;
    index->GetFrame(rest).AddAction(CSwfAction::Stop());
    // Collapsed, the whole index is one transparent button that opens it on roll-over.
    CSwfObject& cover = Box(c, 0, 0, panelWidth * tw - 1, panelHeight * tw - 1, {255, 255, 255, 0});
    auto opener = std::make_unique<CSwfButton>(cover, cover, cover, cover);
    opener->AddAction(CSwfAction::Play(), kRollOver);
    opener->SetLayer(5);
    CSwfButton& openButton = c.Keep(std::move(opener));
    index->GetFrame(rest).AddObject(openButton);
    index->GetFrame(rest + 1).RemoveObject(openButton);
    for (auto it = growth.begin() + 1; it != growth.end(); ++it) {
        placeAt(index->GetFrame(f++), *it);
    }
    CScriptBuilder again;
    again.Goto(1).Play();
    again.AddTo(index->GetFrame(f - 1));

    auto sprite = std::make_unique<CSwfSpriteObject>(std::move(index), CSwfString("chapterbox"));
    sprite->SetLayer(kLayerChapterIndex);
    control.GetFrame(0).AddObject(c.Keep(std::move(sprite)));
}
