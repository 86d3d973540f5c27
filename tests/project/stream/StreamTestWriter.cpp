#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/RingBuffer.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class StreamWriterTest : public ::testing::Test {
protected:
    bool Begin(bool bZlib, int w = 4, int h = 3, size_t nRing = 0) {
        return m_Stream.Begin(m_Project, m_Dir.Path().string(), w, h, bZlib, nRing);
    }
    SCaptureFiles Stop() {
        SCaptureFiles files;
        EXPECT_TRUE(m_Stream.Stop(files));
        m_Data = ReadFile(files.dataPath);
        m_Index = ReadFile(files.indexPath);
        return files;
    }
    std::vector<uint8_t> Records() const {
        return std::vector<uint8_t>(m_Data.begin() + kStreamHeaderSize, m_Data.end());
    }

    CTempDir m_Dir;
    CDemoProject m_Project;
    CCaptureStream m_Stream;
    std::vector<uint8_t> m_Data;
    std::vector<uint8_t> m_Index;
};

TEST_F(StreamWriterTest, FilesHeaderTableAndRecordBytes) {
    ASSERT_TRUE(Begin(false));
    EXPECT_EQ(m_Project.m_nWidth, 4);
    EXPECT_TRUE(m_Project.m_b24BitColor);
    EXPECT_FALSE(m_Project.m_bZlibPixels);
    const auto dataName = std::filesystem::path(m_Stream.DataPath()).filename().string();
    const auto indexName = std::filesystem::path(m_Stream.IndexPath()).filename().string();
    EXPECT_EQ(dataName.substr(0, 3), "DMO");
    EXPECT_EQ(indexName.substr(0, 3), "DIX");
    EXPECT_EQ(dataName.substr(dataName.size() - 4), ".tmp");

    // A 4 x 3 screen; the rectangle (1,0)-(2,1) is written column by column.
    const uint32_t screen[12] = {0, 0x010203, 0x040506, 0,  //
                                 0, 0x070809, 0x0A0B0C, 0,  //
                                 0, 0,        0,        0};
    m_Stream.AppendCapturedFrame();
    ASSERT_TRUE(m_Stream.WriteRect(1, 0, 2, 1, screen, 4, kRecordNewPixels));
    m_Stream.WriteTick(0x0102);
    m_Stream.AppendCapturedFrame();
    ASSERT_TRUE(m_Stream.WriteRect(0, 2, 0, 2, screen, 4, kRecordCursor, 7, true));
    Stop();

    EXPECT_EQ(std::string(m_Data.begin(), m_Data.begin() + 16), "Quillomatic07.47");
    EXPECT_EQ(std::vector<uint8_t>(m_Data.begin() + 16, m_Data.begin() + 22),
              (std::vector<uint8_t>{0, 0, 4, 0, 3, 0}));
    const std::vector<uint8_t> expected = {
        // type 2, left 1, right 2, top 0, bottom 1
        2, 1, 0, 2, 0, 0, 0, 1, 0,
        // column x=1: 0x010203, 0x070809; column x=2: 0x040506, 0x0A0B0C
        0x00, 0x03, 0x02, 0x03, 0x09, 0x08, 0x02, 0x06, 0x05, 0x05, 0x0C, 0x0B,
        // type 4 with 0x0102
        4, 0x02, 0x01,
        // type 3 with 7, rectangle (0,2)-(0,2), one black pixel
        3, 7, 0, 0, 0, 0, 0, 2, 0, 2, 0, 0, 0, 0};
    EXPECT_EQ(Records(), expected);
    const std::vector<uint8_t> table = {0x16,
                                        0,
                                        0,
                                        0,
                                        0,
                                        0,
                                        0,
                                        0xFF,  //
                                        static_cast<uint8_t>(22 + 24),
                                        0,
                                        0,
                                        0,
                                        0,
                                        0,
                                        0,
                                        0};
    EXPECT_EQ(m_Index, table);
    EXPECT_EQ(m_Project.FrameCount(), 2u);
    EXPECT_EQ(m_Project.m_nStreamFrames, 2u);
    EXPECT_EQ(m_Project.FirstFrame()->m_nDuration, 0x0102);
    EXPECT_EQ(m_Project.LastFrame()->m_nRecordedDuration, 7);
}

