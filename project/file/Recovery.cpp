#include "project/file/Recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
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
class CRecoveryScan {
public:
    CRecoveryScan(CDemoProject& project, CCaptureStream& stream, const SRecoveryOptions& options,
                  EPixelCoding coding)
        : m_Project(project),
          m_Stream(stream),
          m_Options(options),
          m_Coding(coding),
          m_Picture(static_cast<size_t>(options.nMaxWidth) * options.nMaxHeight) {}

    void Run(std::span<const uint8_t> data, size_t nStart, CProgressScope& progress) {
        size_t nPos = nStart;
        int nLastPercent = -1;
        while (nPos < data.size()) {
            const int nPercent = static_cast<int>(static_cast<uint64_t>(nPos) * 100 / data.size());
            if (nPercent != nLastPercent) {
                nLastPercent = nPercent;
                progress.Set(nPercent);
                if (progress.Cancelled()) {
                    return;
                }
            }
            CByteReader reader(data.subspan(nPos));
            if (ReadRecord(reader)) {
                nPos += reader.Position();
            } else {
                // Nothing decoded at this position: try again one byte further.
                ++nPos;
                ++m_nSkipped;
            }
        }
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

    // Frames whose rectangle is the whole recovered area can be built without their neighbours.
    void MarkKeyFrames() {
        for (const auto& [pFrame, rc] : m_Rects) {
            if (rc.nLeft == 0 && rc.nTop == 0 && rc.nRight + 1 == Width() &&
                rc.nBottom + 1 == Height()) {
                pFrame->m_bKeyFrame = 1;
            }
        }
    }

private:
    bool ReadRecord(CByteReader& reader) {
        uint8_t nType = 0;
        if (!reader.U8(nType)) {
            return false;
        }
        uint16_t nIncrement = 0;
        if (nType == kRecordTick) {
            if (!reader.U16(nIncrement)) {
                return false;
            }
            m_nRunningTime += nIncrement;
            return true;
        }
        if (nType == kRecordCursor && !reader.U16(nIncrement)) {
            return false;
        }
        if (nType < kRecordOldPixels || nType > kRecordCursor) {
            return false;
        }
        SStreamRect rc;
        if (!reader.S16(rc.nLeft) || !reader.S16(rc.nRight) || !reader.S16(rc.nTop) ||
            !reader.S16(rc.nBottom) || !Inside(rc) || !DecodeRect(reader, rc)) {
            return false;
        }
        if (nType == kRecordCursor) {
            m_nRunningTime += nIncrement;
            if (!m_Options.bRecoverMouse) {
                return true;
            }
        }
        Accept(static_cast<EStreamRecordType>(nType), rc);
        return true;
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
        m_Picture[y * static_cast<size_t>(m_Options.nMaxWidth) + x] = crPixel;
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

    // A capture writes the old pixels of its rectangles, then their new pixels: such a run of
    // type-1 rectangles and the type-2 rectangles after it stay one frame, so that the frame can
    // be stepped over in both directions. Any other rectangle is a frame of its own.
    void Accept(EStreamRecordType type, const SStreamRect& rc) {
        const bool bJoin = (type == kRecordOldPixels && m_eGroup == EGroup::OldPixels) ||
                           (type == kRecordNewPixels &&
                            (m_eGroup == EGroup::OldPixels || m_eGroup == EGroup::NewPixels));
        if (type == kRecordOldPixels) {
            m_eGroup = EGroup::OldPixels;
        } else if (type == kRecordNewPixels) {
            m_eGroup = bJoin ? EGroup::NewPixels : EGroup::None;
        } else {
            m_eGroup = EGroup::None;
        }
        const uint32_t nRunning =
            static_cast<uint32_t>(std::min<uint64_t>(m_nRunningTime, INT32_MAX));
        m_nRunningTime = 0;
        if (!bJoin) {
            m_pFrame = &m_Stream.AppendCapturedFrame();
            const bool bOwnTime = nRunning > 0 && type != kRecordCursor;
            if (bOwnTime) {
                m_Stream.WriteTick(nRunning);
            }
            m_pFrame->m_nDuration =
                bOwnTime ? static_cast<int32_t>(nRunning) : CRecovery::kCursorFrameTime;
            m_pFrame->m_nRecordedDuration = m_pFrame->m_nDuration;
        } else if (nRunning > 0) {
            // Time found between the rectangles of one capture lengthens its frame.
            m_Stream.WriteTick(nRunning);
        }
        m_Stream.WriteRect(rc.nLeft, rc.nTop, rc.nRight, rc.nBottom, m_Picture.data(),
                           static_cast<size_t>(m_Options.nMaxWidth), type,
                           type == kRecordCursor ? nRunning : 0);
        if (type != kRecordCursor) {
            m_nMaxRight = std::max<int>(m_nMaxRight, rc.nRight);
            m_nMaxBottom = std::max<int>(m_nMaxBottom, rc.nBottom);
            m_Rects.emplace_back(m_pFrame, rc);
        }
    }

    enum class EGroup { None, OldPixels, NewPixels };

    CDemoProject& m_Project;
    CCaptureStream& m_Stream;
    const SRecoveryOptions& m_Options;
    EPixelCoding m_Coding;
    std::vector<uint32_t> m_Picture;
    std::vector<uint8_t> m_Inflated;
    std::vector<std::pair<CFrameInfo*, SStreamRect>> m_Rects;
    CFrameInfo* m_pFrame = nullptr;
    uint64_t m_nRunningTime = 0;
    uint64_t m_nSkipped = 0;
    int m_nMaxRight = -1;
    int m_nMaxBottom = -1;
    EGroup m_eGroup = EGroup::None;
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
