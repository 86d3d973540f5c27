#include "project/file/Recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <span>
#include <string_view>

#include "platform/Prompter.h"
#include "project/file/OffsetTable.h"
#include "project/model/DemoProject.h"
#include "project/store/ByteOrder.h"
#include "project/store/ByteReader.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/PixelCoding.h"
#include "project/stream/StreamFormat.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecoveryCaption = "Quillo Recovery";
constexpr const char* kNothingFound = "No recoverable images found.    ";
// 8192 x 8192 is the largest picture the compositor builds.
constexpr int kLargestSide = 8192;

// A read-only view of a whole file; damaged capture files can be far larger than memory.
class CMappedFile {
public:
    explicit CMappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return;
        }
        struct stat st {};
        m_bOpen = ::fstat(fd, &st) == 0;
        if (m_bOpen && st.st_size > 0) {
            void* p =
                ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                m_pData = static_cast<const uint8_t*>(p);
                m_nSize = static_cast<size_t>(st.st_size);
            } else {
                m_bOpen = false;
            }
        }
        ::close(fd);
    }
    ~CMappedFile() {
        if (m_pData != nullptr) {
            ::munmap(const_cast<uint8_t*>(m_pData), m_nSize);
        }
    }
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    bool IsOpen() const { return m_bOpen; }
    std::span<const uint8_t> Data() const { return {m_pData, m_nSize}; }

private:
    const uint8_t* m_pData = nullptr;
    size_t m_nSize = 0;
    bool m_bOpen = false;
};

// One scan over the old file's bytes, writing what decodes cleanly into the new stream.
//
// A capture wrote the old and new pixels of its changed rectangles, then its cursor area; the
// time that followed lengthens the frame it showed. The scan rebuilds frames the
// same way: the rectangles read with no time or cursor record between them are one frame, a
// cursor area right after them belongs to that frame, any other cursor area is a frame of its
// own, and every time increment lengthens the frame made last. Its old pixels are taken from the
// picture recovered so far rather than from the file, so that stepping backward over a frame
// always restores what stepping forward showed, even where damage lost records around it.
class CRecoveryScan {
public:
    CRecoveryScan(CDemoProject& project, CCaptureStream& stream, const SRecoveryOptions& options,
                  EPixelCoding coding)
        : m_Project(project),
          m_Stream(stream),
          m_Options(options),
          m_Coding(coding),
          m_Picture(PictureSize()),
          m_Shown(PictureSize(), 0) {}

    void Run(std::span<const uint8_t> data, size_t nStart, CProgressScope& progress) {
        size_t nPos = nStart;
        int nLastPercent = -1;
        while (nPos < data.size()) {
            const int nPercent = static_cast<int>(static_cast<uint64_t>(nPos) * 100 / data.size());
            if (nPercent != nLastPercent) {
                nLastPercent = nPercent;
                progress.Set(nPercent);
                if (progress.Cancelled()) {
                    break;
                }
            }
            CByteReader reader(data.subspan(nPos));
            if (ReadRecords(reader)) {
                nPos += reader.Position();
            } else {
                // Nothing decoded at this position: try again one byte further. Records on
                // either side of lost bytes are never taken for one capture.
                m_bGroupCut = !m_Group.empty();
                m_eLast = ELast::Nothing;
                ++nPos;
                ++m_nSkipped;
            }
        }
        // A capture cut short by the end of the data (a recording killed while its records
        // were being written) would show a picture the screen never showed.
        if (m_bGroupCut) {
            m_Group.clear();
        }
        EndGroup();
        SetUntimedFrames();
    }

    uint32_t Frames() const { return m_Project.FrameCount(); }
    // At least 32 pixels each way, but never more than the area the rectangles were read for.
    int Width() const {
        return std::max(m_nMaxRight + 1, std::min(CRecovery::kMinimumSize, m_Options.nMaxWidth));
    }
    int Height() const {
        return std::max(m_nMaxBottom + 1, std::min(CRecovery::kMinimumSize, m_Options.nMaxHeight));
    }
    uint64_t Skipped() const { return m_nSkipped; }

