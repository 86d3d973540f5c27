#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "project/file/OffsetTable.h"
#include "project/file/WavLength.h"
#include "project/stream/StreamFile.h"
#include "tests/project/file/ProjectFileTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A RIFF WAVE file: 16-bit mono at `nRate` with `nDataBytes` of samples, of which the data chunk
// claims `nClaimed` (0: the true size), after an optional chunk the reader must pass over.
std::vector<uint8_t> Wav(uint32_t nRate, uint32_t nDataBytes, uint32_t nClaimed = 0,
                         bool bListChunk = false) {
    CStoreWriter out;
    out.Bytes("RIFF", 4);
    out.U32(36 + nDataBytes);
    out.Bytes("WAVE", 4);
    if (bListChunk) {
        out.Bytes("LIST", 4);
        out.U32(3);
        out.Bytes("abc\0", 4);  // odd sizes are padded to even
    }
    out.Bytes("fmt ", 4);
    out.U32(16);
    out.I16(1);
    out.I16(1);
    out.U32(nRate);
    out.U32(nRate * 2);
    out.I16(2);
    out.I16(16);
    out.Bytes("data", 4);
    out.U32(nClaimed != 0 ? nClaimed : nDataBytes);
    out.Bytes(std::vector<uint8_t>(nDataBytes, 0x11));
    return std::vector<uint8_t>(out.Data().begin(), out.Data().end());
}

TEST(WavLengthTest, LengthComesFromTheHeader) {
    CTempDir dir;
    struct SCase {
        const char* name;
        std::vector<uint8_t> bytes;
        std::optional<int64_t> nMs;
    };
    std::vector<uint8_t> noData = Wav(8000, 0);
    noData.resize(36);
    const std::vector<SCase> cases = {
        {"plain", Wav(8000, 19744), 1234},
        {"a chunk before the format", Wav(22050, 44100, 0, true), 1000},
        {"data claimed beyond the file", Wav(8000, 16000, 0x7FFFFFFF), 1000},
        {"no data chunk", noData, std::nullopt},
        {"not a sound", std::vector<uint8_t>(64, 'x'), std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("sound.wav");
        WriteBytes(path, c.bytes);
        EXPECT_EQ(WavLengthMs(path), c.nMs);
    }
    EXPECT_EQ(WavLengthMs(dir.Path().string()), std::nullopt) << "a folder";
}

class ProjectFileVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_rec = Record(m_source, m_dir.Path().string(), 4, false);
        m_source.m_CursorImages = CCursorImageTable();
    }

    // Frame 2 with a value in every field that some upgrade rule changes.
    CFrameInfo& Prepare() {
        CFrameInfo& f = *m_source.FrameAt(1);
        f.m_pSyncOwner = nullptr;
        f.m_bSyncSound = 1;
        f.m_bCursorInverts = 1;
        f.m_bClickDown = 1;
        f.m_bClickUp = 1;
        f.m_bKeyDown = 1;
        f.m_bKeyUp = 0;
        f.m_bHotspot = 1;
        f.m_nHotspotStyle = 11;
        f.m_nLegacyStyle = 1;
        f.m_nBubbleStyle = 4;
        f.m_nFrameEffect = 4;
        f.m_crText = 0x111111;
        f.m_nFrameGotoFrame = f.m_nHotspotGotoFrame = f.m_nHotspotUntilFrame =
            f.m_nBubbleUntilFrame = 50;
        f.m_nLegacyTargets = {3, 4, 5, 6};
        f.m_nLegacyStreamFrame = 9;
        f.m_nStreamFrame = 70000;
        f.m_nHotspotThickness = 9;
        f.m_bHotspotOverText = 1;
        f.m_crFrameEffect = 0x222222;
        f.m_bIgnoreClick = 1;
        f.m_nHotspotLevel = 33;
        f.m_nCursorX = 10;
        f.m_nCursorY = 11;
        f.m_nRecCursorX = 12;
        f.m_nRecCursorY = 13;
        f.m_nFrameEffectDuration = 40;
        f.m_nImageSizeMode = 3;
        f.m_nImageFadeIn = 5;
        f.m_nImageFadeOut = 6;
        f.m_nAltDuration = 8;
        f.m_bShowMouse = 1;
        f.m_nSoundParamA = 1;
        f.m_nSoundParamB = 2;
        f.m_nSoundParamC = 3;
        f.m_fSoundParamD = 2.0f;
        f.m_nSoundParamE = 5;
        f.m_nCursorEndX = 7;
        f.m_nCursorEndY = 8;
        f.m_nDuration = 30;
        f.m_nRecordedDuration = 20;
        f.m_nNaturalDuration = 0;
        f.m_bCustomDuration = 0;
        f.m_nUserDuration = -1;
        f.m_nBackgroundVolume = 500;
        f.m_bAutoGain = 1;
        f.m_bZoomFull = 1;
        f.m_nPanX = 5;
        f.m_nPanY = 6;
        f.m_pText = u"Caf\u00e9 \u20ac";
        f.m_pszSound = "/s/a.wav";
        m_source.m_Settings.m_nBookmarks[0] = 2;
        m_source.m_Settings.m_fPlaybackSpeed = 1.75;
        return f;
    }

    std::unique_ptr<CDemoProject> OpenOld(const SOldProject& old, CProjectFile** file = nullptr) {
        const std::string path = m_dir.File("old" + std::to_string(old.nVersion) + ".lumo");
        WriteOldProject(path, m_rec.files, m_source, old);
        auto project = std::make_unique<CDemoProject>();
        m_files.push_back(std::make_unique<CProjectFile>(*project, m_prompter));
        EXPECT_TRUE(m_files.back()->Open(path)) << old.nVersion;
        if (file != nullptr) {
            *file = m_files.back().get();
        }
        return project;
    }

    CTempDir m_dir;
    CDemoProject m_source;
    STestRecording m_rec;
    CScriptedPrompter m_prompter;
    std::vector<std::unique_ptr<CProjectFile>> m_files;
};

