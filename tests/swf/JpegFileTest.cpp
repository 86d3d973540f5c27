#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

#include "platform/ScriptedPrompter.h"
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
    CScriptedPrompter prompter;
    const std::vector<uint8_t> rgb = Gradient(37, 21);
    const std::vector<uint8_t> jpeg = CJpegFile::EncodeJpeg(rgb, 37, 21, true, 90, prompter);
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg.back(), 0xD9);
    EXPECT_EQ(Components(jpeg), 3);

    int width = 0, height = 0;
    const std::vector<uint8_t> back = CJpegFile::DecodeJpeg(jpeg, width, height, prompter);
    ASSERT_EQ(width, 37);
    ASSERT_EQ(height, 21);
    ASSERT_EQ(back.size(), rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i) {
        ASSERT_NEAR(back[i], rgb[i], 12) << "byte " << i;
    }
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST(JpegFile, GreyOutputUsesLumaWeightsAndReadsBackAsThreeChannels) {
    struct SCase {
        uint8_t r, g, b, grey;
    };
    for (const SCase& c : {SCase{255, 0, 0, 76}, SCase{0, 255, 0, 149}, SCase{0, 0, 255, 29},
                           SCase{255, 255, 255, 255}}) {
        CScriptedPrompter prompter;
        CTempDir dir;
        const std::string path = dir.File("grey.jpg");
        ASSERT_EQ(CJpegFile::WriteJpegFile(path, Filled(16, 16, c.r, c.g, c.b), 16, 16, false, 100,
                                           prompter),
                  1);
        EXPECT_EQ(Components(ReadBytes(path)), 1);
        int width = 0, height = 0;
        const std::vector<uint8_t> back = CJpegFile::ReadJpegFile(path, width, height, prompter);
        ASSERT_EQ(back.size(), 16u * 16u * 3u);
        EXPECT_EQ(back[0], c.grey);
        EXPECT_EQ(back[1], c.grey);
        EXPECT_EQ(back[2], c.grey);
    }
}

TEST(JpegFile, WritingToAFileGivesTheSameBytesAsInMemory) {
    CScriptedPrompter prompter;
    CTempDir dir;
    const std::vector<uint8_t> rgb = Gradient(300, 200);
    ASSERT_EQ(CJpegFile::WriteJpegFile(dir.File("a.jpg"), rgb, 300, 200, true, 75, prompter), 1);
    EXPECT_EQ(ReadBytes(dir.File("a.jpg")),
              CJpegFile::EncodeJpeg(rgb, 300, 200, true, 75, prompter));
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

TEST(JpegFile, FailuresAreShownAndGiveNoPicture) {
    CScriptedPrompter good;
    std::vector<uint8_t> truncated =
        CJpegFile::EncodeJpeg(Gradient(128, 128), 128, 128, true, 95, good);
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
        CScriptedPrompter prompter;
        int width = -1, height = -1;
        EXPECT_TRUE(CJpegFile::DecodeJpeg(c.data, width, height, prompter).empty());
        ASSERT_EQ(prompter.Messages().size(), 1u);
        EXPECT_EQ(prompter.Messages()[0].text.rfind(c.messageStart, 0), 0u)
            << prompter.Messages()[0].text;
        EXPECT_EQ(prompter.Messages()[0].icon, EMsgIcon::Error);
    }

    // A truncated file still decodes (the library pads it with grey), as viewers show it.
    CScriptedPrompter prompter;
    int width = 0, height = 0;
    EXPECT_EQ(CJpegFile::DecodeJpeg(truncated, width, height, prompter).size(), 128u * 128u * 3u);
    EXPECT_TRUE(prompter.Messages().empty());

    CTempDir dir;
    const std::string missing = dir.File("missing.jpg");
    EXPECT_TRUE(CJpegFile::ReadJpegFile(missing, width, height, prompter).empty());
    EXPECT_EQ(prompter.Messages().back().text, "JPEG :\nCan't open " + missing + "\n");

    EXPECT_EQ(CJpegFile::WriteJpegFile(dir.File("no/such/dir.jpg"), Gradient(4, 4), 4, 4, true, 50,
                                       prompter),
              0);
    EXPECT_EQ(
        CJpegFile::WriteJpegFile(dir.File("small.jpg"), Gradient(4, 4), 5, 4, true, 50, prompter),
        0);
}

}  // namespace
