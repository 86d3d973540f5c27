#include "project/file/ProjectFile.h"

#include <cstring>
#include <unordered_map>

#include "platform/Prompter.h"
#include "project/file/FrameItems.h"
#include "project/file/FrameRecordImage.h"
#include "project/file/FrameUpgrade.h"
#include "project/file/ProjectFileSupport.h"
#include "project/file/TrailerSettings.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameTiming.h"
#include "project/model/ProjectDefaults.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/PictureScan.h"
#include "project/stream/StreamFile.h"
#include "project/stream/StreamFormat.h"

using namespace projectfile;
namespace fs = std::filesystem;

namespace {

// The profile of a sound: its name without the extension followed by "_denoise.dat".
std::string ProfileName(const std::string& sound) {
    std::string base = sound;
    std::size_t slash = base.find_last_of("/\\");
    std::size_t dot = base.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot != std::string::npos) {
        base.resize(dot);
    }
    return base + "_denoise.dat";
}

// Replaces the frame's sound parameters by its profile file, when there is one.
void ReadProfile(CFrameRecord& f, const std::string& projectFolder) {
    std::vector<std::string> candidates;
    if (f.m_pszSoundRel) {
        std::string rel = *f.m_pszSoundRel;
        candidates.push_back(fs::path(rel).is_absolute() ? rel : projectFolder + rel);
    }
    candidates.push_back(*f.m_pszSound);
    for (const std::string& sound : candidates) {
        if (!IsReadableFile(ProfileName(sound))) {
            continue;
        }
        TFile file(std::fopen(ProfileName(sound).c_str(), "rb"));
        auto size = FileSize(file.get());
        if (!size) {
            continue;
        }
        CStoreReader in(file.get(), 0, *size);
        std::int32_t a = 0, b = 0, c = 0, e = 0;
        double d = 0;
        if (in.Int(a) && in.Int(c) && in.Int(b) && in.Float(d) && in.Int(e)) {
            f.m_nSoundParamA = a;
            f.m_nSoundParamB = b;
            f.m_nSoundParamC = c;
            f.m_fSoundParamD = static_cast<float>(d);
            f.m_nSoundParamE = e;
        }
        return;
    }
}

}  // namespace

// Everything Open reads before it replaces the project's content.
struct CProjectFile::SOpenState {
    int nVersion = 0;
    bool bCorrupted = false;
    bool bOldRecordSize = false;
    std::int32_t nWidth = kDefaultRecordingWidth;
    std::int32_t nHeight = kDefaultRecordingHeight;
    bool bZlib = false;
    std::vector<std::uint32_t> histogram = std::vector<std::uint32_t>(kColorHistogramSize, 0);
    std::vector<std::unique_ptr<CFrameInfo>> frames;
    std::vector<std::uint32_t> syncGroups;
    CCursorImageTable cursors;
    CProjectSettings settings;
    std::string projectFolder;
};

// ---------------------------------------------------------------------------------------------
// Reading

bool CProjectFile::ReadCursorTable(CStoreReader& in, int version, SOpenState& state) {
    std::int32_t present = 0;
    if (!in.Int(present)) {
        return false;
    }
    state.cursors = CCursorImageTable();
    if (present != 1) {
        return true;
    }
    std::int32_t width = 0, height = 0, count = 0;
    in.Int(width);
    in.Int(height);
    in.Int(count);
    if (!in.Ok() || width < 0 || height < 0 || count < 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxCursorPixels) {
        in.Fail();
        return false;
    }
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    // Each picture takes its pixels and at least three line feeds.
    if (static_cast<std::uint64_t>(count) * (pixels * 4 + 3) > in.Remaining()) {
        in.Fail();
        return false;
    }
    state.cursors.m_bPresent = true;
    state.cursors.m_nWidth = width;
    state.cursors.m_nHeight = height;
    for (std::int32_t i = 0; i < count && in.Ok(); ++i) {
        CCursorImage image;
        std::int32_t handle = 0;
        in.Int(handle);
        image.m_hCursor = static_cast<std::uint32_t>(handle);
        in.Int(image.m_nHotX);
        in.Int(image.m_nHotY);
        image.m_pPixels.resize(static_cast<std::size_t>(pixels));
        for (std::uint32_t& px : image.m_pPixels) {
            in.U32(px);
            if (px == kCursorPixelInvert) {
                image.m_bInverts = 1;
            }
        }
        if (version > 743) {
            in.IntAs(image.m_nSource);
        }
        state.cursors.Add(std::move(image));
    }
    return in.Ok();
}