TEST_F(ProjectFileVersionTest, Version105ShortRecordsAndEightBitTexts) {
    Prepare();
    auto p = OpenOld({.nVersion = 105, .nRecordSize = 140});
    ASSERT_EQ(p->FrameCount(), 4u);
    const CFrameInfo& f = *p->FrameAt(1);
    EXPECT_EQ(*f.m_pText, u"Caf\u00e9 \u20ac");
    EXPECT_EQ(*f.m_pszSound, "/s/a.wav");
    // Fields inside the 140 bytes, and what the rules make of them.
    EXPECT_EQ(f.m_bCursorInverts, 1);
    EXPECT_EQ(f.m_bClickUp, 1);
    EXPECT_EQ(f.m_bKeyUp, 1);  // from m_bKeyDown
    EXPECT_EQ(f.m_nHotspotStyle, 0);
    EXPECT_EQ(f.m_nBubbleStyle, 0);
    EXPECT_EQ(f.m_nFrameEffect, 0);
    EXPECT_EQ(f.m_crText, -1);
    // The short record holds no 16-bit targets: they keep "the next frame".
    EXPECT_EQ(f.m_nFrameGotoFrame, 3);
    EXPECT_EQ(f.m_nBubbleUntilFrame, 3);
    EXPECT_EQ(f.m_nHotspotThickness, 5);
    EXPECT_EQ(f.m_bHotspotOverText, 0);
    EXPECT_EQ(f.m_crFrameEffect, -1);
    EXPECT_EQ(f.m_nHotspotLevel, 80);
    EXPECT_EQ(f.m_nCursorX, -99999);
    EXPECT_EQ(f.m_nRecCursorY, -99999);
    EXPECT_EQ(f.m_nFrameEffectDuration, 100);
    EXPECT_EQ(f.m_nImageSizeMode, 9);
    EXPECT_EQ(f.m_nImageFadeIn, 25);
    EXPECT_EQ(f.m_nAltDuration, -1);
    EXPECT_EQ(f.m_nSoundParamA, 256);
    EXPECT_EQ(f.m_fSoundParamD, 1.0f);
    EXPECT_EQ(f.m_nCursorEndX, -29999);
    EXPECT_EQ(f.m_bCustomDuration, 1);
    EXPECT_EQ(f.m_nUserDuration, 30);
    EXPECT_EQ(f.m_nBackgroundVolume, 1024);
    // Tail items of later versions keep their defaults.
    EXPECT_EQ(p->m_Settings.m_nBookmarks[0], 0xFFFFFFFFu);
    EXPECT_EQ(p->m_Settings.m_fPlaybackSpeed, 1.0);
    EXPECT_FALSE(p->m_b24BitColor);
    EXPECT_EQ(p->m_crDefaultFrameEffect, 0xFFFFFF);
}

