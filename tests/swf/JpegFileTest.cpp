#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "swf/JpegFile.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<uint8_t> Gradient(int width, int height) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rgb.push_back(uint8_t(x * 255 / width));
            rgb.push_back(uint8_t(y * 255 / height));
            rgb.push_back(128);
        }
    }
    return rgb;
}

std::vector<uint8_t> Filled(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < width * height; ++i) {
        rgb.insert(rgb.end(), {r, g, b});
    }
    return rgb;
}

// The component count of the first baseline frame header.
int Components(const std::vector<uint8_t>& jpeg) {
    for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            return jpeg[i + 9];
        }
    }
    return -1;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(JpegFile, ColourRoundTripStaysWithinJpegTolerance) {
    const std::vector<uint8_t> rgb = Gradient(37, 21);
    const SJpegResult encoded = CJpegFile::EncodeJpeg(rgb, 37, 21, true, 90);
    EXPECT_EQ(encoded.strError, "");
    const std::vector<uint8_t>& jpeg = encoded.data;
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg.back(), 0xD9);
    EXPECT_EQ(Components(jpeg), 3);

    const SJpegResult back = CJpegFile::DecodeJpeg(jpeg);
    EXPECT_EQ(back.strError, "");
    ASSERT_EQ(back.nWidth, 37);
    ASSERT_EQ(back.nHeight, 21);
    ASSERT_EQ(back.data.size(), rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i) {
        ASSERT_NEAR(back.data[i], rgb[i], 12) << "byte " << i;
    }
}

TEST(JpegFile, GreyOutputUsesLumaWeightsAndReadsBackAsThreeChannels) {
    struct SCase {
        uint8_t r, g, b, grey;
    };
    for (const SCase& c : {SCase{255, 0, 0, 76}, SCase{0, 255, 0, 149}, SCase{0, 0, 255, 29},
                           SCase{255, 255, 255, 255}}) {
        CTempDir dir;
        const std::string path = dir.File("grey.jpg");
        ASSERT_TRUE(
            CJpegFile::WriteJpegFile(path, Filled(16, 16, c.r, c.g, c.b), 16, 16, false, 100).Ok());
        EXPECT_EQ(Components(ReadBytes(path)), 1);
        const std::vector<uint8_t> back = CJpegFile::ReadJpegFile(path).data;
        ASSERT_EQ(back.size(), 16u * 16u * 3u);
        EXPECT_EQ(back[0], c.grey);
        EXPECT_EQ(back[1], c.grey);
        EXPECT_EQ(back[2], c.grey);
    }
}

TEST(JpegFile, WritingToAFileGivesTheSameBytesAsInMemory) {
    CTempDir dir;
    const std::vector<uint8_t> rgb = Gradient(300, 200);
    ASSERT_TRUE(CJpegFile::WriteJpegFile(dir.File("a.jpg"), rgb, 300, 200, true, 75).Ok());
    EXPECT_EQ(ReadBytes(dir.File("a.jpg")), CJpegFile::EncodeJpeg(rgb, 300, 200, true, 75).data);
}

// A CMYK file, as print workflows write it, which has no conversion to RGB.
std::vector<uint8_t> CmykJpeg() {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 8;
    cinfo.image_height = 8;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(8 * 4, 100);
    while (cinfo.next_scanline < 8) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> data(out, out + size);
    std::free(out);
    return data;
}

TEST(JpegFile, FailuresSayWhyAndGiveNoPicture) {
    std::vector<uint8_t> truncated =
        CJpegFile::EncodeJpeg(Gradient(128, 128), 128, 128, true, 95).data;
    truncated.resize(truncated.size() - 300);
    std::vector<uint8_t> noise(500);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = uint8_t(i * 31);
    }
    struct SCase {
        const char* name;
        std::vector<uint8_t> data;
        const char* messageStart;
    };
    const SCase cases[] = {
        {"not a JPEG", noise, "JPEG :\n"},
        {"empty", {}, "JPEG :\n"},
        {"CMYK", CmykJpeg(), "JPEG :\nUnsupported colour space"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SJpegResult result = CJpegFile::DecodeJpeg(c.data);
        EXPECT_TRUE(result.data.empty());
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.strError.rfind(c.messageStart, 0), 0u) << result.strError;
    }

    // A truncated file still decodes (the library pads it with grey), as viewers show it.
    const SJpegResult padded = CJpegFile::DecodeJpeg(truncated);
    EXPECT_EQ(padded.data.size(), 128u * 128u * 3u);
    EXPECT_EQ(padded.strError, "");

    CTempDir dir;
    const std::string missing = dir.File("missing.jpg");
    const SJpegResult notRead = CJpegFile::ReadJpegFile(missing);
    EXPECT_TRUE(notRead.data.empty());
    EXPECT_EQ(notRead.strError, "JPEG :\nCan't open " + missing + "\n");

    const std::string nowhere = dir.File("no/such/dir.jpg");
    EXPECT_EQ(CJpegFile::WriteJpegFile(nowhere, Gradient(4, 4), 4, 4, true, 50).strError,
              "JPEG :\nCan't open " + nowhere + "\n");
    const SJpegResult tooSmall =
        CJpegFile::WriteJpegFile(dir.File("small.jpg"), Gradient(4, 4), 5, 4, true, 50);
    EXPECT_EQ(tooSmall.strError, "JPEG :\nInvalid picture size");
    EXPECT_FALSE(std::filesystem::exists(dir.File("small.jpg")));
}

}  // namespace