bool CProjectFile::ReadTrailer(CStoreReader& in, SOpenState& st) {
    std::int16_t major = 0, minor = 0;
    if (!in.I16(major) || !in.I16(minor)) {
        return false;
    }
    st.nVersion = major * 100 + minor;
    if (st.nVersion < kOldestVersion || st.nVersion > kLaterVersionLast) {
        return false;
    }
    for (std::uint32_t& c : st.settings.m_customColours) {
        in.U32(c);
    }
    for (std::uint32_t& h : st.histogram) {
        in.U32(h);
    }
    std::int32_t recordSize = 0;
    if (st.nVersion <= 102) {
        recordSize = 108;
    } else if (st.nVersion <= 104) {
        recordSize = 120;
    } else if (st.nVersion == 105) {
        recordSize = 140;
    } else {
        in.I32(recordSize);
    }
    if (!in.Ok()) {
        return false;
    }
    if (recordSize < 108 || recordSize > static_cast<std::int32_t>(kFrameRecordSize)) {
        // The records cannot be told apart: every stream picture gets a frame of its own.
        st.bOldRecordSize = true;
        st.nVersion = 100;
        return true;
    }
    const int v = st.nVersion;
    bool firstHasPan = false;
    for (std::int32_t number = 1;; ++number) {
        TFrameRecordImage image{};
        if (!in.Bytes(image.data(), static_cast<std::size_t>(recordSize))) {
            return false;
        }
        auto frame = std::make_unique<CFrameInfo>();
        SFrameRecordLinks links = ReadFrameRecordImage(image, *frame);
        if (!ReadFrameItems(in, *frame, v <= 209)) {
            return false;
        }
        if (number == 1) {
            firstHasPan = frame->m_pPanPicture.has_value();
        }
        SFrameUpgradeContext context;
        context.nVersion = v;
        context.nRecordSize = static_cast<std::size_t>(recordSize);
        context.nFrameNumber = number;
        context.bHasSyncOwner = links.nSyncGroup != 0;
        context.bFirstFrameHasPan = firstHasPan;
        context.nWidth = st.nWidth;
        context.nHeight = st.nHeight;
        if (frame->m_pszSound && m_hooks.soundLengthMs) {
            context.nSoundLengthMs = m_hooks.soundLengthMs(*frame->m_pszSound);
        }
        UpgradeFrameRecord(*frame, context);
        ClipZoomRegion(*frame, st.nWidth, st.nHeight);
        if (frame->m_pszSound) {
            if (!frame->m_pszSoundRel) {
                frame->m_pszSoundRel = RelativeName(*frame->m_pszSound, st.projectFolder);
                frame->m_nSoundRelLen = static_cast<std::int32_t>(frame->m_pszSoundRel->size());
            }
            ReadProfile(*frame, st.projectFolder);
        }
        st.syncGroups.push_back(links.nSyncGroup);
        st.frames.push_back(std::move(frame));
        if (!links.bHasNext) {
            break;
        }
    }
    if (!ReadSettingsHead(in, st.settings)) {
        return false;
    }
    if (v > 102 && !ReadCursorTable(in, v, st)) {
        return false;
    }
    return ReadSettingsTail(in, v, st.settings);
}