TEST_F(StreamWriterTest, LongPausesAreSplitIntoSeveralTickRecords) {
    ASSERT_TRUE(Begin(false));
    const uint32_t pixel = 0x123456;
    m_Stream.AppendCapturedFrame();
    m_Stream.WriteTick(70'000);
    m_Stream.WriteRect(0, 0, 0, 0, &pixel, 1, kRecordCursor, 65'536, true);
    m_Stream.WriteRect(0, 0, 0, 0, &pixel, 1, kRecordCursor, 9, false);
    Stop();
    const std::vector<uint8_t> expected = {
        4, 0xFF, 0xFF, 4, 0x71, 0x11,  // 65,535 + 4,465
        4, 0x01, 0x00,                 // the part of 65,536 that does not fit
        3, 0xFF, 0xFF, 0, 0,    0,    0, 0, 0, 0, 0, 0x09, 0x56, 0x34,  //
        3, 9,    0,    0, 0,    0,    0, 0, 0, 0, 0, 0x09, 0x56, 0x34};
    EXPECT_EQ(Records(), expected);
    EXPECT_EQ(m_Project.LastFrame()->m_nDuration, 70'000 + 65'536);
    EXPECT_EQ(m_Project.LastFrame()->m_nRecordedDuration, 70'000 + 65'536);
}

TEST_F(StreamWriterTest, RectanglesOutsideTheAreaAreRefused) {
    ASSERT_TRUE(Begin(true));
    m_Stream.AppendCapturedFrame();
    std::vector<uint32_t> screen(12, 0x0000FF);
    struct SCase {
        int l, t, r, b;
        EStreamRecordType type;
    };
    const SCase refused[] = {{-1, 0, 1, 1, kRecordNewPixels},
                             {0, 0, 4, 0, kRecordNewPixels},
                             {0, 0, 0, 3, kRecordOldPixels},
                             {2, 0, 1, 0, kRecordNewPixels},
                             {0, 0, 0, 0, kRecordTick}};
    for (const SCase& k : refused) {
        EXPECT_FALSE(m_Stream.WriteRect(k.l, k.t, k.r, k.b, screen.data(), 4, k.type));
    }
    EXPECT_FALSE(m_Stream.WriteRect(0, 0, 3, 0, screen.data(), 3, kRecordNewPixels))
        << "row shorter than the rectangle";
    EXPECT_EQ(m_Stream.BytesWritten(), kStreamHeaderSize);
    EXPECT_TRUE(m_Stream.WriteRect(0, 0, 3, 2, screen.data(), 4, kRecordNewPixels));
}

TEST_F(StreamWriterTest, ColourCensusCountsEveryPixelAndSaturates) {
    ASSERT_TRUE(Begin(true));
    const uint32_t index = CDemoProject::HistogramIndex(0x0000FF);
    m_Project.m_ColorHistogram[index] = UINT32_MAX - 2;
    std::vector<uint32_t> screen(12, 0x0000FF);
    screen[0] = 0xFFFFFF;
    m_Stream.AppendCapturedFrame();
    m_Stream.WriteRect(0, 0, 3, 2, screen.data(), 4, kRecordNewPixels);
    EXPECT_EQ(m_Project.m_ColorHistogram[index], UINT32_MAX);
    EXPECT_EQ(m_Project.m_ColorHistogram[CDemoProject::HistogramIndex(0xFFFFFF)], 1u);
}

TEST_F(StreamWriterTest, SmallRingWritesTheSameFileAsALargeOne) {
    std::mt19937 rng(4);
    std::vector<uint32_t> screen(64 * 48);
    for (uint32_t& px : screen) {
        px = rng() % 3 == 0 ? rng() : 0x808080;
    }
    auto record = [&](size_t nRing) {
        CDemoProject project;
        CCaptureStream stream;
        EXPECT_TRUE(stream.Begin(project, m_Dir.Path().string(), 64, 48, false, nRing));
        EXPECT_EQ(stream.RingCapacity(), nRing);
        for (int f = 0; f < 20; ++f) {
            stream.AppendCapturedFrame();
            stream.WriteRect(f, f, 63, 47, screen.data(), 64, kRecordNewPixels);
            stream.WriteTick(5);
            if (f == 10) {
                EXPECT_TRUE(stream.Flush(1000));
            }
        }
        SCaptureFiles files;
        EXPECT_TRUE(stream.Stop(files));
        EXPECT_EQ(files.nPictures, 20u);
        auto bytes = ReadFile(files.dataPath);
        EXPECT_EQ(bytes.size(), files.nDataBytes);
        std::filesystem::remove(files.dataPath);
        std::filesystem::remove(files.indexPath);
        return bytes;
    };
    const auto large = record(20'000'000);
    EXPECT_GT(large.size(), 3 * 4096u);
    EXPECT_EQ(record(4096), large) << "the ring wraps many times";
    EXPECT_EQ(record(100'003), large) << "a ring larger than one flush piece";
}

TEST(RingBufferTest, FlushWritesOnlyWhatIsAskedAndWrapsInTwoPieces) {
    CTempDir dir;
    const std::string path = dir.File("ring");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    CRingBuffer ring;
    ring.Begin(fileno(f), 10);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
    ring.Put(bytes, 8);
    EXPECT_TRUE(ring.Flush(6));
    EXPECT_EQ(ring.Unflushed(), 2u);
    ring.Put(bytes, 7);  // wraps past the end of the ring
    EXPECT_EQ(ring.Unflushed(), 9u);
    EXPECT_TRUE(ring.Flush(100));
    EXPECT_EQ(ring.Unflushed(), 0u);
    EXPECT_TRUE(ring.Flush(5)) << "nothing left: nothing to do";
    ring.Put(bytes, 8);
    ring.Put(bytes, 2);  // exactly full: one flush of everything
    EXPECT_EQ(ring.Unflushed(), 0u);
    EXPECT_EQ(ring.TotalBytes(), 25u);
    std::fclose(f);
    EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5,
                                                    6, 7, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2}));
}

TEST(RingBufferTest, AfterARefusedWriteTheFileGetsNoPiecesOfLaterRecords) {
    CTempDir dir;
    const std::string path = dir.File("ring");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    CRingBuffer ring;
    ring.Begin(fileno(f), 64);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
    {
        CFileSizeLimit full(10);
        ring.Put(bytes, 8);
        EXPECT_TRUE(ring.Flush(8));
        ring.Put(bytes, 8);
        EXPECT_FALSE(ring.Flush(8));
    }
    // The disk has room again; what the ring holds now still stays out of the file.
    ring.Put(bytes, 8);
    EXPECT_FALSE(ring.FlushAll());
    EXPECT_TRUE(ring.WriteFailed());
    EXPECT_EQ(ring.Unflushed(), 0u);
    std::fclose(f);
    EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 1, 2}));
}

