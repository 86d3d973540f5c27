#include "project/ops/NewProject.h"

#include <unistd.h>

#include <algorithm>

#include "platform/Prompter.h"
#include "project/model/DemoProject.h"
#include "project/ops/StreamReencoder.h"
#include "project/stream/StreamFile.h"

void CopyProjectSetup(const CDemoProject& from, CDemoProject& to) {
    to.m_CursorImages = from.m_CursorImages;
    to.m_crDefaultText = from.m_crDefaultText;
    to.m_crDefaultBubble = from.m_crDefaultBubble;
    to.m_crDefaultShadow = from.m_crDefaultShadow;
    to.m_bDefaultUnderline = from.m_bDefaultUnderline;
    to.m_bDefaultShadow = from.m_bDefaultShadow;
    to.m_CurrentFont = from.m_CurrentFont;
    to.m_nDefaultBubbleStyle = from.m_nDefaultBubbleStyle;
    to.m_DefaultStyle = from.m_DefaultStyle;
    to.m_nDefaultHotspotStyle = from.m_nDefaultHotspotStyle;
    to.m_crDefaultHotspot = from.m_crDefaultHotspot;
    to.m_nDefaultHotspotThickness = from.m_nDefaultHotspotThickness;
    to.m_nDefaultHotspotLevel = from.m_nDefaultHotspotLevel;
    to.m_rcDefaultHotspot = from.m_rcDefaultHotspot;
    to.m_rcDefaultZoom = from.m_rcDefaultZoom;
    to.m_bDefaultSingleFrameSound = from.m_bDefaultSingleFrameSound;
    to.m_crDefaultFrameEffect = from.m_crDefaultFrameEffect;
    to.m_fSwfDelayScale = from.m_fSwfDelayScale;
    to.m_Settings = from.m_Settings;
    to.m_Settings.m_sources.clear();
}

std::vector<uint32_t> StreamPictures(const CDemoProject& project) {
    std::vector<uint32_t> out;
    std::vector<uint32_t> next;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        if (f->m_bDuplicate) {
            out.push_back(f->m_nStreamFrame);
            continue;
        }
        const size_t nSource = static_cast<size_t>(std::max(0, f->m_nSource));
        if (next.size() <= nSource) {
            next.resize(nSource + 1, 0);
        }
        out.push_back(next[nSource]++);
    }
    return out;
}

EPixelCoding CodingOf(const CDemoProject& project, const CStreamFile& stream) {
    if (stream.Header().bZlibPixels) {
        return EPixelCoding::Zlib32;
    }
    return project.m_b24BitColor ? EPixelCoding::Rle24 : EPixelCoding::Rle15;
}

bool ReadPictureRecords(const CStreamFile& stream, uint32_t nPicture, std::vector<uint8_t>& out) {
    uint64_t nStart = 0;
    uint64_t nEnd = 0;
    bool bCut = false;
    out.clear();
    return stream.PictureRange(nPicture, nStart, nEnd, bCut) && stream.ReadData(nStart, nEnd, out);
}

CFrameNumberMap::CFrameNumberMap(const std::vector<bool>& kept) {
    int32_t nLast = 0;
    for (bool bKept : kept) {
        if (bKept) {
            nLast = ++m_nNewCount;
        }
        m_New.push_back(std::max(nLast, 1));
    }
}

int32_t CFrameNumberMap::Map(int32_t nOld) const {
    if (nOld < 1) {
        return nOld;
    }
    if (static_cast<size_t>(nOld) > m_New.size()) {
        return std::max(m_nNewCount, 1);
    }
    return m_New[static_cast<size_t>(nOld) - 1];
}

void MapFrameTargets(CFrameRecord& frame, const CFrameNumberMap& map) {
    frame.m_nFrameGotoFrame = map.Map(frame.m_nFrameGotoFrame);
    frame.m_nHotspotGotoFrame = map.Map(frame.m_nHotspotGotoFrame);
    frame.m_nHotspotUntilFrame = map.Map(frame.m_nHotspotUntilFrame);
    frame.m_nBubbleUntilFrame = map.Map(frame.m_nBubbleUntilFrame);
    frame.m_nPictureUntil = map.MapIndex(frame.m_nPictureUntil);
}

std::vector<std::string> FilesInUse(const SNewProjectOptions& options,
                                    const std::vector<std::string>& inputs) {
    std::vector<std::string> out = inputs;
    out.insert(out.end(), options.inUse.begin(), options.inUse.end());
    return out;
}

std::vector<std::string> StreamFileNames(const CDemoProject& project) {
    std::vector<std::string> out;
    if (!project.m_pszFileName.empty()) {
        out.push_back(project.m_pszFileName);
    }
    for (const CStreamSource& source : project.m_Sources) {
        if (!source.m_pszFileName.empty()) {
            out.push_back(source.m_pszFileName);
        }
    }
    for (const SSourceProject& source : project.m_Settings.m_sources) {
        out.push_back(source.m_strPath);
    }
    return out;
}

bool SaveBuiltProject(CDemoProject& built, CStreamReencoder& encoder, IPrompter& prompter,
                      const SNewProjectOptions& options, const std::vector<std::string>& inUse) {
    SCaptureFiles files;
    const bool bStopped = encoder.Stop(files);
    bool bSaved = false;
    if (!bStopped) {
        prompter.Error(kTempFileFailed, kQuilloErrorCaption);
    } else {
        built.m_b24BitColor = true;
        CProjectFile file(built, prompter, options.hooks);
        bSaved = file.SaveNewRecording(files, options.outputName, inUse);
    }
    ::unlink(files.dataPath.c_str());
    ::unlink(files.indexPath.c_str());
    return bSaved;
}