bool CProjectFile::Open(const std::string& fileName) {
    m_failure = EOpenFailure::CannotOpen;
    TFile file(std::fopen(fileName.c_str(), m_hooks.bReadOnly ? "rb" : "r+b"));
    auto size = FileSize(file.get());
    if (!size) {
        return false;
    }
    m_failure = EOpenFailure::Damaged;
    SOffsetTable table;
    if (!ReadOffsetTable(file.get(), *size, table)) {
        return false;
    }
    SOpenState st;
    st.projectFolder = FolderOf(fileName);
    st.bCorrupted = !table.bFinished;
    // The settings start from a fresh project's; what an older file lacks keeps them.
    {
        CDemoProject fresh;
        StoreProjectDefaults(fresh);
        st.settings = fresh.m_Settings;
    }
    const std::uint64_t dataEnd = st.bCorrupted ? *size : table.nTrailerPos;
    auto stream = std::make_unique<CStreamFile>();
    const bool streamOpen = stream->OpenInFile(fileName, table.nDataStart,
                                               dataEnd - std::min(dataEnd, table.nDataStart), 0,
                                               table.nPictures, table.bWide, table.nWrapFrame);
    if (!st.bCorrupted) {
        CStoreReader in(file.get(), table.nTrailerPos, *size);
        // The version is checked before the stream, so a later file is refused as such.
        std::int16_t major = 0, minor = 0;
        if (in.I16(major) && in.I16(minor)) {
            int version = major * 100 + minor;
            if (version >= kLaterVersionFirst && version <= kLaterVersionLast) {
                m_failure = EOpenFailure::LaterVersion;
                m_prompter.Error(kLaterVersion, "File Open Error");
                return false;
            }
        }
        if (!streamOpen) {
            m_failure = EOpenFailure::NotAProject;
            return false;
        }
        st.nWidth = stream->Header().nWidth;
        st.nHeight = stream->Header().nHeight;
        st.bZlib = stream->Header().bZlibPixels;
        in.Seek(table.nTrailerPos);
        if (!ReadTrailer(in, st)) {
            return false;
        }
    } else if (!streamOpen) {
        return false;
    } else {
        st.bZlib = stream->Header().bZlibPixels;
    }

    // Everything has been read: the project takes the new content.
    CDemoProject& p = m_project;
    p.ClearFrames();
    p.m_nStreamFrames = 0;
    p.m_nStreamPos = 0;
    p.m_bCorrupted = st.bCorrupted;
    p.m_bOldRecordSize = st.bOldRecordSize;
    p.m_bZlibPixels = st.bZlib;
    p.m_nWidth = st.nWidth;
    p.m_nHeight = st.nHeight;
    p.m_ColorHistogram = std::move(st.histogram);
    p.m_CursorImages = std::move(st.cursors);
    p.m_Settings = std::move(st.settings);
    LoadProjectDefaults(p);
    if (st.bCorrupted) {
        p.m_b24BitColor = true;
    }
    if (st.bCorrupted || st.bOldRecordSize) {
        for (std::uint32_t i = 0; i < table.nPictures; ++i) {
            CFrameInfo& f = p.AppendCapturedFrame();
            f.m_nDuration = kCorruptedDuration;
            f.m_nRecordedDuration = kCorruptedDuration;
        }
    } else {
        std::unordered_map<std::uint32_t, CFrameInfo*> owners;
        for (std::size_t i = 0; i < st.frames.size(); ++i) {
            CFrameInfo& f = p.AppendFrame(std::move(st.frames[i]));
            f.m_pSyncOwner = nullptr;
            const std::uint32_t group = st.syncGroups[i];
            if (st.nVersion > 428 && group != 0) {
                auto [it, inserted] = owners.emplace(group, &f);
                f.m_pSyncOwner = it->second;
            }
        }
        p.m_nStreamFrames = table.nPictures;
    }
    p.m_pFile = TFileHandle(file.release());
    p.m_pszFileName = fileName;
    p.m_nDataAreaPos = static_cast<int64_t>(table.nDataStart);
    p.m_bWideOffsets = table.bWide;
    p.m_nWrapFrame = table.nWrapFrame;
    m_table = table;
    m_nFileVersion = st.bCorrupted ? 0 : st.nVersion;
    m_streams.clear();
    m_streams.push_back(std::move(stream));
    m_failure = EOpenFailure::None;
    OpenSources(st.projectFolder);
    if (st.bCorrupted) {
        FindCorruptedSize(fileName);
    }
    if (st.bOldRecordSize && m_hooks.askRecordingSize) {
        m_hooks.askRecordingSize(p.m_nWidth, p.m_nHeight);
    }
    FinishOpen(fileName);
    return true;
}

