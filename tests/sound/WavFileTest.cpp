// The WAV header that narrations get and the two readers: which files are read directly, where
// their samples lie, and what damaged files do.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "fuzz/sound/WavReaderFuzz.h"
#include "project/store/ByteOrder.h"
#include "sound/WavFile.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

// A RIFF/WAVE file made of chunks; the RIFF length covers them all unless told otherwise.
struct CRiffBuilder {
    std::vector<uint8_t> bytes;

    CRiffBuilder() { Raw("RIFF\0\0\0\0WAVE", 12); }
    CRiffBuilder& Raw(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    CRiffBuilder& Chunk(const char* id, std::vector<uint8_t> body, bool bPad = true,
                        std::optional<uint32_t> nDeclared = {}) {
        uint8_t head[8];
        std::memcpy(head, id, 4);
        PutU32(head + 4, nDeclared.value_or(static_cast<uint32_t>(body.size())));
        Raw(head, 8).Raw(body.data(), body.size());
        if (bPad && body.size() % 2) {
            bytes.push_back(0);
        }
        return *this;
    }
    CRiffBuilder& Format(uint16_t nTag, uint16_t nChannels, uint16_t nBits, size_t nExtra = 0) {
        std::vector<uint8_t> f(16 + nExtra);
        const auto fmt = SWavFormat::Pcm(8000, nChannels, nBits);
        PutU16(f.data(), nTag);
        PutU16(f.data() + 2, nChannels);
        PutU32(f.data() + 4, 8000);
        PutU32(f.data() + 8, fmt.nAvgBytesPerSec);
        PutU16(f.data() + 12, fmt.nBlockAlign);
        PutU16(f.data() + 14, nBits);
        return Chunk("fmt ", f);
    }
    std::vector<uint8_t> Done(std::optional<uint32_t> nRiff = {}) {
        PutU32(bytes.data() + 4, nRiff.value_or(static_cast<uint32_t>(bytes.size() - 8)));
        return bytes;
    }
};

std::vector<uint8_t> Samples(size_t n) {
    std::vector<uint8_t> s(n);
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    return s;
}

const std::vector<uint8_t> kList = {'I', 'N', 'F', 'O', 'a', 'b', 'c'};  // odd length: padded

}  // namespace

TEST(WavFile, HeaderAsWrittenByNarrations) {
    const auto h = MakeWavHeader(SWavFormat::Pcm(22050, 2, 16), 1000);
    EXPECT_EQ(0, std::memcmp(h.data(), "RIFF", 4));
    EXPECT_EQ(GetU32(h.data() + 4), 1036u);
    EXPECT_EQ(0, std::memcmp(h.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(GetU32(h.data() + 16), 16u);
    EXPECT_EQ(GetU16(h.data() + 20), 1u);
    EXPECT_EQ(GetU16(h.data() + 22), 2u);
    EXPECT_EQ(GetU32(h.data() + 24), 22050u);
    EXPECT_EQ(GetU32(h.data() + 28), 88200u);
    EXPECT_EQ(GetU16(h.data() + 32), 4u);
    EXPECT_EQ(GetU16(h.data() + 34), 16u);
    EXPECT_EQ(0, std::memcmp(h.data() + 36, "data", 4));
    EXPECT_EQ(GetU32(h.data() + 40), 1000u);
}

TEST(WavFile, WriterCompletesTheSizesAndReadsBack) {
    CTempDir dir;
    const std::string path = dir.File("a narration #1.wav");
    CWavWriter w;
    ASSERT_TRUE(w.Open(path, SWavFormat::Pcm(11025, 1, 16)));
    const auto s = Samples(300);
    ASSERT_TRUE(w.Write(s));
    ASSERT_TRUE(w.Write(s));
    ASSERT_TRUE(w.Finish());
    const auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 644u);
    EXPECT_EQ(GetU32(bytes.data() + 4), 636u);
    EXPECT_EQ(GetU32(bytes.data() + 40), 600u);
    for (const auto& info : {ReadWavInfoFromFile(path), ReadStrictWavHeaderFromFile(path)}) {
        ASSERT_TRUE(info);
        EXPECT_TRUE(info->bDirect);
        EXPECT_EQ(info->nDataOffset, 44u);
        EXPECT_EQ(info->nDataBytes, 600u);
    }
}

TEST(WavFile, WriterReportsAFullDisk) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    CWavWriter w;
    ASSERT_TRUE(w.Open("/dev/full", SWavFormat::Pcm(8000, 1, 8)));
    w.Write(Samples(100000));
    EXPECT_FALSE(w.Finish());
}

