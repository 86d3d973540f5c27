#include "project/file/ProjectFile.h"

#include <chrono>

#include "platform/DiskSpace.h"
#include "platform/Prompter.h"
#include "platform/ReplacingFile.h"
#include "project/file/FrameItems.h"
#include "project/file/FrameRecordImage.h"
#include "project/file/ProjectFileSupport.h"
#include "project/file/TrailerSettings.h"
#include "project/file/WavLength.h"
#include "project/model/DemoProject.h"
#include "project/model/ProjectDefaults.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"
#include "project/stream/StreamFile.h"

using namespace projectfile;
namespace fs = std::filesystem;

namespace {
void WriteCursorTable(CStoreWriter& out, const CCursorImageTable& table) {
    out.Int(table.m_bPresent ? 1 : 0);
    if (!table.m_bPresent) {
        return;
    }
    out.Int(table.m_nWidth);
    out.Int(table.m_nHeight);
    out.Int(static_cast<std::int64_t>(table.m_Images.size()));
    const std::size_t pixels = static_cast<std::size_t>(std::max(0, table.m_nWidth)) *
                               static_cast<std::size_t>(std::max(0, table.m_nHeight));
    for (const CCursorImage& image : table.m_Images) {
        out.Int(static_cast<std::int32_t>(image.m_hCursor));
        out.Int(image.m_nHotX);
        out.Int(image.m_nHotY);
        for (std::size_t i = 0; i < pixels; ++i) {
            out.U32(i < image.m_pPixels.size() ? image.m_pPixels[i] : kCursorPixelTransparent);
        }
        out.Int(image.m_nSource);
    }
}

// A project whose frames read pictures from source projects keeps its sounds by names relative
// to its folder as well, so that it can move together with them.
void RecomputeRelativeSoundNames(CDemoProject& p, const std::string& projectFile) {
    if (p.m_Settings.m_sources.empty()) {
        return;
    }
    const std::string folder = FolderOf(projectFile);
    for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext) {
        if (f->m_pszSound) {
            f->m_pszSoundRel = RelativeName(*f->m_pszSound, folder);
        }
    }
}

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && SameInode(sa, sb);
}

bool RefusePresetOverInput(const std::optional<std::string>& presetName,
                           const std::vector<std::string>& inputs, IPrompter& prompter) {
    if (!presetName) {
        return false;
    }
    const std::string name = CProjectFile::NewRecordingName(*presetName, true);
    for (const std::string& input : inputs) {
        if (IsSameFile(name, input)) {
            prompter.Error(kInUse, kSaveCaption);
            return true;
        }
    }
    return false;
}

std::string CProjectFile::NewRecordingName(const std::string& name, bool bPreset) {
    if (!EndsWithLumo(name) && (bPreset || fs::path(name).extension().empty())) {
        return name + ".lumo";
    }
    return name;
}

CProjectFile::CProjectFile(CDemoProject& project, IPrompter& prompter, SProjectFileHooks hooks)
    : m_project(project), m_prompter(prompter), m_hooks(std::move(hooks)) {
    if (!m_hooks.freeSpace) {
        m_hooks.freeSpace = FreeDiskSpace;
    }
    if (!m_hooks.soundLengthMs) {
        m_hooks.soundLengthMs = WavLengthMs;
    }
}

CProjectFile::~CProjectFile() = default;

std::vector<const CStreamFile*> CProjectFile::StreamSources() const {
    std::vector<const CStreamFile*> out;
    for (const auto& s : m_streams) {
        out.push_back(s && s->IsOpen() ? s.get() : nullptr);
    }
    return out;
}

void CProjectFile::Refuse(const char* text) {
    m_prompter.Error(text, kSaveCaption);
}

// ---------------------------------------------------------------------------------------------
// Writing

