#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "project/model/SettingsBlock.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"

namespace {

// Reads a block from bytes in memory.
bool ReadBlock(const std::string& bytes, int version, ESettingsForm form, CSettingsBlock& block,
               std::uint64_t* left = nullptr) {
    std::FILE* f = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    CStoreReader in(f, 0, bytes.size());
    bool ok = block.Read(in, version, form);
    if (left != nullptr) {
        *left = in.Remaining();
    }
    std::fclose(f);
    return ok;
}

CSettingsBlock ChangedBlock() {
    CSettingsBlock b;
    b.m_crText = 0x112233;
    // Raw blocks whose bytes look like white space and line feeds.
    b.m_font[0] = ' ';
    b.m_font[1] = '\n';
    b.m_font[2] = '\t';
    b.m_rcHotspot = {1, 2, 3, 4};
    b.m_bHideDeleted = 1;
    b.m_b24BitColor = 1;
    b.m_editHistory[0] = {'C', 'u', 't', 0};
    b.m_editHistory[7][31] = 0xE9;
    b.m_strFolder = "/home/user/My Demos";
    b.m_strEditorFile1 = "";
    b.m_strEditorFile2 = " leading blank.png";
    b.m_strPublish = {"one", "", "three words here"};
    b.m_sound.m_nCompression = kSoundCompressionMp3;
    b.m_sound.m_nFrequency = 2;
    b.m_sound2.m_nVolume = 9;
    b.m_strVideoCodec = "Some Codec";
    b.m_videoOptions.assign(kVideoOptionsSize, 0);
    std::memcpy(b.m_videoOptions.data() + kVideoOptionsHandler, "DIB ", 4);
    b.m_videoOptions[kVideoOptionsFormatLen] = 3;
    b.m_videoOptions[kVideoOptionsParamsLen] = 2;
    b.m_videoOptions.insert(b.m_videoOptions.end(), {'\n', ' ', '\r', 0x00, 0xFF});
    b.m_nEditorValues = {7, 8};
    b.m_strAboutText = "About: text";
    b.m_bSavePassword = 1;
    b.m_strScrambledPassword = "x1y2";
    return b;
}

TEST(SettingsBlock, ProjectFormRoundTripsEveryItem) {
    const CSettingsBlock written = ChangedBlock();
    CStoreWriter out;
    written.Write(out, ESettingsForm::Project);
    out.Int(42);  // whatever follows the block stays unread
    CSettingsBlock back;
    std::uint64_t left = 0;
    ASSERT_TRUE(ReadBlock(out.Data(), 747, ESettingsForm::Project, back, &left));
    EXPECT_EQ(back, written);
    EXPECT_EQ(left, 3u);
}

TEST(SettingsBlock, FileFormLeavesOutTheProjectItems) {
    const CSettingsBlock written = ChangedBlock();
    CStoreWriter project;
    CStoreWriter file;
    written.Write(project, ESettingsForm::Project);
    written.Write(file, ESettingsForm::File);
    EXPECT_LT(file.Size() + 256 * 2, project.Size());
    CSettingsBlock back;
    ASSERT_TRUE(ReadBlock(file.Data(), 747, ESettingsForm::File, back));
    CSettingsBlock expected = written;
    const CSettingsBlock defaults;
    expected.m_rcHotspot = defaults.m_rcHotspot;
    expected.m_bHideDeleted = defaults.m_bHideDeleted;
    expected.m_b24BitColor = defaults.m_b24BitColor;
    expected.m_nEditorSwitch = defaults.m_nEditorSwitch;
    expected.m_editHistory = defaults.m_editHistory;
    expected.m_nEditorValues = defaults.m_nEditorValues;
    EXPECT_EQ(back, expected);
}

TEST(SettingsBlock, OlderVersionsApplyTheirRules) {
    CSettingsBlock written = ChangedBlock();
    written.m_sound2.m_nQuality = -1;
    written.m_sound2.m_nFrequency = -5;
    written.m_sound2.m_nChannels = -2;
    written.m_strMovieTitle = "My title";
    written.m_nControlBar2 = 0;
    CStoreWriter out;
    written.Write(out, ESettingsForm::File);

    // Up to 674 an MP3 frequency index is one lower; before 678 an uncompressed codec resets
    // the video export settings.
    CSettingsBlock v674;
    ASSERT_TRUE(ReadBlock(out.Data(), 674, ESettingsForm::File, v674));
    EXPECT_EQ(v674.m_sound.m_nFrequency, 3);
    EXPECT_EQ(v674.m_strVideoCodec, "Microsoft Video 1");
    EXPECT_EQ(v674.m_videoOptions, std::vector<std::uint8_t>(kVideoOptionsSize, 0));
    EXPECT_EQ(v674.m_strMovieTitle, "Quillo");
    EXPECT_EQ(v674.m_nControlBar2, 1);
    EXPECT_EQ(v674.m_sound2.m_nQuality, 2);
    EXPECT_EQ(v674.m_sound2.m_nFrequency, 1);
    EXPECT_EQ(v674.m_sound2.m_nChannels, 0);
    EXPECT_EQ(v674.m_sound2.m_nVolume, 9);

    CSettingsBlock v678;
    ASSERT_TRUE(ReadBlock(out.Data(), 678, ESettingsForm::File, v678));
    EXPECT_EQ(v678.m_sound.m_nFrequency, 2);
    EXPECT_EQ(v678.m_strVideoCodec, "Some Codec");
    EXPECT_EQ(v678.m_videoOptions, written.m_videoOptions);
}

TEST(SettingsBlock, VersionThresholds) {
    // A version-205 block holds items 1 to 8 only: the frame-effect colour falls back to white.
    CStoreWriter out;
    for (int v : {1, 2, 3, 4}) {
        out.Int(v);
    }
    TFontImage font{};
    font[0] = '\n';
    out.Bytes(font);
    for (int v : {1, 0, 7, 7, 7, 9, 10, 20, 30, 40}) {
        out.Int(v);
    }
    CSettingsBlock b;
    b.m_crFrameEffect = 0x123;
    std::uint64_t left = 1;
    ASSERT_TRUE(ReadBlock(out.Data(), 205, ESettingsForm::Project, b, &left));
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(b.m_crShadow, 4);
    EXPECT_EQ(b.m_font, font);
    EXPECT_EQ(b.m_nFontCarried, (std::array<std::int32_t, 3>{7, 7, 7}));
    EXPECT_EQ(b.m_nHotspotThickness, 9);
    EXPECT_EQ(b.m_rcHotspot, (std::array<std::int32_t, 4>{10, 20, 30, 40}));
    EXPECT_EQ(b.m_crFrameEffect, 0xFFFFFF);

    // A version-104 file holds no block at all.
    CSettingsBlock none;
    ASSERT_TRUE(ReadBlock("", 104, ESettingsForm::Project, none));
    EXPECT_EQ(none, CSettingsBlock());
}

TEST(SettingsBlock, DamageIsReportedNotRead) {
    CStoreWriter out;
    ChangedBlock().Write(out, ESettingsForm::Project);
    const std::string bytes = out.Data();
    for (std::size_t n = 0; n < bytes.size(); n += 5) {
        CSettingsBlock b;
        EXPECT_FALSE(ReadBlock(bytes.substr(0, n), 747, ESettingsForm::Project, b)) << n;
    }
    // A video options record whose block lengths exceed the file.
    CSettingsBlock big = ChangedBlock();
    big.m_bSavePassword = 0;
    CStoreWriter w;
    big.Write(w, ESettingsForm::File);
    std::string damaged = w.Data();
    std::size_t at = damaged.find("Some Codec\n") + std::string("Some Codec\n").size();
    damaged[at + kVideoOptionsFormatLen + 3] = '\x7F';
    CSettingsBlock b;
    EXPECT_FALSE(ReadBlock(damaged, 747, ESettingsForm::File, b));
}

}  // namespace