    // A frame with new pixels for the whole recovered area also has its old pixels there, so it
    // can be built without its neighbours in either direction.
    void MarkKeyFrames() {
        for (const auto& [pFrame, rc] : m_NewRects) {
            if (rc.nLeft == 0 && rc.nTop == 0 && rc.nRight + 1 == Width() &&
                rc.nBottom + 1 == Height()) {
                pFrame->m_bKeyFrame = 1;
            }
        }
    }

private:
    // What the last record read belongs to: a frame whose cursor area may still follow, or
    // anything else.
    enum class ELast { Nothing, ScreenFrame };

    struct SNewRect {
        SStreamRect rc;
        std::vector<uint32_t> pixels;  // rows top to bottom
    };

    size_t PictureSize() const {
        return static_cast<size_t>(m_Options.nMaxWidth) * static_cast<size_t>(m_Options.nMaxHeight);
    }
    size_t Row() const { return static_cast<size_t>(m_Options.nMaxWidth); }

    // Reads records from the reader's start until one rectangle was accepted or the data ends.
    // Time records on the way count only when the records after them decode: a time record is
    // three bytes that anything can look like. False when nothing could be taken.
    bool ReadRecords(CByteReader& reader) {
        uint64_t nTime = 0;
        for (;;) {
            uint8_t nType = 0;
            if (!reader.U8(nType)) {
                // Ends cleanly after whole records.
                AddTime(nTime);
                return nTime > 0;
            }
            if (nType == kRecordTick) {
                uint16_t nIncrement = 0;
                if (!reader.U16(nIncrement)) {
                    return false;
                }
                nTime += nIncrement;
                continue;
            }
            uint16_t nIncrement = 0;
            if (nType < kRecordOldPixels || nType > kRecordCursor ||
                (nType == kRecordCursor && !reader.U16(nIncrement))) {
                return false;
            }
            SStreamRect rc;
            if (!reader.S16(rc.nLeft) || !reader.S16(rc.nRight) || !reader.S16(rc.nTop) ||
                !reader.S16(rc.nBottom) || !Inside(rc) || !DecodeRect(reader, rc)) {
                return false;
            }
            AddTime(nTime);
            Accept(static_cast<EStreamRecordType>(nType), rc, nIncrement);
            return true;
        }
    }

    // A rectangle has to lie in the recovered area; its corners are inclusive.
    bool Inside(const SStreamRect& rc) const {
        return rc.nLeft >= 0 && rc.nLeft <= rc.nRight && rc.nRight < m_Options.nMaxWidth &&
               rc.nTop >= 0 && rc.nTop <= rc.nBottom && rc.nBottom < m_Options.nMaxHeight;
    }

    void Put(const SStreamRect& rc, uint64_t nIndex, uint32_t crPixel) {
        const uint64_t nHeight = static_cast<uint64_t>(rc.Height());
        const size_t x = static_cast<size_t>(rc.nLeft + static_cast<int64_t>(nIndex / nHeight));
        const size_t y = static_cast<size_t>(rc.nTop + static_cast<int64_t>(nIndex % nHeight));
        m_Picture[y * Row() + x] = crPixel;
    }

    // Decodes the pixels into the picture buffer; accepted only when the last run ends exactly
    // with the last pixel.
    bool DecodeRect(CByteReader& reader, const SStreamRect& rc) {
        const uint64_t nPixels = rc.PixelCount();
        if (m_Coding == EPixelCoding::Zlib32) {
            return InflateRect(reader, rc, nPixels);
        }
        uint64_t nDone = 0;
        uint64_t nRepeat = 0;
        while (nDone < nPixels) {
            uint8_t b = 0;
            if (!reader.U8(b)) {
                return false;
            }
            if ((b & 0x80) != 0) {
                uint8_t lo = 0;
                if (!reader.U8(lo)) {
                    return false;
                }
                nRepeat += (static_cast<uint32_t>(b & 0x7F) << 8) | lo;
                continue;
            }
            uint8_t blue = 0;
            uint8_t green = 0;
            if (!reader.U8(blue) || !reader.U8(green)) {
                return false;
            }
            const uint32_t cr =
                (static_cast<uint32_t>(b) << 17) | (static_cast<uint32_t>(green) << 8) | blue;
            if (nDone + nRepeat + 1 > nPixels) {
                return false;
            }
            for (uint64_t i = 0; i <= nRepeat; ++i) {
                Put(rc, nDone++, cr);
            }
            nRepeat = 0;
        }
        return nRepeat == 0;
    }

