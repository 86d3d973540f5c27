#include "project/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <unordered_map>

#include "platform/Prompter.h"
#include "project/DemoProject.h"
#include "project/FrameItems.h"
#include "project/FrameRecordImage.h"
#include "project/FrameTiming.h"
#include "project/FrameUpgrade.h"
#include "project/ProjectDefaults.h"
#include "project/StoreReader.h"
#include "project/StoreWriter.h"
#include "project/StreamFile.h"
#include "project/StreamFormat.h"
#include "project/TrailerSettings.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSaveCaption = "Save Quillo...";
constexpr const char* kErrorCaption = "Quillo Error";
constexpr const char* kInUse =
    "Selected file is currently in use.  Please select a different file name.   ";
constexpr const char* kDiskFull =
    "Unable to save to selected file (disk full?).  Please select another location.    ";
constexpr const char* kCorruptedSave =
    "Cannot save to selected file (project is corrupted).  Save operation aborted.   ";
constexpr const char* kCannotCreate = "Cannot save to selected file.  Save operation aborted.   ";
constexpr const char* kLaterVersion =
    "This demo was created with a later version of Quillo\n"
    "Please upgrade to the latest version of Quillo from the Brindlework web site.";
constexpr const char* kMissingSource = "Unable to open source video file:    \n%s    ";

constexpr int kOldestVersion = 1;
constexpr int kLaterVersionFirst = 748;
constexpr int kLaterVersionLast = 7469;
constexpr std::size_t kMaxCursorPixels = 1 << 20;
constexpr std::int32_t kCorruptedDuration = 10;

struct SFileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};
using TFile = std::unique_ptr<std::FILE, SFileCloser>;

