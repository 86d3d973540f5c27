#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "swf/SwfCompress.h"
#include "swf/SwfSimpleTags.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagStream.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfTestSupport.h"

namespace {

// A tag whose body is a payload passed by reference, as bitmaps and sounds do.
class CBlockTag : public CSwfTag {
public:
    explicit CBlockTag(const std::vector<uint8_t>& payload) : m_payload(payload) {}
    void Write(CSwfBitWriter& writer) override {
        CSwfBitWriter body;
        body.AddBlock(m_payload.data(), static_cast<uint32_t>(m_payload.size()));
        WriteRecord(writer, 2, body);
    }

private:
    const std::vector<uint8_t>& m_payload;
};

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& data, size_t from, size_t size) {
    std::vector<uint8_t> out(size + 16);
    uLongf outLength = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &outLength, data.data() + from,
                   static_cast<uLong>(data.size() - from)) != Z_OK) {
        return {};
    }
    out.resize(outLength);
    return out;
}

class SwfTagStreamTest : public ::testing::Test {
protected:
    std::vector<std::string> FolderContents() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_dir.Path())) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    CTempDir m_dir;
};

TEST_F(SwfTagStreamTest, EmptyStreamAndItsCompressedForm) {
    const std::string path = m_dir.File("empty.swf");
    CSwfTagStream stream;
    ASSERT_TRUE(stream.Save(path, 11000, 8000, 12)) << stream.Error();
    const std::vector<uint8_t> plain = ReadFileBytes(path);
    std::vector<uint8_t> expected = SwfFileHeader(23, 11000, 8000, 12, 0);
    expected.push_back(0x00);
    expected.push_back(0x00);
    EXPECT_EQ(ToHex(plain), ToHex(expected));

    std::string error;
    ASSERT_TRUE(CompressSwfFile(path, &error)) << error;
    const std::vector<uint8_t> packed = ReadFileBytes(path);
    ASSERT_GT(packed.size(), 8u);
    EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "CWS");
    EXPECT_EQ(std::vector<uint8_t>(packed.begin() + 3, packed.begin() + 8),
              std::vector<uint8_t>(plain.begin() + 3, plain.begin() + 8))
        << "version and the uncompressed length stay";
    EXPECT_EQ(Inflate(packed, 8, plain.size()),
              std::vector<uint8_t>(plain.begin() + 8, plain.end()));
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"empty.swf"});
}

TEST_F(SwfTagStreamTest, CompressesAMovieLargerThanOneChunk) {
    const std::string path = m_dir.File("big.swf");
    std::vector<uint8_t> payload(100000);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>((i * 7919) >> 5);
    }
    CSwfTagStream stream;
    stream.Add(std::make_unique<CBlockTag>(payload));
    stream.Add(std::make_unique<CSwfShowFrame>());
    ASSERT_TRUE(stream.Save(path, 100, 100, 1)) << stream.Error();
    const std::vector<uint8_t> plain = ReadFileBytes(path);
    ASSERT_EQ(plain.size(), 21u + 6 + payload.size() + 2 + 2);
    EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 27, plain.begin() + 27 + 100000), payload);
    EXPECT_EQ(ReadFileHeader(plain).frames, 1);

    ASSERT_TRUE(CompressSwfFile(path));
    const std::vector<uint8_t> packed = ReadFileBytes(path);
    EXPECT_EQ(Inflate(packed, 8, plain.size()),
              std::vector<uint8_t>(plain.begin() + 8, plain.end()));
}

TEST_F(SwfTagStreamTest, ProgressAndCancelling) {
    const std::string path = m_dir.File("cancelled.swf");
    CSwfTagStream stream;
    for (int i = 0; i < 4; ++i) {
        stream.Add(std::make_unique<CSwfSetBackgroundColor>(CSwfColor(1, 2, 3)));
        stream.Add(std::make_unique<CSwfShowFrame>());
    }
    EXPECT_EQ(stream.FrameCount(), 4u);
    CRecordingProgress progress;
    progress.m_nCancelAfter = 4;
    ASSERT_TRUE(stream.Save(path, 200, 100, 10, &progress)) << stream.Error();
    EXPECT_TRUE(stream.WasCancelled());
    EXPECT_EQ(progress.m_captions, std::vector<std::string>{"Writing movie to file"});
    EXPECT_EQ(progress.m_percents, (std::vector<double>{0.0, 12.5, 25.0, 37.5, 50.0}));
    EXPECT_EQ(progress.m_nEnds, 1);

    // Two colour tags and two ShowFrames, then End: the header counts only the frames written.
    const std::vector<uint8_t> file = ReadFileBytes(path);
    const SFileHeader header = ReadFileHeader(file);
    EXPECT_EQ(header.length, file.size());
    EXPECT_EQ(header.frames, 2);
    EXPECT_EQ(file.size(), 21u + 2 * (5 + 2) + 2);
}

TEST_F(SwfTagStreamTest, LimitsOfTheHeaderAreReportedErrors) {
    CSwfTagStream wide;
    EXPECT_FALSE(wide.Save(m_dir.File("wide.swf"), 16384, 100, 1));
    EXPECT_FALSE(wide.Error().empty());
    CSwfTagStream largest;
    EXPECT_TRUE(largest.Save(m_dir.File("largest.swf"), 16383, 16383, 1)) << largest.Error();
    EXPECT_EQ(ReadFileHeader(ReadFileBytes(m_dir.File("largest.swf"))).width, 16383);

    CSwfTagStream longMovie;
    for (int i = 0; i < 0x10000; ++i) {
        longMovie.Add(std::make_unique<CSwfShowFrame>());
    }
    EXPECT_FALSE(longMovie.Save(m_dir.File("long.swf"), 100, 100, 1));
    EXPECT_NE(longMovie.Error().find("65535"), std::string::npos) << longMovie.Error();
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"largest.swf"});
}

// Every failure is reported, and the file that was there before stays as it was.
TEST_F(SwfTagStreamTest, FailedWritesLeaveTheTargetAlone) {
    CSwfTagStream stream;
    EXPECT_FALSE(stream.Save(m_dir.File("missing/movie.swf"), 100, 100, 1));
    EXPECT_NE(stream.Error().find("missing"), std::string::npos) << stream.Error();

    // A folder in the way: the rename over it fails after the whole file was written.
    std::filesystem::create_directory(m_dir.Path() / "taken.swf");
    std::filesystem::create_directory(m_dir.Path() / "taken.swf" / "inside");
    EXPECT_FALSE(stream.Save(m_dir.File("taken.swf"), 100, 100, 1));
    EXPECT_NE(stream.Error().find("taken.swf"), std::string::npos) << stream.Error();
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "taken.swf" / "inside"));

    std::string error;
    EXPECT_FALSE(CompressSwfFile(m_dir.File("absent.swf"), &error));
    EXPECT_NE(error.find("absent.swf"), std::string::npos) << error;

    const std::string path = m_dir.File("movie.swf");
    ASSERT_TRUE(stream.Save(path, 100, 100, 1));
    ASSERT_TRUE(CompressSwfFile(path));
    const std::vector<uint8_t> compressed = ReadFileBytes(path);
    EXPECT_FALSE(CompressSwfFile(path, &error)) << "a compressed movie is not compressed twice";
    EXPECT_EQ(ReadFileBytes(path), compressed);
    EXPECT_EQ(FolderContents(), (std::vector<std::string>{"movie.swf", "taken.swf"}));
}

}  // namespace