    bool InflateRect(CByteReader& reader, const SStreamRect& rc, uint64_t nPixels) {
        uint32_t nLength = 0;
        if (!reader.U32(nLength) || nLength > kMaxZlibRectBytes || nLength > reader.Remaining()) {
            return false;
        }
        const uint8_t* pIn = reader.Current();
        reader.Skip(nLength);
        m_Inflated.resize(static_cast<size_t>(nPixels * 4));
        uLongf nGot = static_cast<uLongf>(m_Inflated.size());
        uLong nUsed = nLength;
        if (uncompress2(m_Inflated.data(), &nGot, pIn, &nUsed) != Z_OK ||
            nGot != m_Inflated.size()) {
            return false;
        }
        for (uint64_t i = 0; i < nPixels; ++i) {
            Put(rc, i, GetU32(m_Inflated.data() + i * 4) & 0x00FFFFFF);
        }
        return true;
    }

    // Time lengthens the frame made last; time before the first frame waits for it.
    void AddTime(uint64_t nTime) {
        if (nTime == 0) {
            return;
        }
        EndGroup();
        m_eLast = ELast::Nothing;
        if (m_Project.LastFrame() == nullptr) {
            m_nEarlyTime += nTime;
            return;
        }
        m_Stream.WriteTick(Room(nTime));
    }

    // How much of `nTime` the last frame's durations can still take.
    uint32_t Room(uint64_t nTime) const {
        const CFrameInfo* pLast = m_Project.LastFrame();
        const int32_t nUsed = pLast != nullptr ? std::max(pLast->m_nDuration, 0) : 0;
        return static_cast<uint32_t>(std::min<uint64_t>(nTime, INT32_MAX - nUsed));
    }

    CFrameInfo& NewFrame() {
        CFrameInfo& frame = m_Stream.AppendCapturedFrame();
        if (m_nEarlyTime > 0) {
            m_Stream.WriteTick(Room(m_nEarlyTime));
            m_nEarlyTime = 0;
        }
        return frame;
    }

    void Accept(EStreamRecordType type, const SStreamRect& rc, uint16_t nIncrement) {
        if (type == kRecordCursor) {
            AcceptCursor(rc, nIncrement);
            return;
        }
        if (m_bGroupCut) {
            EndGroup();
        }
        m_eLast = ELast::Nothing;
        if (type == kRecordNewPixels) {
            SNewRect& added = m_Group.emplace_back();
            added.rc = rc;
            added.pixels.reserve(rc.PixelCount());
            for (int y = rc.nTop; y <= rc.nBottom; ++y) {
                const uint32_t* pRow = m_Picture.data() + static_cast<size_t>(y) * Row();
                added.pixels.insert(added.pixels.end(), pRow + rc.nLeft, pRow + rc.nRight + 1);
            }
        }
    }

    void AcceptCursor(const SStreamRect& rc, uint16_t nIncrement) {
        EndGroup();
        if (!m_Options.bRecoverMouse) {
            AddTime(nIncrement);
            return;
        }
        if (m_eLast != ELast::ScreenFrame) {
            NewFrame();
        }
        m_eLast = ELast::Nothing;
        m_Stream.WriteRect(rc.nLeft, rc.nTop, rc.nRight, rc.nBottom, m_Picture.data(), Row(),
                           kRecordCursor, Room(nIncrement), true);
    }

    // Writes the capture read so far as one frame: the old pixels of its rectangles as the
    // recovered picture holds them, then its new pixels. Old pixels without new ones change
    // nothing and make no frame.
    void EndGroup() {
        m_bGroupCut = false;
        if (m_Group.empty()) {
            return;
        }
        CFrameInfo& frame = NewFrame();
        for (const SNewRect& r : m_Group) {
            m_Stream.WriteRect(r.rc.nLeft, r.rc.nTop, r.rc.nRight, r.rc.nBottom, m_Shown.data(),
                               Row(), kRecordOldPixels);
        }
        for (const SNewRect& r : m_Group) {
            const size_t nWidth = static_cast<size_t>(r.rc.Width());
            for (int y = r.rc.nTop; y <= r.rc.nBottom; ++y) {
                std::copy_n(r.pixels.data() + static_cast<size_t>(y - r.rc.nTop) * nWidth, nWidth,
                            m_Shown.data() + static_cast<size_t>(y) * Row() + r.rc.nLeft);
            }
            m_Stream.WriteRect(r.rc.nLeft, r.rc.nTop, r.rc.nRight, r.rc.nBottom, m_Shown.data(),
                               Row(), kRecordNewPixels);
            m_nMaxRight = std::max<int>(m_nMaxRight, r.rc.nRight);
            m_nMaxBottom = std::max<int>(m_nMaxBottom, r.rc.nBottom);
            m_NewRects.emplace_back(&frame, r.rc);
        }
        m_Group.clear();
        m_eLast = ELast::ScreenFrame;
    }

