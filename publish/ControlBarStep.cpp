#include "publish/ControlBarStep.h"

#include <QImage>
#include <string>
#include <vector>

#include "project/model/DemoProject.h"
#include "project/model/FrameInfo.h"
#include "publish/MovieLayers.h"
#include "publish/PublishContext.h"
#include "publish/PublishSettings.h"
#include "publish/ScriptBuilder.h"
#include "publish/SeekControl.h"
#include "publish/controlbar/ControlBarBuilder.h"
#include "publish/controlbar/StartButton.h"
#include "swf/SwfAction.h"
#include "swf/SwfBitmapRect.h"
#include "swf/SwfSpriteObject.h"

namespace {

enum : int { kPropFramesLoaded = 12 };

bool MovieHasSound(const CDemoProject& project, const CPublishSettings& settings) {
    if (settings.m_bSpeakText) {
        return true;
    }
    for (const CFrameInfo* p = project.FirstFrame(); p != nullptr; p = p->m_pNext) {
        const CFrameInfo& frame = *p;
        if ((frame.HasSound() && frame.m_bPlaySound != 0) || frame.m_bSpeak != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

CControlBarStep::CControlBarStep(SPublishContext& context) : m_context(context) {}

CControlBarStep::~CControlBarStep() = default;

SBarSize CControlBarStep::SizeFor(const CPublishSettings& settings, int32_t width) {
    return SizeBar(width, BarStyleOf(settings.m_nControlBarStyle),
                   settings.m_bControlBar && !settings.m_bVideoExport);
}

void CControlBarStep::Prepare() {
    const SMovieGeometry& g = m_context.geometry;
    m_size = SizeFor(m_context.settings, g.nWidth);
    m_pControl = m_context.segments.Main().NewTimeline();
    m_pControl->SetStageSize(g.StageWidth(), g.StageHeight());
    m_pControl->SetFrameRate(m_context.segments.Main().FrameRate());
    const std::string zoom = FormatSwfFixed(g.fZoom);
    CSwfFrame& first = m_context.segments.Main().GetFrame(0);
    first.AddAction(CSwfAction::SetProperty("control", kPropXScale, zoom));
    first.AddAction(CSwfAction::SetProperty("control", kPropYScale, zoom));
    // The movie plays from its first frame unless the start button holds it.
    first.AddAction(CSwfAction::SetVariable("/control:playing", "1"));
    if (m_size.nHeight > 0 && m_context.settings.m_bVolume) {
        CScriptBuilder sound;
        sound.Push("GlobalSound").PushInt(0).Push("Sound").Code(kActionNewObject);
        sound.Code(kActionSetVariable);
        sound.AddTo(first);
    }
    if (m_size.nHeight > 0 && m_context.settings.m_bControlsAtTop &&
        !m_context.settings.m_bControlsOverDemo) {
        // The picture moves down under the bar, the control sprite stays at the top.
        const int32_t offset = g.nBarHeight * g.nTwips / 20;
        first.AddAction(CSwfAction::SetProperty("", kPropY, FormatSwfInteger(offset)));
        first.AddAction(CSwfAction::SetProperty("control", kPropY, FormatSwfInteger(-offset)));
    }
}

void CControlBarStep::AddControl() {
    const CMovieSegments& segments = m_context.segments;
    std::vector<uint32_t> starts;
    for (uint32_t k = 1; k < segments.Count(); ++k) {
        starts.push_back(segments.StartOf(k));
    }
    const uint32_t firstSplit = starts.empty() ? 0 : starts.front();
    m_pControl->GetFrame(0);
    if (m_size.nHeight > 0) {
        AddBar(starts, firstSplit);
    } else {
        // Without a visible bar the control sprite only carries out seeks.
        AddSeekScript(*m_pControl, 1, starts, firstSplit);
    }
    if (m_context.settings.m_bSecureLoad) {
        AddLock();
    }
    if (WantsStartButton()) {
        const SMovieGeometry& g = m_context.geometry;
        m_pStartButton = std::make_unique<CStartButton>();
        m_pStartButton->Add(m_context.segments.Main(), g.nWidth, g.nHeight, g.nTwips,
                            BarStyleOf(m_context.settings.m_nControlBarStyle),
                            m_context.settings.m_crControlBar);
    }
    auto control = std::make_unique<CSwfSpriteObject>(std::move(m_pControl), CSwfString("control"));
    control->SetLayer(kLayerControl);
    m_context.segments.Main().GetFrame(0).AddObject(m_context.Keep(std::move(control)));
}

bool CControlBarStep::WantsStartButton() const {
    const CPublishSettings& settings = m_context.settings;
    if (settings.m_bVideoExport) {
        return false;
    }
    return settings.m_bPlayButtonAtStart ||
           (settings.m_bStartButtonForSound && MovieHasSound(m_context.project, settings));
}

void CControlBarStep::AddBar(std::vector<uint32_t> segmentStarts, uint32_t firstSplit) {
    const SMovieGeometry& g = m_context.geometry;
    const CPublishSettings& settings = m_context.settings;
    SBarInputs in;
    in.nTwips = g.nTwips;
    in.size = m_size;
    // The control sprite is scaled by the zoom, so that the bar keeps its size on the page.
    const double scale = g.fZoom > 0 ? 100.0 / g.fZoom : 1.0;
    in.nWidth = int32_t(g.nWidth * scale);
    const int32_t pictureHeight = int32_t(g.nHeight * scale);
    if (settings.m_bControlsOverDemo) {
        in.nTop = pictureHeight - m_size.Total();
    } else if (settings.m_bControlsAtTop) {
        in.nTop = 0;
    } else {
        in.nTop = pictureHeight;
    }
    in.switches = {.bInfo = settings.m_bShowInfo && !settings.m_strInfoPicture.empty(),
                   .bTime = settings.m_bShowTime,
                   .bVolume = settings.m_bVolume,
                   .bStopEnd = settings.m_bStopEnd};
    in.colors = settings.m_crControlBar;
    in.nTotalFrames = std::max(1u, m_context.nNextFrame);
    in.nFrameRate = settings.m_nFrameRate;
    in.bContinuePlaying = settings.m_bContinuePlaying;
    in.segmentStarts = std::move(segmentStarts);
    in.nFirstSplit = firstSplit;
    m_pBuilder = std::make_unique<CControlBarBuilder>();
    m_pBuilder->BuildBar(*m_pControl, in);
}

void CControlBarStep::AddLock() {
    // Two frames after the control sprite's own: the first loops back unless locked, the second
    // holds the playing segment until the locked movie has loaded more than two frames.
    const uint32_t a = std::max(2u, m_pControl->FrameCount());
    CScriptBuilder loop;
    loop.Goto(0).Play();
    CScriptBuilder first;
    first.Get("locked").Code(kActionNot).IfTrue(std::move(loop));
    first.AddTo(m_pControl->GetFrame(a));

    CScriptBuilder loaded;
    loaded.Set("/control:playing", "1").Play().Target("").Set("locked", "0");
    CScriptBuilder waiting;
    waiting.Stop();
    CScriptBuilder hold;
    hold.Set("/control:playing", "0").TargetOf("playing_movie");
    hold.PushInt(2).Get("/control:locked_movie").PushInt(kPropFramesLoaded);
    hold.Code(kActionGetProperty).Code(kActionLess);
    hold.IfElse(std::move(loaded), std::move(waiting));
    hold.Target("").Goto(uint16_t(a)).Play();
    hold.AddTo(m_pControl->GetFrame(a + 1));
}

void CControlBarStep::AddInfoBox() {
    const CPublishSettings& settings = m_context.settings;
    if (m_size.nHeight == 0 || !settings.m_bShowInfo || settings.m_strInfoPicture.empty()) {
        return;
    }
    QImage picture(QString::fromStdString(settings.m_strInfoPicture));
    if (picture.isNull() || picture.width() > 0x3FFF || picture.height() > 0x3FFF) {
        return;
    }
    const bool alpha = picture.hasAlphaChannel();
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    const int32_t w = picture.width();
    const int32_t h = picture.height();
    std::vector<uint32_t> argb;
    argb.reserve(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
        argb.insert(argb.end(), row, row + w);
    }
    const SMovieGeometry& g = m_context.geometry;
    const int32_t left = std::max(0, (g.nWidth - w) / 2);
    const int32_t top = std::max(0, (g.nHeight - h) / 2);
    auto bitmap = CSwfDefineBitsLossless::TrueColor(uint16_t(w), uint16_t(h), argb, alpha);
    auto& rect = m_context.Keep(std::make_unique<CSwfBitmapRect>(
        g.U(left), g.U(top), g.U(left + w) - 1, g.U(top + h) - 1, std::move(bitmap)));
    // Frame 0 hides the panel, frame 1 shows it; the bar's info button plays from one to the
    // other.
    auto timeline = m_context.segments.Main().NewTimeline();
    CScriptBuilder stop;
    stop.Stop();
    stop.AddTo(timeline->GetFrame(0));
    timeline->GetFrame(1).AddObject(rect);
    CScriptBuilder stay;
    stay.Stop();
    stay.AddTo(timeline->GetFrame(1));
    auto sprite = std::make_unique<CSwfSpriteObject>(std::move(timeline), CSwfString("infobox"));
    sprite->SetLayer(kLayerPicture);
    m_context.segments.Main().GetFrame(0).AddObject(m_context.Keep(std::move(sprite)));
}
