#include "project/ops/CombineProjects.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "platform/Prompter.h"
#include "project/model/DemoProject.h"
#include "project/ops/StreamReencoder.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;

struct SInput {
    std::string fileName;
    CDemoProject project;
    std::unique_ptr<CProjectFile> file;
    std::unique_ptr<CFrameCompositor> compositor;
    bool bPan = false;
    uint32_t nPictures = 0;
};

// Shifts a position unless it holds a "none" value.
void Shift(int32_t& n, int d, int32_t nNone) {
    if (n != nNone) {
        n += d;
    }
}

void Shift(int16_t& n, int d, int16_t nNone) {
    if (n != nNone) {
        n = static_cast<int16_t>(n + d);
    }
}

void ShiftRect(SRect& rc, int nDx, int nDy) {
    rc.left += nDx;
    rc.right += nDx;
    rc.top += nDy;
    rc.bottom += nDy;
}

void MoveOverlays(CFrameRecord& f, int nDx, int nDy) {
    f.m_nBubbleX += nDx;
    f.m_nBubbleY += nDy;
    if (f.m_nPointerX != kNoPointer) {
        f.m_nPointerX += nDx;
        f.m_nPointerY += nDy;
    }
    ShiftRect(f.m_rcZoom, nDx, nDy);
    ShiftRect(f.m_rcHotspot, nDx, nDy);
    Shift(f.m_nCursorX, nDx, kCursorUnknown);
    Shift(f.m_nCursorY, nDy, kCursorUnknown);
    Shift(f.m_nRecCursorX, nDx, kCursorUnknown);
    Shift(f.m_nRecCursorY, nDy, kCursorUnknown);
    Shift(f.m_nCursorEndX, nDx, kCursorEndNone);
    Shift(f.m_nCursorEndY, nDy, kCursorEndNone);
}

void ShiftTargets(CFrameRecord& f, int32_t nBefore) {
    for (int32_t* p : {&f.m_nFrameGotoFrame, &f.m_nHotspotGotoFrame, &f.m_nHotspotUntilFrame,
                       &f.m_nBubbleUntilFrame}) {
        if (*p > 0) {
            *p += nBefore;
        }
    }
    f.m_nPictureUntil += nBefore;
}

std::string Stem(const std::string& file) {
    return fs::path(file).stem().string();
}

// The recorded area of a frame, placed at (nDx, nDy) in a window of the combined size.
void PlaceWindow(const CFrameCompositor& compositor, int nWidth, int nHeight, int nDx, int nDy,
                 int nOutWidth, int nOutHeight, std::vector<uint32_t>& out) {
    const CPixelPicture& canvas = compositor.Picture();
    out.assign(static_cast<size_t>(nOutWidth) * nOutHeight, 0);
    for (int y = 0; y < nHeight && y + nDy < nOutHeight; ++y) {
        const int nSrcY = compositor.OriginY() + y;
        if (nSrcY >= canvas.m_nHeight) {
            break;
        }
        for (int x = 0; x < nWidth && x + nDx < nOutWidth; ++x) {
            const int nSrcX = compositor.OriginX() + x;
            if (nSrcX >= canvas.m_nWidth) {
                break;
            }
            out[static_cast<size_t>(y + nDy) * nOutWidth + x + nDx] =
                canvas.m_Pixels[static_cast<size_t>(nSrcY) * canvas.m_nWidth + nSrcX];
        }
    }
}

class CCombiner {
public:
    CCombiner(IPrompter& prompter, const SNewProjectOptions& options, bool bEditingOnly)
        : m_Prompter(prompter), m_Options(options), m_bEditingOnly(bEditingOnly) {}

    bool Run(const std::vector<std::string>& files);

private:
    bool OpenAll(const std::vector<std::string>& files);
    bool Append(SInput& input, uint32_t nFramesBefore, int16_t nCursorTagBase);
    void MergeCursorTable(const SInput& input, int16_t nTagBase);
    void AddSources(const SInput& input);
    bool Cancelled();

