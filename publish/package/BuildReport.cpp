#include "publish/package/BuildReport.h"

#include <cstdio>

#include "platform/TextCodec.h"
#include "project/model/DemoProject.h"
#include "project/model/TalkBubble.h"

namespace {

constexpr size_t kMaxTranscriptLine = 4096;

template <class... Args>
void Line(std::string& out, const char* format, Args... args) {
    char line[256];
    std::snprintf(line, sizeof line, format, args...);
    out += line;
}

}  // namespace

std::string BuildStatusLine(int32_t buildNumber, bool cancelled) {
    char line[64];
    std::snprintf(line, sizeof line,
                  cancelled ? "Build %d terminated by user" : "Build %d successfully completed",
                  buildNumber);
    return line;
}

std::string BuildReportText(const SBuildReport& report) {
    std::string out = report.strMoviePath + "\r\n";
    out += BuildStatusLine(report.nBuildNumber, report.bCancelled) + "\r\n";
    out += "Created at: " + report.strCreatedAt + "\r\n";
    out += "Flash player required: v6.0 or above\r\n";
    Line(out, "Size: %lld KB\r\n", static_cast<long long>(report.nSizeKB));
    Line(out, "Total frames in main movie: %lld\r\n",
         static_cast<long long>(report.nFrameRate) * report.nPlayingSeconds);
    Line(out, "Playback frame rate: %d\r\n", report.nFrameRate);
    Line(out, "Approximate playback time: %d seconds\r\n", report.nPlayingSeconds);
    if (!report.transcript.empty()) {
        out += "\r\nAnnotated text transcript:\r\n\r\n";
        for (const std::string& text : report.transcript) {
            out += text + "\r\n";
        }
    }
    return out;
}

std::vector<std::string> TalkBubbleTranscript(const CDemoProject& project) {
    std::vector<std::string> texts;
    for (const CFrameInfo* frame = project.FirstFrame(); frame != nullptr; frame = frame->m_pNext) {
        if (frame->m_bDeleted != 0) {
            continue;
        }
        const auto bubble = CTalkBubble::Of(*frame);
        if (!bubble) {
            continue;
        }
        std::string text = Utf16ToUtf8(bubble->Text());
        if (text.size() > kMaxTranscriptLine) {
            size_t cut = kMaxTranscriptLine;
            while (cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80) {
                --cut;
            }
            text.resize(cut);
        }
        texts.push_back(std::move(text));
    }
    return texts;
}