std::string CProjectFile::BuildTrailer(const std::string& projectFile) {
    CDemoProject& p = m_project;
    StoreProjectDefaults(p);
    RecomputeRelativeSoundNames(p, projectFile);
    CStoreWriter out;
    out.I16(kVersionMajor);
    out.I16(kVersionMinor);
    for (std::uint32_t c : p.m_Settings.m_customColours) {
        out.U32(c);
    }
    for (std::size_t i = 0; i < kColorHistogramSize; ++i) {
        out.U32(i < p.m_ColorHistogram.size() ? p.m_ColorHistogram[i] : 0);
    }
    out.I32(static_cast<std::int32_t>(kFrameRecordSize));
    CFrameRecordLinker linker;
    for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext) {
        f->RecomputeLengths();
        TFrameRecordImage image{};
        WriteFrameRecordImage(*f, linker.LinksOf(*f), image);
        out.Bytes(image);
        WriteFrameItems(out, *f);
    }
    WriteSettingsHead(out, p.m_Settings);
    WriteCursorTable(out, p.m_CursorImages);
    WriteSettingsTail(out, p.m_Settings);
    return out.Take();
}

bool CProjectFile::WriteTrailer(std::FILE* file, const std::string& projectFile) {
    std::string trailer = BuildTrailer(projectFile);
    return WriteAll(file, trailer.data(), trailer.size()) && std::fflush(file) == 0;
}

bool CProjectFile::CopyRange(std::FILE* from, std::uint64_t start, std::uint64_t end, std::FILE* to,
                             const std::string& caption) {
    using TClock = std::chrono::steady_clock;
    CProgressScope progress(m_prompter, caption);
    m_bCancelled = false;
    if (!SeekTo(from, start)) {
        return false;
    }
    std::vector<char> piece(kCopyPiece);
    const std::uint64_t total = end > start ? end - start : 0;
    std::uint64_t copied = 0;
    auto lastRefresh = TClock::now();
    progress.Set(0);
    while (copied < total) {
        std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPiece, total - copied));
        if (std::fread(piece.data(), 1, n, from) != n || !WriteAll(to, piece.data(), n)) {
            return false;
        }
        copied += n;
        if (TClock::now() - lastRefresh > std::chrono::milliseconds(kProgressIntervalMs)) {
            lastRefresh = TClock::now();
            progress.Set(
                static_cast<int>(std::min<std::uint64_t>(100, copied * 100 / (total + 1))));
        }
        if (progress.Cancelled()) {
            m_bCancelled = true;
            return false;
        }
    }
    progress.Set(100);
    return true;
}