    // A frame that no time reached still shows for a moment.
    void SetUntimedFrames() {
        for (CFrameInfo* f = m_Project.FirstFrame(); f != nullptr; f = f->m_pNext) {
            if (f->m_nDuration <= 0) {
                f->m_nDuration = CRecovery::kUntimedFrameTime;
                f->m_nRecordedDuration = CRecovery::kUntimedFrameTime;
            }
        }
    }

    CDemoProject& m_Project;
    CCaptureStream& m_Stream;
    const SRecoveryOptions& m_Options;
    EPixelCoding m_Coding;
    // The pixels of the rectangle just decoded, at their place in the area.
    std::vector<uint32_t> m_Picture;
    // The picture that the frames recovered so far build, rows top to bottom.
    std::vector<uint32_t> m_Shown;
    std::vector<uint8_t> m_Inflated;
    std::vector<SNewRect> m_Group;
    // Bytes that did not decode followed the rectangles of the capture being read.
    bool m_bGroupCut = false;
    ELast m_eLast = ELast::Nothing;
    std::vector<std::pair<CFrameInfo*, SStreamRect>> m_NewRects;
    uint64_t m_nEarlyTime = 0;
    uint64_t m_nSkipped = 0;
    int m_nMaxRight = -1;
    int m_nMaxBottom = -1;
};

// The scan began the stream at the largest allowed size; the header gets the size found.
bool PatchHeaderSize(const std::string& path, int nWidth, int nHeight) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    uint8_t size[4];
    PutU16(size, static_cast<uint16_t>(nWidth));
    PutU16(size + 2, static_cast<uint16_t>(nHeight));
    const bool bOk = ::pwrite(fd, size, sizeof size, 18) == static_cast<ssize_t>(sizeof size);
    return ::close(fd) == 0 && bOk;
}

}  // namespace

CRecovery::CRecovery(IPrompter& prompter, std::string tempDir)
    : m_prompter(prompter), m_tempDir(std::move(tempDir)) {}