    IPrompter& m_Prompter;
    const SNewProjectOptions& m_Options;
    bool m_bEditingOnly;
    std::vector<std::unique_ptr<SInput>> m_Inputs;
    CDemoProject m_Built;
    std::unique_ptr<CStreamReencoder> m_pEncoder;
    std::unique_ptr<CProgressScope> m_pProgress;
    TClock::time_point m_LastRefresh = TClock::now();
    int m_nWidth = 0;
    int m_nHeight = 0;
    uint32_t m_nFramesDone = 0;
    uint32_t m_nFramesTotal = 0;
    int32_t m_nSourceBase = 1;
    std::vector<uint32_t> m_Previous;
    std::vector<uint32_t> m_Window;
    std::vector<uint8_t> m_Records;
    bool m_bFirstPicture = true;
};

bool CCombiner::Cancelled() {
    if (TClock::now() - m_LastRefresh > std::chrono::milliseconds(500)) {
        m_LastRefresh = TClock::now();
        m_pProgress->Set(static_cast<int>(uint64_t{m_nFramesDone} * 100 /
                                          std::max<uint32_t>(1, m_nFramesTotal)));
    }
    return m_pProgress->Cancelled();
}

bool CCombiner::OpenAll(const std::vector<std::string>& files) {
    for (const std::string& name : files) {
        auto input = std::make_unique<SInput>();
        input->fileName = fs::absolute(name).lexically_normal().string();
        // Each project is read as it opens by itself, its timing data included.
        SProjectFileHooks hooks;
        hooks.bReadOnly = true;
        hooks.bExportTimingData = m_Options.hooks.bExportTimingData;
        hooks.readTimingData = m_Options.hooks.readTimingData;
        input->file = std::make_unique<CProjectFile>(input->project, m_Prompter, hooks);
        if (!input->file->Open(input->fileName) || input->project.FrameCount() == 0) {
            char text[4096];
            std::snprintf(text, sizeof text, kCannotOpenToCombine, Stem(name).c_str());
            m_Prompter.Error(text, kCannotOpenCaption);
            return false;
        }
        input->compositor = std::make_unique<CFrameCompositor>(input->project);
        input->compositor->SetSources(input->file->StreamSources());
        input->compositor->Options().bOutputRunning = true;
        input->compositor->GoToFrame(0);
        input->bPan = input->compositor->Picture().m_nWidth > input->project.m_nWidth ||
                      input->compositor->Picture().m_nHeight > input->project.m_nHeight;
        input->nPictures = input->file->Table().nPictures;
        m_nFramesTotal += input->project.FrameCount();
        m_Inputs.push_back(std::move(input));
    }
    return true;
}

void CCombiner::MergeCursorTable(const SInput& input, int16_t nTagBase) {
    const CCursorImageTable& from = input.project.m_CursorImages;
    CCursorImageTable& to = m_Built.m_CursorImages;
    if (!from.m_bPresent) {
        return;
    }
    if (!to.m_bPresent) {
        to.m_bPresent = true;
        to.m_nWidth = from.m_nWidth;
        to.m_nHeight = from.m_nHeight;
    }
    if (to.m_nWidth != from.m_nWidth || to.m_nHeight != from.m_nHeight) {
        // Pictures of another size cannot share the table; those frames show the cursor
        // that the stream recorded.
        return;
    }
    for (CCursorImage image : from.m_Images) {
        image.m_nSource = static_cast<int16_t>(image.m_nSource + nTagBase);
        to.Add(std::move(image));
    }
}