TEST_F(ProjectFileVersionTest, Versions311And423With32BitTable) {
    Prepare();
    for (int v : {311, 423}) {
        SCOPED_TRACE(v);
        auto p = OpenOld({.nVersion = v, .bWideTable = false});
        EXPECT_FALSE(p->m_bWideOffsets);
        ASSERT_EQ(p->FrameCount(), 4u);
        const CFrameInfo& f = *p->FrameAt(1);
        EXPECT_EQ(f.m_bKeyUp, 0);
        EXPECT_EQ(f.m_bShowMouse, v < 312 ? 0 : 1);
        EXPECT_EQ(f.m_nFrameGotoFrame, 3);
        EXPECT_EQ(f.m_nHotspotGotoFrame, 4);
        EXPECT_EQ(f.m_nHotspotUntilFrame, 5);
        EXPECT_EQ(f.m_nBubbleUntilFrame, 6);
        EXPECT_EQ(f.m_nStreamFrame, 9u);
        EXPECT_EQ(f.m_nHotspotStyle, 12);
        EXPECT_EQ(f.m_nBubbleStyle, 4);
        EXPECT_EQ(f.m_bHotspotOverText, 1);
        EXPECT_EQ(f.m_crFrameEffect, 0x222222);
        EXPECT_EQ(f.m_nHotspotLevel, 33);
        EXPECT_EQ(f.m_nFrameEffectDuration, 40);
        EXPECT_EQ(f.m_nSoundParamB, 0);
        EXPECT_EQ(f.m_nCursorEndY, -29999);
        EXPECT_EQ(f.m_bSyncSound, 0);
        EXPECT_EQ(f.m_bZoom, 1);
        EXPECT_EQ(f.m_rcZoom, (SRect{0, 0, 24, 16}));
        EXPECT_EQ(f.m_nPanX, 0);
        EXPECT_EQ(*f.m_pText, u"Caf\u00e9 \u20ac");
        EXPECT_TRUE(p->m_b24BitColor);
        EXPECT_EQ(p->m_Settings.m_nBookmarks[0], 0xFFFFFFFFu);
    }
}

TEST_F(ProjectFileVersionTest, ThirtyTwoBitTableWithAnOffsetWrap) {
    Prepare();
    CProjectFile* file = nullptr;
    auto p = OpenOld({.nVersion = 500, .bWideTable = false, .nWrapEntry = 2}, &file);
    EXPECT_FALSE(p->m_bWideOffsets);
    EXPECT_EQ(p->m_nWrapFrame, 3u);
    EXPECT_FALSE(p->m_bCorrupted);
    ASSERT_EQ(p->FrameCount(), 4u);
    EXPECT_EQ(p->FrameAt(1)->m_nHotspotStyle, 12);
    EXPECT_EQ(p->FrameAt(1)->m_nCursorEndX, -29999);
    // Pictures before the wrap are where the table says; the ones after lie beyond 4 GiB.
    uint64_t start = 0, end = 0;
    bool cut = false;
    ASSERT_TRUE(file->StreamSources()[0]->PictureRange(1, start, end, cut));
    EXPECT_LT(start, end);
}

TEST_F(ProjectFileVersionTest, Version674AndCurrent) {
    Prepare();
    auto p = OpenOld({.nVersion = 674});
    const CFrameInfo& f = *p->FrameAt(1);
    EXPECT_EQ(f.m_nFrameGotoFrame, 50);
    EXPECT_EQ(f.m_nStreamFrame, 70000u);
    EXPECT_EQ(f.m_nSoundParamB, 2);
    EXPECT_EQ(f.m_nCursorEndX, 7);
    EXPECT_EQ(f.m_nHotspotStyle, 11);
    EXPECT_EQ(f.m_bCustomDuration, 1);
    EXPECT_EQ(f.m_nUserDuration, 30);
    EXPECT_EQ(f.m_bAutoGain, 0);
    EXPECT_EQ(f.m_nPanX, 0);
    EXPECT_EQ(p->m_Settings.m_nBookmarks[0], 2u);
    EXPECT_EQ(p->m_Settings.m_fPlaybackSpeed, 1.0);  // speeds come with 677

    auto now = OpenOld({.nVersion = 747});
    const CFrameInfo& g = *now->FrameAt(1);
    EXPECT_EQ(g.m_bCustomDuration, 0);
    EXPECT_EQ(g.m_nBackgroundVolume, 500);
    EXPECT_EQ(g.m_bAutoGain, 1);
    EXPECT_EQ(g.m_nPanX, 5);
    EXPECT_EQ(g.m_bZoomFull, 0);
    EXPECT_EQ(g.m_bSyncSound, 0);
    EXPECT_EQ(now->m_Settings.m_fPlaybackSpeed, 1.75);
}