void CProjectFile::OpenSources(const std::string& projectFolder) {
    CDemoProject& p = m_project;
    p.m_Sources.clear();
    bool refused = false;
    for (SSourceProject& src : p.m_Settings.m_sources) {
        CStreamSource source;
        std::string found;
        if (!refused) {
            for (const std::string& name :
                 {src.m_strPath, fs::path(src.m_strRelative).is_absolute()
                                     ? src.m_strRelative
                                     : projectFolder + src.m_strRelative}) {
                if (!name.empty() && IsReadableFile(name)) {
                    found = name;
                    break;
                }
            }
            while (found.empty()) {
                char text[4096];
                std::snprintf(text, sizeof text, kMissingSource, src.m_strPath.c_str());
                m_prompter.Warning(text, "Quillo File Not Found");
                auto located =
                    m_prompter.AskOpenName({"Open", src.m_strPath, "Quillo file (*.lumo)"});
                if (!located) {
                    refused = true;
                    break;
                }
                if (IsReadableFile(*located)) {
                    found = *located;
                    src.m_strPath = found;
                    src.m_strRelative = RelativeName(found, projectFolder);
                }
            }
        }
        auto stream = std::make_unique<CStreamFile>();
        if (!found.empty()) {
            TFile f(std::fopen(found.c_str(), "rb"));
            auto size = FileSize(f.get());
            SOffsetTable table;
            if (size && ReadOffsetTable(f.get(), *size, table)) {
                std::uint64_t end = table.bFinished ? table.nTrailerPos : *size;
                if (stream->OpenInFile(found, table.nDataStart,
                                       end - std::min(end, table.nDataStart), 0, table.nPictures,
                                       table.bWide, table.nWrapFrame)) {
                    source.m_pszFileName = found;
                    source.m_pFile = TFileHandle(f.release());
                    source.m_nDataAreaPos = static_cast<int64_t>(table.nDataStart);
                    source.m_bWideOffsets = table.bWide;
                    source.m_nWrapFrame = table.nWrapFrame;
                    p.m_nStreamFrames += table.nPictures;
                }
            }
        }
        m_streams.push_back(std::move(stream));
        p.m_Sources.push_back(std::move(source));
    }
}