void CCombiner::AddSources(const SInput& input) {
    const std::string folder =
        m_Options.outputName ? fs::absolute(*m_Options.outputName).parent_path().string() : "";
    auto add = [&](const std::string& path) {
        SSourceProject source;
        source.m_strPath = path;
        source.m_strRelative = folder.empty() ? fs::path(path).filename().string()
                                              : fs::path(path).lexically_relative(folder).string();
        m_Built.m_Settings.m_sources.push_back(source);
    };
    add(input.fileName);
    for (const CStreamSource& source : input.project.m_Sources) {
        add(source.m_pszFileName);
    }
    m_nSourceBase += 1 + static_cast<int32_t>(input.project.m_Sources.size());
}

bool CCombiner::Append(SInput& input, uint32_t nFramesBefore, int16_t nCursorTagBase) {
    CDemoProject& p = input.project;
    const int nDx = std::max(0, (m_nWidth - p.m_nWidth) / 2);
    const int nDy = std::max(0, (m_nHeight - p.m_nHeight) / 2);
    const std::vector<uint32_t> pictures = StreamPictures(p);
    const std::vector<const CStreamFile*> sources = input.file->StreamSources();
    std::map<const CFrameInfo*, CFrameInfo*> owners;
    const int32_t nSourceBase = m_nSourceBase;
    uint32_t nIndex = 0;
    for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext, ++nIndex, ++m_nFramesDone) {
        if (Cancelled()) {
            return false;
        }
        CFrameInfo* pFrame = nullptr;
        if (m_bEditingOnly) {
            auto pNew = std::make_unique<CFrameInfo>(*f);
            pFrame = &m_Built.AppendFrame(std::move(pNew));
            pFrame->m_nSource = nSourceBase + std::max(0, f->m_nSource);
        } else {
            input.compositor->GoToFrame(nIndex);
            PlaceWindow(*input.compositor, p.m_nWidth, p.m_nHeight, nDx, nDy, m_nWidth, m_nHeight,
                        m_Window);
            const bool bLast = f->m_pNext == nullptr && &input == m_Inputs.back().get();
            CStreamReencoder::SChanges changes =
                m_bFirstPicture || bLast
                    ? m_pEncoder->Whole()
                    : m_pEncoder->FindChanges(m_Previous.data(), m_Window.data());
            if (m_bFirstPicture) {
                m_Previous.assign(m_Window.size(), 0);
            }
            pFrame = &m_pEncoder->WritePicture(m_Previous.data(), m_Window.data(), changes);
            const size_t nSource = static_cast<size_t>(std::max(0, f->m_nSource));
            if (nSource < sources.size() && sources[nSource] != nullptr &&
                ReadPictureRecords(*sources[nSource], pictures[nIndex], m_Records)) {
                m_pEncoder->CopyCursorRecords(m_Records, CodingOf(p, *sources[nSource]), nDx, nDy);
            }
            static_cast<CFrameRecord&>(*pFrame) = *f;
            pFrame->m_bKeyFrame = changes.bWhole ? 1 : 0;
            pFrame->m_bDuplicate = 0;
            pFrame->m_nStreamFrame = kNoStreamFrame;
            pFrame->m_nSource = 0;
            pFrame->m_nPanX = 0;
            pFrame->m_nPanY = 0;
            pFrame->m_pPanPicture.reset();
            pFrame->m_pPanPictureCache.reset();
            m_Previous.swap(m_Window);
            m_bFirstPicture = false;
        }
        CFrameInfo& frame = *pFrame;
        frame.m_nDataStart = 0;
        frame.m_nDataEnd = 0;
        frame.m_bKeyFrameNew = 0;
        if (nIndex == 0 || f->m_bKeyFrame) {
            frame.m_bRedrawAll = 1;
        }
        MoveOverlays(frame, nDx, nDy);
        ShiftTargets(frame, static_cast<int32_t>(nFramesBefore));
        frame.m_nCursorSource = static_cast<int16_t>(f->m_nCursorSource + nCursorTagBase);
        if (f->m_pSyncOwner != nullptr) {
            auto owner = owners.find(f->m_pSyncOwner);
            frame.m_pSyncOwner = owner != owners.end() ? owner->second : nullptr;
            if (f->m_pSyncOwner == f) {
                frame.m_pSyncOwner = &frame;
            }
        }
        owners[f] = &frame;
    }
    if (m_bEditingOnly) {
        AddSources(input);
    }
    return true;
}

