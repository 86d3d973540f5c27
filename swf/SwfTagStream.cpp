#include "swf/SwfTagStream.h"

#include <cerrno>
#include <cstring>

#include "platform/ReplacingFile.h"
#include "swf/SwfBitWriter.h"
#include "swf/SwfProgress.h"

namespace {

constexpr uint32_t kHeaderSize = 21;
constexpr int kStageBits = 15;

}  // namespace

void CSwfTagStream::Add(std::unique_ptr<CSwfTag> tag) {
    if (tag->IsShowFrame()) {
        ++m_nFrameCount;
    }
    m_tags.push_back(std::move(tag));
}

void CSwfTagStream::WriteTags(CSwfBitWriter& writer) {
    for (auto& tag : m_tags) {
        tag->Write(writer);
    }
    WriteTagHeader(writer, 0, 0);
}

std::vector<uint8_t> SwfFileHeader(uint32_t fileLength, int32_t width, int32_t height, uint8_t rate,
                                   uint16_t frameCount) {
    CSwfBitWriter header;
    header.WriteU8('F');
    header.WriteU8('W');
    header.WriteU8('S');
    header.WriteU8(6);
    header.WriteU32(fileLength);
    header.WriteBits(kStageBits, 5);
    header.WriteBits(0, kStageBits);
    header.WriteBits(width, kStageBits);
    header.WriteBits(0, kStageBits);
    header.WriteBits(height, kStageBits);
    header.Align();
    header.WriteU8(0);
    header.WriteU8(rate);
    header.WriteU16(frameCount);
    return header.Bytes();
}

bool CSwfTagStream::Save(const std::string& path, int32_t width, int32_t height, uint8_t rate,
                         ISwfProgress* progress) {
    m_strError.clear();
    m_bCancelled = false;
    if (width < 0 || width > kMaxStageUnits || height < 0 || height > kMaxStageUnits) {
        m_strError = "The movie's stage of " + std::to_string(width) + " x " +
                     std::to_string(height) + " units is larger than " +
                     std::to_string(kMaxStageUnits) + " x " + std::to_string(kMaxStageUnits) + ".";
        return false;
    }

    CReplacingFile file;
    if (!file.Open(path, kSwfTempPrefix)) {
        m_strError = file.Error();
        return false;
    }

    CSwfBitWriter writer;
    for (uint32_t i = 0; i < kHeaderSize; ++i) {
        writer.WriteU8(0);
    }
    uint32_t framesWritten = 0;
    if (progress != nullptr) {
        progress->Begin("Writing movie to file");
    }
    for (size_t i = 0; i < m_tags.size(); ++i) {
        if (progress != nullptr) {
            progress->Set(static_cast<double>(i) * 100.0 / static_cast<double>(m_tags.size()));
            if (progress->IsCancelled()) {
                m_bCancelled = true;
                break;
            }
        }
        m_tags[i]->Write(writer);
        if (m_tags[i]->IsShowFrame()) {
            ++framesWritten;
        }
    }
    WriteTagHeader(writer, 0, 0);
    if (progress != nullptr) {
        progress->End();
    }

    if (framesWritten > 0xFFFF) {
        m_strError = "The movie has " + std::to_string(framesWritten) +
                     " frames; a movie holds at most 65535.";
        return false;
    }
    if (writer.TotalLength() > 0xFFFFFFFFu) {
        m_strError = "The movie is larger than 4 GB.";
        return false;
    }
    writer.Patch(0, SwfFileHeader(static_cast<uint32_t>(writer.TotalLength()), width, height, rate,
                                  static_cast<uint16_t>(framesWritten)));
    if (!writer.WriteTo(file.File())) {
        m_strError = "Cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!file.Commit()) {
        m_strError = file.Error();
        return false;
    }
    return true;
}
