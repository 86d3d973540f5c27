#include "project/ops/RemoveDeletedFrames.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>

#include "platform/Prompter.h"
#include "project/model/DemoProject.h"
#include "project/ops/StreamReencoder.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/PictureBlock.h"
#include "project/stream/StreamFile.h"

namespace {

using TClock = std::chrono::steady_clock;

// The recorded area of a frame within the compositor's picture.
void CopyWindow(const CPixelPicture& canvas, int nX, int nY, int nWidth, int nHeight,
                std::vector<uint32_t>& out) {
    out.assign(static_cast<size_t>(nWidth) * nHeight, 0);
    for (int y = 0; y < nHeight && nY + y < canvas.m_nHeight; ++y) {
        for (int x = 0; x < nWidth && nX + x < canvas.m_nWidth; ++x) {
            out[static_cast<size_t>(y) * nWidth + x] =
                canvas.m_Pixels[static_cast<size_t>(nY + y) * canvas.m_nWidth + nX + x];
        }
    }
}

// Puts a frame's recorded area back into a picture at (nX, nY).
void PasteWindow(const std::vector<uint32_t>& window, int nX, int nY, int nWidth, int nHeight,
                 CPixelPicture& canvas) {
    for (int y = 0; y < nHeight && nY + y < canvas.m_nHeight; ++y) {
        for (int x = 0; x < nWidth && nX + x < canvas.m_nWidth; ++x) {
            canvas.m_Pixels[static_cast<size_t>(nY + y) * canvas.m_nWidth + nX + x] =
                window[static_cast<size_t>(y) * nWidth + x];
        }
    }
}

// A pan picture replaces the whole desktop when its frame is applied.
void PutPanPicture(const std::vector<uint8_t>& block, CPixelPicture& canvas) {
    CPixelPicture desktop;
    if (!DecodePictureBlock(block, desktop)) {
        return;
    }
    for (int y = 0; y < std::min(desktop.m_nHeight, canvas.m_nHeight); ++y) {
        for (int x = 0; x < std::min(desktop.m_nWidth, canvas.m_nWidth); ++x) {
            canvas.m_Pixels[static_cast<size_t>(y) * canvas.m_nWidth + x] =
                desktop.m_Pixels[static_cast<size_t>(y) * desktop.m_nWidth + x] & 0xFFFFFF;
        }
    }
}

// A kept frame whose sound owner was left out takes over the owner's sound.
void TakeOverSound(CFrameRecord& frame, const CFrameRecord& owner) {
    frame.m_pszSound = owner.m_pszSound;
    frame.m_pszSoundRel = owner.m_pszSoundRel;
    frame.m_nSoundLen = owner.m_nSoundLen;
    frame.m_nSoundRelLen = owner.m_nSoundRelLen;
    frame.m_bPlaySound = owner.m_bPlaySound;
    frame.m_nSoundParamA = owner.m_nSoundParamA;
    frame.m_nSoundParamB = owner.m_nSoundParamB;
    frame.m_nSoundParamC = owner.m_nSoundParamC;
    frame.m_fSoundParamD = owner.m_fSoundParamD;
    frame.m_nSoundParamE = owner.m_nSoundParamE;
}

}  // namespace

