#include "project/ops/VideoImport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/Prompter.h"
#include "platform/TextCodec.h"
#include "project/model/DemoProject.h"
#include "project/ops/StreamReencoder.h"
#include "project/stream/FrameCompositor.h"
#include "video/VideoGrabber.h"

namespace {

class CVideoImporter {
public:
    CVideoImporter(IPrompter& prompter, const SNewProjectOptions& options,
                   std::vector<std::string> inUse)
        : m_Prompter(prompter),
          m_Options(options),
          m_InUse(std::move(inUse)),
          m_Encoder(m_Project) {}

    static int Callback(double fRate, double fDone, int nWidth, int nHeight,
                        const unsigned char* pPixels, void* pUser) {
        return static_cast<CVideoImporter*>(pUser)->OnFrame(fRate, fDone, nWidth, nHeight, pPixels)
                   ? 1
                   : 0;
    }

    EVideoImport Finish() {
        if (m_bFailed) {
            m_Encoder.Discard();
            return EVideoImport::Failed;
        }
        if (m_Project.FrameCount() == 0) {
            m_Encoder.Discard();
            m_Prompter.Warning(kVideoUnreadable, kVideoCaption);
            return EVideoImport::Failed;
        }
        return SaveBuiltProject(m_Project, m_Encoder, m_Prompter, m_Options, m_InUse)
                   ? EVideoImport::Saved
                   : EVideoImport::Failed;
    }

private:
    // False ends the decoding.
    bool OnFrame(double fRate, double fDone, int nWidth, int nHeight,
                 const unsigned char* pPixels) {
        if (m_bStopped) {
            return false;
        }
        if (fRate <= 0 || pPixels == nullptr) {
            m_bStopped = true;
            return false;
        }
        if (!m_bBegun && !Begin(nWidth, nHeight)) {
            return Stop();
        }
        if (nWidth != m_Encoder.Width() || nHeight != m_Encoder.Height()) {
            char text[256];
            std::snprintf(text, sizeof text, kVideoSizeChanged, m_Encoder.Width(),
                          m_Encoder.Height(), nWidth, nHeight);
            m_Prompter.Warning(text, kVideoCaption);
            return Stop();
        }
        Convert(pPixels);
        const bool bFirst = m_Project.FrameCount() == 0;
        CStreamReencoder::SChanges changes =
            bFirst ? m_Encoder.Whole() : m_Encoder.FindChanges(m_Previous.data(), m_Current.data());
        if (!changes.rects.empty()) {
            CFrameInfo& frame =
                m_Encoder.WritePicture(m_Previous.data(), m_Current.data(), changes);
            frame.m_bKeyFrame = changes.bWhole ? 1 : 0;
        }
        // Whole hundredths go to the frame; the rest is carried so the durations add up.
        const double fTime = 100.0 / fRate + m_fCarry;
        // The small allowance keeps 3 x (100 / 30) from adding up to 9.999...
        const double fWhole = std::floor(fTime + 1e-9);
        m_fCarry = std::max(0.0, fTime - fWhole);
        if (CFrameInfo* pLast = m_Project.LastFrame()) {
            pLast->m_nDuration += static_cast<int32_t>(fWhole);
            pLast->m_nRecordedDuration += static_cast<int32_t>(fWhole);
        }
        m_Previous.swap(m_Current);
        m_Prompter.SetProgress(static_cast<int>(fDone * 100));
        if (m_Prompter.IsCancelled()) {
            return Stop();
        }
        return true;
    }

    bool Stop() {
        m_bStopped = true;
        return false;
    }

    bool Begin(int nWidth, int nHeight) {
        if (nWidth <= 0 || nHeight <= 0 || nWidth > kMaxVideoSide || nHeight > kMaxVideoSide ||
            static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nHeight) >
                CFrameCompositor::kMaxCanvasPixels) {
            char text[256];
            std::snprintf(text, sizeof text, kVideoTooLarge, nWidth, nHeight);
            m_Prompter.Warning(text, kVideoCaption);
            m_bFailed = true;
            return false;
        }
        if (!m_Encoder.Begin(m_Options.tempDir, nWidth, nHeight, m_Options.bZlibPixels)) {
            m_Prompter.Error(kVideoTempFailed, kQuilloErrorCaption);
            m_bFailed = true;
            return false;
        }
        m_bBegun = true;
        m_Previous.assign(m_Encoder.PixelCount(), 0);
        m_Current.assign(m_Encoder.PixelCount(), 0);
        return true;
    }

    // 24-bit rows bottom to top into 32-bit pixels top row first.
    void Convert(const unsigned char* pPixels) {
        const int nWidth = m_Encoder.Width();
        const int nHeight = m_Encoder.Height();
        const size_t nRow = GrabberRowBytes(nWidth);
        for (int y = 0; y < nHeight; ++y) {
            const unsigned char* p = pPixels + nRow * static_cast<size_t>(nHeight - 1 - y);
            uint32_t* pOut = m_Current.data() + static_cast<size_t>(y) * nWidth;
            for (int x = 0; x < nWidth; ++x, p += 3) {
                pOut[x] = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                          (static_cast<uint32_t>(p[2]) << 16);
            }
        }
    }

    IPrompter& m_Prompter;
    const SNewProjectOptions& m_Options;
    const std::vector<std::string> m_InUse;
    CDemoProject m_Project;
    CStreamReencoder m_Encoder;
    std::vector<uint32_t> m_Previous;
    std::vector<uint32_t> m_Current;
    double m_fCarry = 0;
    bool m_bBegun = false;
    bool m_bStopped = false;
    bool m_bFailed = false;
};

bool EndsWith(const std::string& name, const char* suffix) {
    const std::string s(suffix);
    return name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
}

}  // namespace

bool IsVideoFileName(const std::string& name) {
    return !EndsWith(name, "lumo") && !EndsWith(name, "tmp");
}

EVideoImport ImportVideo(const std::string& videoFile, const CVideoGrabber& grabber,
                         IPrompter& prompter, const SNewProjectOptions& options) {
    if (!grabber.Loaded()) {
        return EVideoImport::NoGrabber;
    }
    std::vector<std::string> inUse = FilesInUse(options, {videoFile});
    if (RefusePresetOverInput(options.outputName, inUse, prompter)) {
        return EVideoImport::Failed;
    }
    CVideoImporter importer(prompter, options, std::move(inUse));
    {
        CProgressScope progress(prompter, kImportCaption);
        progress.Set(0);
        grabber.Grab(Utf8ToUtf16(videoFile).value_or(u""), &CVideoImporter::Callback, &importer);
    }
    return importer.Finish();
}
