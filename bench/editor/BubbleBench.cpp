// Laying out and drawing talk bubbles of three lines over a picture of the recorded size, as the
// preview does for every shown frame and the publisher for every bubble.
#include <benchmark/benchmark.h>

#include <QImage>
#include <memory>
#include <string>

#include "editor/bubble/BubbleDraw.h"
#include "editor/bubble/BubbleGui.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"

namespace {

constexpr int kBubbles = 1000;

void BM_LayoutAndDrawBubbles(benchmark::State& state) {
    if (!EnsureBubbleGui()) {
        state.SkipWithError("no GUI application for fonts");
        return;
    }
    CDemoProject project;
    project.m_nWidth = 1024;
    project.m_nHeight = 768;
    for (int i = 0; i < kBubbles; ++i) {
        auto frame = std::make_unique<CFrameInfo>();
        const std::u16string number = QString::number(i).toStdU16String();
        frame->m_pFormat = EncodeBubbleLines(
            {u"Click the Save button " + number, u"to keep your changes", u"and go on."});
        frame->m_bCountedLines = 1;
        frame->m_nBubbleStyle = static_cast<uint8_t>(i % 7);
        frame->m_nBubbleX = 200 + i % 600;
        frame->m_nBubbleY = 150 + i % 400;
        frame->m_nPointerX = i % 2 == 0 ? 900 : kNoPointer;
        frame->m_nPointerY = 700;
        frame->m_crBubble = 0xC2FFFF;
        frame->m_bShadow = 1;
        frame->m_bUnderline = static_cast<uint8_t>(i % 2);
        project.AppendFrame(std::move(frame));
    }
    SBubbleView view;
    view.nShownWidth = view.nRecordedWidth = project.m_nWidth;
    view.nShownHeight = view.nRecordedHeight = project.m_nHeight;
    QImage picture(project.m_nWidth, project.m_nHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (auto _ : state) {
        for (const CFrameInfo* frame = project.FirstFrame(); frame != nullptr;
             frame = frame->m_pNext) {
            benchmark::DoNotOptimize(DrawBubble(project, *frame, view, picture));
        }
    }
    state.counters["us_per_bubble"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBubbles * 1e-6,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LayoutAndDrawBubbles)->Unit(benchmark::kMillisecond);

}  // namespace