bool CProjectFile::SaveNewRecording(const SCaptureFiles& files,
                                    const std::optional<std::string>& presetName,
                                    const std::vector<std::string>& inUse) {
    TFile data(std::fopen(files.dataPath.c_str(), "rb"));
    std::vector<std::uint8_t> index;
    if (!data || !ReadWholeFile(files.indexPath, index)) {
        m_prompter.Error("Unable to open temporary capture file.", kErrorCaption);
        return false;
    }
    const std::uint64_t dataSize = FileSize(data.get()).value_or(0);
    // The index holds one 64-bit entry per picture; a cut-off last entry is not a picture.
    index.resize(index.size() / 8 * 8);

    const std::string proposed =
        m_project.m_pszFileName.empty() ? std::string("Untitled.lumo") : m_project.m_pszFileName;
    while (true) {
        std::string name;
        if (presetName) {
            name = *presetName;
        } else {
            auto asked = m_prompter.AskSaveName(
                {"Save Quillo movie as...", proposed, "Quillo file (*.lumo)"});
            if (!asked) {
                return false;
            }
            name = *asked;
        }
        name = NewRecordingName(name, presetName.has_value());
        // The new file must not take the place of a file it is read from, whatever its name.
        if (std::any_of(inUse.begin(), inUse.end(),
                        [&](const std::string& used) { return IsSameFile(name, used); })) {
            m_prompter.Error(kInUse, kSaveCaption);
            if (presetName) {
                return false;
            }
            continue;
        }
        const std::string folder = FolderOf(name);
        std::error_code ec;
        CReplacingFile out;
        if (fs::is_directory(name, ec) || !out.Open(name)) {
            if (presetName) {
                m_prompter.Error("Unable to open output file.", kErrorCaption);
                return false;
            }
            m_prompter.Error(kInUse, kSaveCaption);
            continue;
        }
        auto discard = [&] { out.Discard(); };
        auto freeBytes = m_hooks.freeSpace(folder);
        if (freeBytes && *freeBytes < dataSize + index.size()) {
            discard();
            m_prompter.Error(kDiskFull, kSaveCaption);
            if (presetName) {
                return false;
            }
            continue;
        }

        // The table is finished here, in the new file only: the temporary index stays as the
        // recording left it, so a failed or cancelled save can be repeated.
        SOffsetTable table;
        table.bWide = true;
        table.nPictures = static_cast<std::uint32_t>(index.size() / 8);
        table.nEndOffset = dataSize;
        table.nSlotPos = index.size() + 16;
        table.nDataStart = table.nSlotPos + 8;
        CStoreWriter head;
        head.Bytes(index.data(), index.size());
        head.U64(dataSize);
        head.U64(0);
        head.U64(kUnfinishedTrailer);

        CProjectSettings& s = m_project.m_Settings;
        const std::string stem = StemOf(name);
        s.m_strOutputName = stem;
        s.m_strOutputFolder = folder;
        s.m_strOutputFile = folder + stem + ".lumo";
        s.m_strProjectFolder = folder;

        bool ok = WriteAll(out.File(), head.Data().data(), head.Size());
        ok = ok && CopyRange(data.get(), 0, dataSize, out.File(), "Saving Quillo " + stem);
        if (!ok && m_bCancelled) {
            discard();
            return false;
        }
        ok = ok && WriteTrailer(out.File(), name) && WriteSlot(out.File(), table, table.DataEnd());
        ok = ok && out.Commit();
        if (!ok) {
            discard();
            m_prompter.Error(kDiskFull, kSaveCaption);
            if (presetName) {
                return false;
            }
            continue;
        }
        data.reset();

        m_project.m_pszFileName = name;
        m_project.m_nDataAreaPos = static_cast<int64_t>(table.nDataStart);
        m_project.m_bWideOffsets = true;
        m_project.m_nWrapFrame = 0;
        m_table = table;
        m_table.nTrailerPos = table.DataEnd();
        m_table.bFinished = true;
        m_project.m_pFile.reset(std::fopen(name.c_str(), "r+b"));
        auto stream = std::make_unique<CStreamFile>();
        stream->OpenInFile(name, table.nDataStart, dataSize, 0, table.nPictures, true, 0);
        m_streams.clear();
        m_streams.push_back(std::move(stream));
        if (m_hooks.bExportTimingData && m_hooks.writeTimingData) {
            m_hooks.writeTimingData(m_project, name);
        }
        ::unlink(files.dataPath.c_str());
        ::unlink(files.indexPath.c_str());
        if (m_hooks.addRecentFile) {
            m_hooks.addRecentFile(name);
        }
        return true;
    }
}

bool CProjectFile::ReadOwnTable(std::uint64_t& size, SOffsetTable& table) {
    if (m_project.m_bCorrupted) {
        Refuse(kCorruptedSave);
        return false;
    }
    std::FILE* f = m_project.m_pFile.get();
    auto fileSize = FileSize(f);
    if (!fileSize || !ReadOffsetTable(f, *fileSize, table)) {
        Refuse(kCannotCreate);
        return false;
    }
    size = *fileSize;
    return true;
}