// A tick writes 64 KB of the ring; what is older than half a second goes out whole.
TEST_F(StreamWriterTest, TickFlushEmptiesTheRingEveryHalfSecond) {
    ASSERT_TRUE(Begin(false, 300, 300, 1'000'000));
    std::mt19937 rng(8);
    std::vector<uint32_t> noise(300 * 300);
    for (uint32_t& px : noise) {
        px = rng() & 0xFEFFFF;
    }
    m_Stream.AppendCapturedFrame();
    m_Stream.WriteRect(0, 0, 299, 299, noise.data(), 300, kRecordNewPixels);
    const size_t nWritten = m_Stream.Unflushed();
    ASSERT_GT(nWritten, 3 * CCaptureStream::kFlushPerTick);
    struct SStep {
        uint32_t nNowMs;
        size_t nLeft;
    };
    const SStep steps[] = {
        {1000, nWritten - CCaptureStream::kFlushPerTick},
        {1050, nWritten - 2 * CCaptureStream::kFlushPerTick},
        {1499, nWritten - 3 * CCaptureStream::kFlushPerTick},
        {1500, 0},
    };
    for (const SStep& step : steps) {
        EXPECT_TRUE(m_Stream.FlushForTick(step.nNowMs));
        EXPECT_EQ(m_Stream.Unflushed(), step.nLeft) << "at " << step.nNowMs << " ms";
    }
    // The half second counts from the moment the ring was last empty.
    m_Stream.WriteTick(7);
    EXPECT_TRUE(m_Stream.FlushForTick(1900));
    EXPECT_EQ(m_Stream.Unflushed(), 0u);
    m_Stream.WriteRect(0, 0, 299, 299, noise.data(), 300, kRecordOldPixels);
    EXPECT_TRUE(m_Stream.FlushForTick(2300));
    EXPECT_GT(m_Stream.Unflushed(), 0u);
    EXPECT_TRUE(m_Stream.FlushForTick(2400));
    EXPECT_EQ(m_Stream.Unflushed(), 0u);
}

TEST(RingBufferTest, DefaultSizeIsTheSmallerOfTheLimitAndHalfTheFreeMemory) {
    const size_t nRing = CRingBuffer::DefaultCapacity();
    EXPECT_LE(nRing, CRingBuffer::kLargestRing);
    const uint64_t nHalf = HalfAvailableMemory();
    if (nHalf > 0) {
        EXPECT_EQ(nRing, std::min<uint64_t>(nHalf, CRingBuffer::kLargestRing));
    }
}

TEST_F(StreamWriterTest, DiscardDeletesBothFilesAndStopHandsThemOver) {
    ASSERT_TRUE(Begin(false));
    const std::string data = m_Stream.DataPath();
    const std::string index = m_Stream.IndexPath();
    m_Stream.Discard();
    EXPECT_FALSE(std::filesystem::exists(data));
    EXPECT_FALSE(std::filesystem::exists(index));

    ASSERT_TRUE(Begin(false));
    SCaptureFiles files = Stop();
    EXPECT_TRUE(std::filesystem::exists(files.dataPath));
    EXPECT_EQ(m_Data.size(), kStreamHeaderSize);
    EXPECT_FALSE(m_Stream.IsOpen());

    CCaptureStream nowhere;
    EXPECT_FALSE(nowhere.Begin(m_Project, m_Dir.File("no-such-folder"), 4, 3, false));
}

}  // namespace