std::optional<std::uint64_t> FileSize(std::FILE* f) {
    struct stat st {};
    if (f == nullptr || ::fstat(::fileno(f), &st) != 0 || st.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

bool SeekTo(std::FILE* f, std::uint64_t pos) {
    return ::fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0;
}

bool WriteAll(std::FILE* f, const void* data, std::size_t size) {
    return size == 0 || std::fwrite(data, 1, size, f) == size;
}

bool Sync(std::FILE* f) {
    return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
}

// Writes the trailer offset slot: 8 bytes in a 64-bit table, 4 in a 32-bit one.
bool WriteSlot(std::FILE* f, const SOffsetTable& table, std::uint64_t value) {
    std::uint8_t b[8];
    for (int i = 0; i < 8; ++i) {
        b[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return SeekTo(f, table.nSlotPos) && WriteAll(f, b, table.EntrySize()) && Sync(f);
}

std::string FolderOf(const std::string& file) {
    fs::path p(file);
    std::string folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
    if (folder.empty() || folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

std::string StemOf(const std::string& file) {
    return fs::path(file).stem().string();
}

bool EndsWithLumo(const std::string& name) {
    if (name.size() < 5) {
        return false;
    }
    std::string ext = name.substr(name.size() - 5);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == ".lumo";
}

std::optional<std::uint64_t> StatvfsFree(const std::string& folder) {
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

// A fresh file beside `target` that becomes it with a rename once it is complete.
TFile CreateBeside(const std::string& target, std::string& tempName) {
    std::string pattern = target + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return nullptr;
    }
    ::fchmod(fd, 0644);
    std::FILE* f = ::fdopen(fd, "w+b");
    if (f == nullptr) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return nullptr;
    }
    tempName = pattern;
    return TFile(f);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    TFile f(std::fopen(path.c_str(), "rb"));
    auto size = FileSize(f.get());
    if (!size) {
        return false;
    }
    out.resize(static_cast<std::size_t>(*size));
    return out.empty() || std::fread(out.data(), 1, out.size(), f.get()) == out.size();
}

std::string RelativeName(const std::string& file, const std::string& folder) {
    std::error_code ec;
    fs::path rel = fs::path(file).lexically_relative(fs::path(folder));
    if (folder.empty() || rel.empty() || fs::path(file).is_relative()) {
        return file;
    }
    return rel.string();
}

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

CProjectFile::CProjectFile(CDemoProject& project, IPrompter& prompter, SProjectFileHooks hooks)
    : m_project(project), m_prompter(prompter), m_hooks(std::move(hooks)) {
    if (!m_hooks.freeSpace) {
        m_hooks.freeSpace = StatvfsFree;
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

std::string CProjectFile::BuildTrailer() {
    CDemoProject& p = m_project;
    StoreProjectDefaults(p);
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

bool CProjectFile::WriteTrailer(std::FILE* file) {
    std::string trailer = BuildTrailer();
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
                                    const std::optional<std::string>& presetName) {
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
        if (!EndsWithLumo(name) && (presetName || fs::path(name).extension().empty())) {
            name += ".lumo";
        }
        const std::string folder = FolderOf(name);
        std::string tempName;
        TFile out = CreateBeside(name, tempName);
        if (!out) {
            if (presetName) {
                m_prompter.Error("Unable to open output file.", kErrorCaption);
                return false;
            }
            m_prompter.Error(kInUse, kSaveCaption);
            continue;
        }
        auto discard = [&] {
            out.reset();
            ::unlink(tempName.c_str());
        };
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

        bool ok = WriteAll(out.get(), head.Data().data(), head.Size());
        ok = ok && CopyRange(data.get(), 0, dataSize, out.get(), "Saving Quillo " + stem);
        if (!ok && m_bCancelled) {
            discard();
            return false;
        }
        ok = ok && WriteTrailer(out.get()) && WriteSlot(out.get(), table, table.DataEnd());
        ok = ok && ::rename(tempName.c_str(), name.c_str()) == 0;
        if (!ok) {
            discard();
            m_prompter.Error(kDiskFull, kSaveCaption);
            if (presetName) {
                return false;
            }
            continue;
        }
        out.reset();
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

bool CProjectFile::Save() {
    if (m_project.m_bCorrupted) {
        Refuse(kCorruptedSave);
        return false;
    }
    std::FILE* f = m_project.m_pFile.get();
    auto size = FileSize(f);
    SOffsetTable table;
    if (!size || !ReadOffsetTable(f, *size, table)) {
        Refuse(kCannotCreate);
        return false;
    }
    const std::string trailer = BuildTrailer();
    const std::uint64_t end = *size;
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
        if (::ftruncate(::fileno(f), static_cast<off_t>(end)) != 0) {
            errno = EIO;
        }
        m_prompter.Error(kDiskFull, kSaveCaption);
        return false;
    }
    // Then back to its place after the stream, when it fits there without touching the copy.
    if (home + trailer.size() <= end && SeekTo(f, home) &&
        WriteAll(f, trailer.data(), trailer.size()) && Sync(f) && WriteSlot(f, table, home)) {
        if (::ftruncate(::fileno(f), static_cast<off_t>(home + trailer.size())) != 0) {
            errno = EIO;
        }
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
    if (m_project.m_bCorrupted) {
        Refuse(kCorruptedSave);
        return false;
    }
    std::FILE* f = m_project.m_pFile.get();
    auto size = FileSize(f);
    SOffsetTable table;
    if (!size || !ReadOffsetTable(f, *size, table)) {
        Refuse(kCannotCreate);
        return false;
    }
    struct stat own {};
    struct stat target {};
    if (::fstat(::fileno(f), &own) == 0 && ::stat(fileName.c_str(), &target) == 0 &&
        own.st_dev == target.st_dev && own.st_ino == target.st_ino) {
        Refuse(kInUse);
        return false;
    }
    std::string tempName;
    TFile out = CreateBeside(fileName, tempName);
    if (!out) {
        Refuse(kCannotCreate);
        return false;
    }
    auto discard = [&] {
        out.reset();
        ::unlink(tempName.c_str());
    };
    // The table and its end entries are copied unchanged, so every position stays valid; the
    // trailer offset says "unfinished" until the trailer is complete.
    std::vector<char> head(static_cast<std::size_t>(table.nSlotPos));
    bool ok = SeekTo(f, 0) && std::fread(head.data(), 1, head.size(), f) == head.size() &&
              WriteAll(out.get(), head.data(), head.size());
    std::uint8_t marker[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    ok = ok && WriteAll(out.get(), marker, table.EntrySize());
    ok = ok && CopyRange(f, table.nDataStart, table.DataEnd(), out.get(), "Saving Quillo");
    if (!ok && m_bCancelled) {
        discard();
        return false;
    }
    ok = ok && WriteTrailer(out.get()) && WriteSlot(out.get(), table, table.DataEnd());
    ok = ok && ::rename(tempName.c_str(), fileName.c_str()) == 0;
    if (!ok) {
        discard();
        Refuse(kCannotCreate);
        return false;
    }
    out.reset();
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
    TFile file(std::fopen(fileName.c_str(), "r+b"));
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
        FindCorruptedSize(fileName, st);
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
                if (!name.empty() && name != projectFolder && ::access(name.c_str(), R_OK) == 0) {
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
                if (::access(located->c_str(), R_OK) == 0) {
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

void CProjectFile::FindCorruptedSize(const std::string& fileName, SOpenState&) {
    CDemoProject& p = m_project;
    // The key-frame file: "%d %d" width and height, then one flag per frame but the last.
    std::int32_t fileWidth = 0, fileHeight = 0;
    std::vector<std::uint8_t> keyFrames;
    {
        TFile f(std::fopen(KeyFrameFileName(fileName).c_str(), "rb"));
        if (f && std::fscanf(f.get(), "%d %d", &fileWidth, &fileHeight) == 2) {
            int flag = 0;
            while (keyFrames.size() + 1 < p.FrameCount() &&
                   std::fscanf(f.get(), "%d", &flag) == 1) {
                keyFrames.push_back(flag == 1 ? 1 : 0);
            }
        }
    }
    // The last frame, which the file leaves out, is always a key frame.
    const std::uint32_t lastKey = p.FrameCount() > 0 ? p.FrameCount() - 1 : 0;
    std::uint32_t index = 0;
    for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext, ++index) {
        f->m_bKeyFrame = index < keyFrames.size() ? keyFrames[index] : 1;
    }
    // The last key frame's first pixel rectangle covers the whole area.
    bool found = false;
    const CStreamFile* stream = m_streams.empty() ? nullptr : m_streams[0].get();
    std::uint64_t start = 0, end = 0;
    bool cut = false;
    std::vector<std::uint8_t> bytes;
    if (stream != nullptr && p.FrameCount() > 0 && stream->PictureRange(lastKey, start, end, cut) &&
        stream->ReadData(start, end, bytes)) {
        CByteReader reader(bytes);
        SStreamRecordHead head;
        while (ReadRecordHead(reader, head) == ERecordRead::Ok) {
            if (head.nType == kRecordOldPixels || head.nType == kRecordNewPixels) {
                if (head.rect.nLeft == 0 && head.rect.nTop == 0 && head.rect.Valid()) {
                    p.m_nWidth = head.rect.nRight + 1;
                    p.m_nHeight = head.rect.nBottom + 1;
                    found = true;
                }
                break;
            }
            if (head.nType == kRecordCursor) {
                break;
            }
        }
    }
    if (!found && fileWidth > 0 && fileHeight > 0) {
        p.m_nWidth = fileWidth;
        p.m_nHeight = fileHeight;
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

void CProjectFile::FinishOpen(const std::string& fileName) {
    CDemoProject& p = m_project;
    if (m_hooks.bExportTimingData && m_hooks.readTimingData) {
        m_hooks.readTimingData(p, fileName);
    }
    if (m_hooks.applyCustomDefaults) {
        m_hooks.applyCustomDefaults(p);
    }
    std::int32_t time = 0;
    for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext) {
        f->m_nStartTime = time;
        if (f->m_bDeleted == 0) {
            time += EffectiveDuration(*f, p.m_fSwfDelayScale);
        }
    }
    p.SetCurrentFrame(0);
    if (m_hooks.addRecentFile) {
        m_hooks.addRecentFile(fileName);
    }
}