bool CProjectFile::Save() {
    std::uint64_t size = 0;
    SOffsetTable table;
    if (!ReadOwnTable(size, table)) {
        return false;
    }
    if (m_hooks.bReadOnly) {
        Refuse(kCannotCreate);
        return false;
    }
    std::FILE* f = m_project.m_pFile.get();
    const std::string trailer = BuildTrailer(m_project.m_pszFileName);
    const std::uint64_t end = size;
    const std::uint64_t home = table.DataEnd();
    if (!table.bWide && end + trailer.size() >= kUnfinishedTrailer) {
        Refuse(kCannotCreate);
        return false;
    }
    // The new trailer goes behind everything first; the offset is switched to it only once it
    // is on the disk, so the old trailer stays readable until then.
    bool ok = SeekTo(f, end) && WriteAll(f, trailer.data(), trailer.size()) && Sync(f) &&
              WriteSlot(f, table, end);
    if (!ok) {
        Truncate(f, end);
        m_prompter.Error(kDiskFull, kSaveCaption);
        return false;
    }
    // Then back to its place after the stream, when it fits there without touching the copy.
    if (home + trailer.size() <= end && SeekTo(f, home) &&
        WriteAll(f, trailer.data(), trailer.size()) && Sync(f) && WriteSlot(f, table, home)) {
        Truncate(f, home + trailer.size());
        m_table.nTrailerPos = home;
    } else {
        m_table.nTrailerPos = end;
    }
    if (m_hooks.bExportTimingData && m_hooks.writeTimingData) {
        m_hooks.writeTimingData(m_project, m_project.m_pszFileName);
    }
    if (m_hooks.addRecentFile) {
        m_hooks.addRecentFile(m_project.m_pszFileName);
    }
    return true;
}

bool CProjectFile::SaveAs(const std::string& fileName, bool bRemovingFrames) {
    std::uint64_t size = 0;
    SOffsetTable table;
    if (!ReadOwnTable(size, table)) {
        return false;
    }
    std::FILE* f = m_project.m_pFile.get();
    struct stat own {};
    struct stat target {};
    if (::fstat(::fileno(f), &own) == 0 && ::stat(fileName.c_str(), &target) == 0 &&
        SameInode(own, target)) {
        Refuse(kInUse);
        return false;
    }
    CReplacingFile out;
    if (!out.Open(fileName)) {
        Refuse(kCannotCreate);
        return false;
    }
    auto discard = [&] { out.Discard(); };
    // The table and its end entries are copied unchanged, so every position stays valid; the
    // trailer offset says "unfinished" until the trailer is complete.
    std::vector<char> head(static_cast<std::size_t>(table.nSlotPos));
    bool ok = SeekTo(f, 0) && std::fread(head.data(), 1, head.size(), f) == head.size() &&
              WriteAll(out.File(), head.data(), head.size());
    std::uint8_t marker[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    ok = ok && WriteAll(out.File(), marker, table.EntrySize());
    ok = ok && CopyRange(f, table.nDataStart, table.DataEnd(), out.File(), "Saving Quillo");
    if (!ok && m_bCancelled) {
        discard();
        return false;
    }
    ok = ok && WriteTrailer(out.File(), fileName) && WriteSlot(out.File(), table, table.DataEnd());
    ok = ok && out.Commit();
    if (!ok) {
        discard();
        Refuse(kCannotCreate);
        return false;
    }
    if (m_hooks.bExportTimingData && m_hooks.writeTimingData) {
        m_hooks.writeTimingData(m_project, fileName);
    }
    if (m_hooks.addRecentFile) {
        m_hooks.addRecentFile(fileName);
    }
    if (!bRemovingFrames) {
        m_project.m_pFile.reset(std::fopen(fileName.c_str(), "r+b"));
        m_project.m_pszFileName = fileName;
        auto stream = std::make_unique<CStreamFile>();
        stream->OpenInFile(fileName, table.nDataStart, table.nEndOffset, 0, table.nPictures,
                           table.bWide, table.nWrapFrame);
        if (m_streams.empty()) {
            m_streams.push_back(std::move(stream));
        } else {
            m_streams[0] = std::move(stream);
        }
        m_table = table;
    }
    return true;
}