TEST_F(ProjectFileVersionTest, OldSingleFrameSoundsAreMeasuredAgain) {
    const std::string sound = m_dir.File("voice.wav");
    WriteBytes(sound, Wav(8000, 19744));
    CFrameInfo& f = *m_source.FrameAt(0);
    f.m_pszSound = sound;
    f.m_bSingleFrameSound = 1;
    f.m_bPlaySound = 1;
    f.m_nSoundDuration = 7;
    // 1.234 s is 123.4 hundredths, rounded up.
    EXPECT_EQ(OpenOld({.nVersion = 674})->FrameAt(0)->m_nSoundDuration, 124);
    EXPECT_EQ(OpenOld({.nVersion = 675})->FrameAt(0)->m_nSoundDuration, 7);
}

TEST_F(ProjectFileVersionTest, LaterVersionsAreRefused) {
    for (int v : {748, 7469}) {
        const std::string path = m_dir.File("later.lumo");
        WriteOldProject(path, m_rec.files, m_source, {.nVersion = v});
        CDemoProject p;
        CProjectFile file(p, m_prompter);
        EXPECT_FALSE(file.Open(path));
        EXPECT_EQ(file.OpenFailure(), EOpenFailure::LaterVersion);
    }
    ASSERT_EQ(m_prompter.Messages().size(), 2u);
    const SPromptMessage& m = m_prompter.Messages()[0];
    EXPECT_EQ(m.text.substr(0, m.text.find('\n')),
              "This demo was created with a later version of Quillo");
    EXPECT_NE(m.text.find('\n'), std::string::npos);
    EXPECT_EQ(m.caption, "File Open Error");
    EXPECT_EQ(m.icon, EMsgIcon::Error);
}

TEST_F(ProjectFileVersionTest, UnfinishedFilesOpenAsCorrupted) {
    const std::string keyFrames = m_dir.File("corrupt.keyframes");
    for (uint64_t slot : {uint64_t{0xFFFFFFFF}, uint64_t{1} << 40}) {
        SCOPED_TRACE(slot);
        const std::string path = m_dir.File("corrupt.lumo");
        WriteOldProject(path, m_rec.files, m_source, {.nTrailerSlot = slot});
        WriteBytes(keyFrames, {'2', '4', ' ', '1', '6', '\n', '1', '\n', '0', '\n', '0', '\n'});
        CDemoProject p;
        CScriptedPrompter prompter;
        CProjectFile file(p, prompter);
        ASSERT_TRUE(file.Open(path));
        EXPECT_TRUE(p.m_bCorrupted);
        ASSERT_EQ(p.FrameCount(), m_rec.nPictures);
        for (CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext) {
            EXPECT_EQ(f->m_nDuration, 10);
            EXPECT_EQ(f->m_nRecordedDuration, 10);
        }
        EXPECT_EQ(p.FrameAt(0)->m_bKeyFrame, 1);
        EXPECT_EQ(p.FrameAt(1)->m_bKeyFrame, 0);
        EXPECT_EQ(p.FrameAt(3)->m_bKeyFrame, 1);
        // The size comes from the last key frame's whole-area rectangle.
        EXPECT_EQ(p.m_nWidth, 24);
        EXPECT_EQ(p.m_nHeight, 16);
        EXPECT_FALSE(file.Save());
        EXPECT_FALSE(file.SaveAs(m_dir.File("copy.lumo")));
        EXPECT_FALSE(fs::exists(m_dir.File("copy.lumo")));
        const std::string refusal =
            "Save Quillo...: Cannot save to selected file (project is corrupted).  Save operation "
            "aborted.   \n";
        EXPECT_EQ(prompter.Transcript(), refusal + refusal);

        // At exit the key frames are kept beside the project.
        fs::remove(keyFrames);
        p.FrameAt(2)->m_bKeyFrame = 1;
        ASSERT_TRUE(file.WriteKeyFrameFile());
        const auto written = ReadBytes(keyFrames);
        EXPECT_EQ(std::string(written.begin(), written.end()), "24\n16\n1\n0\n1\n");
    }
}

TEST_F(ProjectFileVersionTest, UnacceptableRecordSizeGivesDefaultFrames) {
    std::pair<int, int> asked;
    CDemoProject p;
    CProjectFile file(p, m_prompter,
                      SProjectFileHooks{.askRecordingSize = [&](int32_t& w, int32_t& h) {
                          asked = {w, h};
                          w = 640;
                      }});
    const std::string path = m_dir.File("size.lumo");
    WriteOldProject(path, m_rec.files, m_source, {.nVersion = 500, .nRecordSize = 600});
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(p.m_bOldRecordSize);
    EXPECT_EQ(file.FileVersion(), 100);
    ASSERT_EQ(p.FrameCount(), m_rec.nPictures);
    EXPECT_EQ(p.FrameAt(2)->m_nDuration, 10);
    EXPECT_EQ(asked, (std::pair<int, int>{24, 16}));
    EXPECT_EQ(p.m_nWidth, 640);
}