SRecoveryReport CRecovery::Recover(const SRecoveryRequest& request) {
    SRecoveryReport report;
    // The damaged file stays as it was: the recovered project never takes its place.
    const std::vector<std::string> inUse = {request.fileName};
    if (RefusePresetOverInput(request.presetName, inUse, m_prompter)) {
        report.result = ERecoverResult::NotSaved;
        return report;
    }
    CMappedFile file(request.fileName);
    if (!file.IsOpen()) {
        report.result = ERecoverResult::CannotRead;
        return report;
    }
    const std::span<const uint8_t> data = file.Data();
    SRecoveryOptions options;
    bool bZlib = request.bZlibOption;
    size_t nStart = 0;
    SStreamHeader header;
    bool bHeader = false;
    if (request.bRawCapture) {
        if (!ParseStreamHeader(data, header)) {
            report.result = ERecoverResult::NotACapture;
            return report;
        }
        bHeader = true;
    } else {
        // A project file keeps its stream after the picture offset table; when the stream's
        // header survived, the scan starts behind it and knows the recorded size and coding.
        static constexpr std::string_view kSignature = "Quillomatic";
        auto at = std::search(data.begin(), data.end(), kSignature.begin(), kSignature.end());
        if (at != data.end()) {
            nStart = static_cast<size_t>(at - data.begin());
            bHeader = ParseStreamHeader(data.subspan(nStart), header);
            if (!bHeader) {
                nStart = 0;
            }
        }
    }
    size_t nEnd = data.size();
    if (!request.bRawCapture && bHeader) {
        // The trailer after the stream would only add bogus frames: an offset table that still
        // reads tells where the stream ends.
        TFileHandle f(std::fopen(request.fileName.c_str(), "rb"));
        SOffsetTable table;
        if (f && ReadOffsetTable(f.get(), data.size(), table) && table.nDataStart == nStart &&
            table.DataEnd() <= data.size() && table.DataEnd() > nStart + header.nSize) {
            nEnd = static_cast<size_t>(table.DataEnd());
        }
    }
    if (bHeader) {
        bZlib = header.bZlibPixels;
        nStart += header.nSize;
        if (header.nWidth > 0 && header.nHeight > 0) {
            options.nMaxWidth = header.nWidth;
            options.nMaxHeight = header.nHeight;
        }
    }
    if (request.askOptions && !request.askOptions(options)) {
        report.result = ERecoverResult::Cancelled;
        return report;
    }
    options.nMaxWidth = std::clamp(options.nMaxWidth, 1, kLargestSide);
    options.nMaxHeight = std::clamp(options.nMaxHeight, 1, kLargestSide);

    CDemoProject project;
    CCaptureStream stream;
    if (!stream.Begin(project, m_tempDir, options.nMaxWidth, options.nMaxHeight, bZlib)) {
        m_prompter.Error("Unable to open temporary files", "Quillo Error");
        report.result = ERecoverResult::NoTempFiles;
        return report;
    }
    CRecoveryScan scan(project, stream, options,
                       bZlib ? EPixelCoding::Zlib32 : EPixelCoding::Rle24);
    {
        CProgressScope progress(m_prompter, "Recovering Quillo");
        scan.Run(data.first(nEnd), nStart, progress);
    }
    report.nSkippedBytes = scan.Skipped();
    if (scan.Frames() == 0) {
        stream.Discard();
        m_prompter.Message({kNothingFound, kRecoveryCaption, EMsgIcon::Warning});
        report.result = ERecoverResult::Nothing;
        return report;
    }
    scan.MarkKeyFrames();
    SCaptureFiles files;
    const bool bStopped = stream.Stop(files);
    report.nFrames = scan.Frames();
    report.nWidth = scan.Width();
    report.nHeight = scan.Height();
    project.m_nWidth = report.nWidth;
    project.m_nHeight = report.nHeight;
    if (!bStopped || !PatchHeaderSize(files.dataPath, report.nWidth, report.nHeight)) {
        m_prompter.Error("Unable to open temporary files", "Quillo Error");
        report.result = ERecoverResult::NoTempFiles;
    } else {
        CProjectFile projectFile(project, m_prompter, request.saveHooks);
        if (projectFile.SaveNewRecording(files, request.presetName, inUse)) {
            report.result = ERecoverResult::Saved;
            report.savedFile = project.m_pszFileName;
        }
    }
    ::unlink(files.dataPath.c_str());
    ::unlink(files.indexPath.c_str());
    return report;
}

std::string RecoverCommand(const std::string& capturePath) {
    const bool bPlain =
        !capturePath.empty() && std::all_of(capturePath.begin(), capturePath.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
                   std::string_view("/._-+,:@%").find(c) != std::string_view::npos;
        });
    if (bPlain) {
        return "quillo recover " + capturePath;
    }
    std::string quoted = "'";
    for (char c : capturePath) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return "quillo recover " + quoted + "'";
}

std::vector<std::string> FindLeftoverCaptures(const std::string& tempDir) {
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tempDir.empty() ? "." : tempDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || name.size() < 7 || !name.starts_with("DMO") ||
            !name.ends_with(".tmp")) {
            continue;
        }
        const std::string path = entry.path().string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // A recording that is still running holds its capture file locked.
        const bool bLive = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
        ::close(fd);
        if (!bLive) {
            found.emplace_back(entry.last_write_time(ec), path);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [time, path] : found) {
        paths.push_back(std::move(path));
    }
    return paths;
}

int OfferLeftoverRecovery(const std::string& tempDir,
                          const std::function<ELeftoverChoice(const std::string& name)>& ask,
                          const std::function<bool(const std::string& path)>& recover) {
    int nRecovered = 0;
    for (const std::string& path : FindLeftoverCaptures(tempDir)) {
        const ELeftoverChoice choice = ask(fs::path(path).filename().string());
        if (choice == ELeftoverChoice::Ignore) {
            break;
        }
        if (choice == ELeftoverChoice::Delete) {
            ::unlink(path.c_str());
            continue;
        }
        if (recover(path)) {
            ::unlink(path.c_str());
            ++nRecovered;
        }
    }
    return nRecovered;
}