// Where each reader finds the samples, or that it refuses the file. nOffset 0 = refused or not
// direct.
struct SLayoutCase {
    const char* name;
    std::vector<uint8_t> file;
    bool bWalkerDirect;
    uint64_t nWalkerOffset;
    uint64_t nWalkerBytes;
    bool bStrictReads;
};

TEST(WavFile, ChunkLayouts) {
    const auto data = Samples(40);
    const std::vector<SLayoutCase> cases = {
        {"list between fmt and data",
         CRiffBuilder().Format(1, 1, 16).Chunk("LIST", kList).Chunk("data", data).Done(), true,
         12 + 24 + 16 + 8, 40, true},
        {"list before fmt",
         CRiffBuilder().Chunk("LIST", kList).Format(1, 1, 16).Chunk("data", data).Done(), true,
         12 + 16 + 24 + 8, 40, false},
        {"odd data length with its pad byte, then a trailing chunk",
         CRiffBuilder().Format(1, 1, 8).Chunk("data", Samples(5)).Chunk("LIST", kList).Done(), true,
         44, 5, true},
        {"extended format chunk", CRiffBuilder().Format(1, 2, 16, 2).Chunk("data", data).Done(),
         true, 12 + 26 + 8, 40, true},
        {"data longer than the file holds",
         CRiffBuilder().Format(1, 1, 16).Chunk("data", data, true, 1000000).Done(), true, 44, 40,
         true},
        {"riff length past the end of the file",
         CRiffBuilder().Format(1, 1, 16).Chunk("data", data).Done(0x7FFFFFF0), true, 44, 40, true},
        {"24-bit pcm", CRiffBuilder().Format(1, 1, 24).Chunk("data", Samples(42)).Done(), false, 0,
         0, true},
        {"ima adpcm", CRiffBuilder().Format(17, 1, 4).Chunk("data", data).Done(), false, 0, 0,
         true},
        {"six channels", CRiffBuilder().Format(1, 6, 16).Chunk("data", Samples(48)).Done(), false,
         0, 0, true},
        {"data before fmt", CRiffBuilder().Chunk("data", data).Format(1, 1, 16).Done(), false, 0, 0,
         false},
        {"chunk length past the end ends the walk",
         CRiffBuilder().Chunk("LIST", kList, true, 500).Format(1, 1, 16).Chunk("data", data).Done(),
         false, 0, 0, false},
        {"no data chunk", CRiffBuilder().Format(1, 1, 16).Done(), false, 0, 0, false},
    };
    for (const SLayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto walked = ReadWavInfo(c.file);
        ASSERT_TRUE(walked);
        EXPECT_EQ(walked->bDirect, c.bWalkerDirect);
        if (c.bWalkerDirect) {
            EXPECT_EQ(walked->nDataOffset, c.nWalkerOffset);
            EXPECT_EQ(walked->nDataBytes, c.nWalkerBytes);
        }
        const auto strict = ReadStrictWavHeader(
            [&](uint64_t off, std::span<uint8_t> out) -> size_t {
                if (off >= c.file.size()) {
                    return 0;
                }
                const size_t n = std::min<size_t>(out.size(), c.file.size() - off);
                std::memcpy(out.data(), c.file.data() + off, n);
                return n;
            },
            c.file.size());
        EXPECT_EQ(strict.has_value(), c.bStrictReads);
    }
}

TEST(WavFile, NotWavFiles) {
    const std::vector<std::vector<uint8_t>> files = {
        {},
        {'R', 'I', 'F', 'F'},
        {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
        {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '},
    };
    for (const auto& f : files) {
        EXPECT_FALSE(ReadWavInfo(f));
    }
    EXPECT_FALSE(ReadWavInfoFromFile("/nonexistent/x.wav"));
}

TEST(WavFile, FormatTagNames) {
    EXPECT_EQ(WavFormatTagName(1), "WAVE_FORMAT_PCM\n");
    EXPECT_EQ(WavFormatTagName(17), "WAVE_FORMAT_DVI_ADPCM or WAVE_FORMAT_IMA_ADPCM\n");
    EXPECT_EQ(WavFormatTagName(16), "WAVE_FORMAT_OKI_ADPCM");
    EXPECT_EQ(WavFormatTagName(0xFFFE), "WAVE_FORMAT_UNKNOWN");
}

// Every committed fuzz input runs through the readers without a fault.
TEST(WavFile, FuzzCorpusReplays) {
    const std::filesystem::path corpus =
        std::filesystem::path(QUILLO_SOURCE_DIR) / "fuzz/sound/corpus/wav";
    size_t nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const auto bytes = ReadFileBytes(entry.path().string());
        FuzzWavReader(bytes.data(), bytes.size());
        ++nFiles;
    }
    EXPECT_GT(nFiles, 0u) << "the corpus is missing";
}