TEST(OffsetTable, WidthDetectionAndOffsetWrap) {
    CTempDir dir;
    struct SCase {
        const char* name;
        std::vector<uint32_t> words;  // the table as 32-bit words, then the trailer offset
        bool wide;
        uint32_t pictures;
        uint32_t wrap;
        uint64_t end;
    };
    const SCase cases[] = {
        {"64-bit with marker", {22, 0xFF000000, 100, 0, 0, 0, 500, 0}, true, 1, 0, 100},
        {"64-bit without marker", {22, 0, 100, 0, 0, 0, 500, 0}, true, 1, 0, 100},
        {"32-bit", {22, 90, 100, 0, 500}, false, 2, 0, 100},
        {"32-bit wrapping once", {22, 0xF0000000, 40, 60, 0, 500}, false, 3, 3, k4GiB + 60},
        {"a second wrap ends the count",
         {22, 0xF0000000, 40, 30, 70, 0, 500},
         false,
         2,
         3,
         k4GiB + 40},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes;
        for (uint32_t w : c.words) {
            for (int i = 0; i < 4; ++i) {
                bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
            }
        }
        bytes.resize(bytes.size() + 64, 0);
        const std::string path = dir.File("table");
        WriteBytes(path, bytes);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        SOffsetTable t;
        ASSERT_TRUE(ReadOffsetTable(f, bytes.size(), t));
        std::fclose(f);
        EXPECT_EQ(t.bWide, c.wide);
        EXPECT_EQ(t.nPictures, c.pictures);
        EXPECT_EQ(t.nWrapFrame, c.wrap);
        EXPECT_EQ(t.nEndOffset, c.end);
        EXPECT_EQ(t.nDataStart, (c.words.size()) * 4);
    }
}

TEST_F(ProjectFileVersionTest, SourceProjectsAreFoundLocatedOrMarkedMissing) {
    // Two saved projects serve as sources of a third.
    auto save = [&](const std::string& name) {
        CDemoProject p;
        STestRecording rec = Record(p, m_dir.Path().string(), 3, false);
        CScriptedPrompter prompter;
        CProjectFile file(p, prompter);
        EXPECT_TRUE(file.SaveNewRecording(rec.files, m_dir.File(name)));
        return m_dir.File(name);
    };
    const std::string one = save("one.lumo");
    const std::string two = save("two.lumo");
    fs::create_directories(m_dir.File("moved"));
    fs::rename(two, m_dir.File("moved/two.lumo"));
    m_source.m_Settings.m_sources = {
        {one, "elsewhere/one.lumo"}, {two, "two.lumo"}, {m_dir.File("three.lumo"), "three.lumo"}};
    const std::string path = m_dir.File("combined.lumo");
    WriteOldProject(path, m_rec.files, m_source, {});

    CDemoProject p;
    m_prompter.QueueFileName(m_dir.File("moved/two.lumo"));
    m_prompter.QueueFileName(std::nullopt);
    CProjectFile file(p, m_prompter);
    ASSERT_TRUE(file.Open(path));
    ASSERT_EQ(p.m_Sources.size(), 3u);
    EXPECT_EQ(p.m_Sources[0].m_pszFileName, one);
    EXPECT_EQ(p.m_Sources[1].m_pszFileName, m_dir.File("moved/two.lumo"));
    EXPECT_EQ(p.m_Settings.m_sources[1].m_strRelative, "moved/two.lumo");
    EXPECT_FALSE(p.m_Sources[2].m_pFile);
    const auto streams = file.StreamSources();
    ASSERT_EQ(streams.size(), 4u);
    EXPECT_NE(streams[1], nullptr);
    EXPECT_NE(streams[2], nullptr);
    EXPECT_EQ(streams[3], nullptr);
    EXPECT_EQ(p.m_nStreamFrames, m_rec.nPictures + 3 + 3);
    ASSERT_EQ(m_prompter.Messages().size(), 2u);
    EXPECT_EQ(m_prompter.Messages()[0].text,
              "Unable to open source video file:    \n" + two + "    ");
    EXPECT_EQ(m_prompter.Messages()[0].caption, "Quillo File Not Found");
    EXPECT_EQ(m_prompter.Messages()[0].icon, EMsgIcon::Warning);
}

}  // namespace