void CProjectFile::FindCorruptedSize(const std::string& fileName) {
    CDemoProject& p = m_project;
    const std::uint32_t nFrames = p.FrameCount();
    const CStreamFile* stream = m_streams.empty() ? nullptr : m_streams[0].get();
    if (nFrames == 0 || stream == nullptr) {
        return;
    }
    const EPixelCoding coding =
        stream->Header().bZlibPixels ? EPixelCoding::Zlib32 : EPixelCoding::Rle24;

    // The key-frame file: "%d %d" width and height, then one flag per frame but the last. Only a
    // file with a flag for each of those frames describes this project.
    std::int32_t fileWidth = 0, fileHeight = 0;
    std::vector<std::uint8_t> keyFrames;
    if (IsReadableFile(KeyFrameFileName(fileName))) {
        TFile f(std::fopen(KeyFrameFileName(fileName).c_str(), "rb"));
        if (f && std::fscanf(f.get(), "%d %d", &fileWidth, &fileHeight) == 2) {
            int flag = 0;
            while (keyFrames.size() + 1 < nFrames && std::fscanf(f.get(), "%d", &flag) == 1) {
                keyFrames.push_back(flag == 1 ? 1 : 0);
            }
        }
    }
    const bool bFileFlags = keyFrames.size() + 1 == nFrames;

    std::int32_t width = 0, height = 0;
    std::vector<SPictureScan> scans;
    if (bFileFlags) {
        // The last key frame's first pixel rectangle spans the whole area.
        for (std::uint32_t i = static_cast<std::uint32_t>(keyFrames.size()); i-- > 0;) {
            if (keyFrames[i] == 0) {
                continue;
            }
            const SPictureScan key = ScanPicture(*stream, i, coding);
            if (key.bComplete && !key.pixelRects.empty() && key.pixelRects[0].rect.nLeft == 0 &&
                key.pixelRects[0].rect.nTop == 0 && key.pixelRects[0].rect.Valid()) {
                width = key.pixelRects[0].rect.nRight + 1;
                height = key.pixelRects[0].rect.nBottom + 1;
            }
            break;
        }
        if (width <= 0 && fileWidth > 0 && fileHeight > 0) {
            width = fileWidth;
            height = fileHeight;
        }
    } else {
        // Without the file every picture is read: the recording covers every rectangle written
        // into it, and its first picture covers the whole of it.
        scans.reserve(nFrames);
        for (std::uint32_t i = 0; i < nFrames; ++i) {
            scans.push_back(ScanPicture(*stream, i, coding));
            if (scans.back().bComplete) {
                width = std::max(width, scans.back().MaxRight() + 1);
                height = std::max(height, scans.back().MaxBottom() + 1);
            }
        }
    }
    if (width <= 0 || height <= 0) {
        width = stream->Header().nWidth;
        height = stream->Header().nHeight;
    }
    p.m_nWidth = width;
    p.m_nHeight = height;

    // A key frame replaces the whole picture in either direction; the walks start from such
    // frames and skip what lies before them. The last frame is one only when its picture says
    // so: a file cut short ends wherever the recording was.
    std::uint32_t index = 0;
    for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext, ++index) {
        if (index + 1 < nFrames && bFileFlags) {
            f->m_bKeyFrame = keyFrames[index];
        } else {
            const SPictureScan scan =
                index < scans.size() ? scans[index] : ScanPicture(*stream, index, coding);
            f->m_bKeyFrame = scan.CoversWholeArea(width, height) ? 1 : 0;
        }
    }
}

std::string CProjectFile::KeyFrameFileName(const std::string& projectFile) {
    return FolderOf(projectFile) + StemOf(projectFile) + ".keyframes";
}

bool CProjectFile::WriteKeyFrameFile() const {
    const CDemoProject& p = m_project;
    CStoreWriter out;
    out.Int(p.m_nWidth);
    out.Int(p.m_nHeight);
    for (const CFrameInfo* f = p.FirstFrame(); f != nullptr && f->m_pNext != nullptr;
         f = f->m_pNext) {
        out.Int(f->m_bKeyFrame != 0 ? 1 : 0);
    }
    TFile file(std::fopen(KeyFrameFileName(p.m_pszFileName).c_str(), "wb"));
    return file && WriteAll(file.get(), out.Data().data(), out.Size()) &&
           std::fflush(file.get()) == 0;
}

void CProjectFile::LeaveProject() const {
    if (m_project.m_bCorrupted && !m_project.m_pszFileName.empty()) {
        WriteKeyFrameFile();
    }
}

void CProjectFile::FinishOpen(const std::string& fileName) {
    CDemoProject& p = m_project;
    if (m_hooks.bExportTimingData && m_hooks.readTimingData) {
        m_hooks.readTimingData(p, fileName);
    }
    if (m_hooks.applyCustomDefaults) {
        m_hooks.applyCustomDefaults(p);
    }
    UpdateStartTimes(p);
    p.SetCurrentFrame(0);
    if (m_hooks.addRecentFile) {
        m_hooks.addRecentFile(fileName);
    }
}

void RegisterFollowingPictures(const CDemoProject& project, CFrameCompositor& compositor) {
    uint32_t index = 0;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext, ++index) {
        if (f->m_pPicture && f->m_bPictureFollowing != 0 && f->m_bPictureLayer != 0) {
            compositor.RegisterLayer(f, index);
        }
    }
}