bool RemoveDeletedFrames(CDemoProject& project, const std::vector<const CStreamFile*>& sources,
                         IPrompter& prompter, const SNewProjectOptions& options) {
    std::vector<bool> kept;
    int64_t nLastKept = -1;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        kept.push_back(f->m_bDeleted == 0);
        if (kept.back()) {
            nLastKept = static_cast<int64_t>(kept.size()) - 1;
        }
    }
    if (nLastKept < 0) {
        prompter.Warning(kNothingToKeep, kNothingToKeepCaption);
        return false;
    }
    const std::vector<std::string> inUse = FilesInUse(options, StreamFileNames(project));
    if (RefusePresetOverInput(options.outputName, inUse, prompter)) {
        return false;
    }

    CDemoProject built;
    CopyProjectSetup(project, built);
    CStreamReencoder encoder(built);
    const int nWidth = project.m_nWidth;
    const int nHeight = project.m_nHeight;
    if (!encoder.Begin(options.tempDir, nWidth, nHeight, options.bZlibPixels)) {
        prompter.Error(kTempFileFailed, kQuilloErrorCaption);
        return false;
    }

    CFrameCompositor compositor(project);
    compositor.SetSources(sources);
    compositor.Options().bOutputRunning = true;
    const std::vector<uint32_t> pictures = StreamPictures(project);
    const CFrameNumberMap numbers(kept);

    CProgressScope progress(prompter, kRemovingCaption);
    progress.Set(0);
    auto lastRefresh = TClock::now();

    // What the new stream shows so far. Changes are found against it rather than against the
    // previous kept picture: in a pan recording the left-out frames may have changed parts of
    // the desktop that the new stream never wrote.
    CPixelPicture written;
    std::vector<uint32_t> oldWindow;
    std::vector<uint32_t> newWindow;
    std::vector<uint8_t> records;
    std::map<const CFrameInfo*, CFrameInfo*> owners;  // old owner -> its kept heir
    bool bFirst = true;
    const uint32_t nFrames = project.FrameCount();
    uint32_t nIndex = 0;
    for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext, ++nIndex) {
        compositor.GoToFrame(nIndex);
        if (TClock::now() - lastRefresh > std::chrono::milliseconds(500)) {
            lastRefresh = TClock::now();
            progress.Set(static_cast<int>(uint64_t{nIndex} * 100 / nFrames));
        }
        if (progress.Cancelled()) {
            encoder.Discard();
            return false;
        }
        if (!kept[nIndex]) {
            continue;
        }
        const CPixelPicture& canvas = compositor.Picture();
        const bool bPan = canvas.m_nWidth != nWidth || canvas.m_nHeight != nHeight;
        const int nX = compositor.OriginX();
        const int nY = compositor.OriginY();
        // The first kept frame starts the desktop from the first frame's pan picture.
        const std::optional<std::vector<uint8_t>>& pan =
            bFirst && !f->m_pPanPicture ? project.FirstFrame()->m_pPanPicture : f->m_pPanPicture;
        if (bFirst) {
            written = CPixelPicture{canvas.m_nWidth, canvas.m_nHeight,
                                    std::vector<uint32_t>(canvas.m_Pixels.size(), 0)};
        }
        if (bPan && pan) {
            PutPanPicture(*pan, written);
        }
        CopyWindow(canvas, nX, nY, nWidth, nHeight, newWindow);
        CopyWindow(written, nX, nY, nWidth, nHeight, oldWindow);
        CStreamReencoder::SChanges changes =
            bFirst || static_cast<int64_t>(nIndex) == nLastKept
                ? encoder.Whole()
                : encoder.FindChanges(oldWindow.data(), newWindow.data());
        CFrameInfo& frame = encoder.WritePicture(oldWindow.data(), newWindow.data(), changes);
        const size_t nSource = static_cast<size_t>(std::max(0, f->m_nSource));
        if (nSource < sources.size() && sources[nSource] != nullptr &&
            ReadPictureRecords(*sources[nSource], pictures[nIndex], records)) {
            encoder.CopyCursorRecords(records, CodingOf(project, *sources[nSource]), 0, 0);
        }

        static_cast<CFrameRecord&>(frame) = *f;
        frame.m_bKeyFrame = changes.bWhole ? 1 : 0;
        frame.m_bKeyFrameNew = 0;
        frame.m_bDuplicate = 0;
        frame.m_nStreamFrame = kNoStreamFrame;
        frame.m_nSource = 0;
        frame.m_nDataStart = 0;
        frame.m_nDataEnd = 0;
        MapFrameTargets(frame, numbers);
        if (bFirst && !f->m_pPanPicture) {
            frame.m_pPanPicture = pan;
            frame.m_pPanPictureCache = project.FirstFrame()->m_pPanPictureCache;
        }
        if (const CFrameInfo* pOwner = f->m_pSyncOwner; pOwner != nullptr) {
            auto heir = owners.find(pOwner);
            if (heir == owners.end()) {
                // The first kept frame of a sound owns it in the new project.
                heir = owners.emplace(pOwner, &frame).first;
                if (pOwner != f) {
                    TakeOverSound(frame, *pOwner);
                }
            }
            frame.m_pSyncOwner = heir->second;
        }
        PasteWindow(newWindow, nX, nY, nWidth, nHeight, written);
        bFirst = false;
    }
    progress.Set(100);
    return SaveBuiltProject(built, encoder, prompter, options, inUse);
}