bool CCombiner::Run(const std::vector<std::string>& files) {
    if (files.size() < 2) {
        m_Prompter.Error(kTooFewToCombine, kTooFewCaption);
        return false;
    }
    std::vector<std::string> inUse = FilesInUse(m_Options, files);
    if (RefusePresetOverInput(m_Options.outputName, inUse, m_Prompter) || !OpenAll(files)) {
        return false;
    }
    // An editing-only result reads its pictures from the sources of its inputs as well.
    for (const auto& input : m_Inputs) {
        const std::vector<std::string> names = StreamFileNames(input->project);
        inUse.insert(inUse.end(), names.begin(), names.end());
    }
    if (RefusePresetOverInput(m_Options.outputName, inUse, m_Prompter)) {
        return false;
    }
    m_pProgress = std::make_unique<CProgressScope>(m_Prompter, kCombineCaption);
    m_pProgress->Set(0);
    const bool bAnyPan = std::any_of(m_Inputs.begin(), m_Inputs.end(),
                                     [](const auto& input) { return input->bPan; });
    m_nWidth = m_Inputs.front()->project.m_nWidth;
    m_nHeight = m_Inputs.front()->project.m_nHeight;
    for (const auto& input : m_Inputs) {
        const auto& p = input->project;
        m_nWidth = bAnyPan ? std::min(m_nWidth, p.m_nWidth) : std::max(m_nWidth, p.m_nWidth);
        m_nHeight = bAnyPan ? std::min(m_nHeight, p.m_nHeight) : std::max(m_nHeight, p.m_nHeight);
    }

    CopyProjectSetup(m_Inputs.front()->project, m_Built);
    m_Built.m_CursorImages = CCursorImageTable{};
    m_pEncoder = std::make_unique<CStreamReencoder>(m_Built);
    if (!m_pEncoder->Begin(m_Options.tempDir, m_nWidth, m_nHeight, m_Options.bZlibPixels)) {
        m_pProgress.reset();
        m_Prompter.Error(kTempFileFailed, kQuilloErrorCaption);
        return false;
    }
    uint32_t nFramesBefore = 0;
    int32_t nTagBase = 0;
    for (auto& input : m_Inputs) {
        int32_t nMaxTag = 0;
        for (const CCursorImage& image : input->project.m_CursorImages.m_Images) {
            nMaxTag = std::max<int32_t>(nMaxTag, image.m_nSource);
        }
        for (const CFrameInfo* f = input->project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            nMaxTag = std::max<int32_t>(nMaxTag, f->m_nCursorSource);
        }
        MergeCursorTable(*input, static_cast<int16_t>(nTagBase));
        if (!Append(*input, nFramesBefore, static_cast<int16_t>(nTagBase))) {
            m_pEncoder->Discard();
            return false;
        }
        nFramesBefore += input->project.FrameCount();
        nTagBase += nMaxTag + 1;
    }
    m_Built.m_nWidth = m_nWidth;
    m_Built.m_nHeight = m_nHeight;
    m_pProgress->Set(100);
    m_pProgress.reset();
    return SaveBuiltProject(m_Built, *m_pEncoder, m_Prompter, m_Options, inUse);
}

}  // namespace

std::vector<std::string> DroppedProjectFiles(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& name : names) {
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".lumo") == 0) {
            out.push_back(name);
        }
    }
    return out;
}

bool CombineProjects(const std::vector<std::string>& files, bool bEditingOnly, IPrompter& prompter,
                     const SNewProjectOptions& options) {
    CCombiner combiner(prompter, options, bEditingOnly);
    return combiner.Run(files);
}
