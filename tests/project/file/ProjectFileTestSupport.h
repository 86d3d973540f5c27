// Shared pieces of the project file tests: a recording made through the recorder's own path and
// decorated with every owned item, and a field-by-field comparison of two projects.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/file/FrameItems.h"
#include "project/file/FrameRecordImage.h"
#include "project/file/ProjectFile.h"
#include "project/file/TrailerSettings.h"
#include "project/model/DemoProject.h"
#include "project/model/ProjectDefaults.h"
#include "project/store/StoreWriter.h"
#include "tests/project/stream/StreamTestRecorder.h"

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> PictureBlockOf(uint8_t seed, std::size_t size) {
    std::vector<uint8_t> block(4 + size);
    block[0] = static_cast<uint8_t>(size);
    block[1] = static_cast<uint8_t>(size >> 8);
    for (std::size_t i = 0; i < size; ++i) {
        block[4 + i] = static_cast<uint8_t>(seed + i * 7);
    }
    return block;
}

// Gives a frame every owned item, with bytes that look like line feeds and blanks where a
// careless reader would stumble.
inline void Decorate(CFrameInfo& f, int n) {
    f.m_pText = u"Hello\nworld " + std::u16string(1, static_cast<char16_t>(0x20AC + n));
    f.m_pFormat = std::u16string{5, 'H', 'e', 'l', 'l', 'o', 7999, 8000};
    CLogFont font = CLogFont::Default();
    font.m_nHeight = -20 - n;
    font.m_szFaceName = {'\n', ' ', 'A'};
    f.m_pFont = font;
    f.m_pChapter = u"Chapter " + std::u16string(1, static_cast<char16_t>('0' + n));
    f.m_pPicture = PictureBlockOf(static_cast<uint8_t>(n), 40 + n);
    f.m_pszSound = "/sounds/narration " + std::to_string(n) + ".wav";
    f.m_pszSoundRel = "../sounds/narration " + std::to_string(n) + ".wav";
    f.m_pszHotspotUrl = "http://example.com/a b";
    f.m_pszHotspotTarget = "_blank";
    f.m_pszFrameUrl = "";
    f.m_pszFrameTarget = "_self";
    f.m_pszHotspotImage = "/images/hot.png";
    CBubbleAnimation animation;
    animation.m_nSettings[0] = n;
    animation.m_Channels[3].m_fValue = 0.25f;
    animation.m_Channels[9].m_nValues = {1, -2, 3, -4};
    animation.m_nFurther = {7, 8, 9};
    f.m_pBubbleAnimation = animation;
    f.m_pSpeech = u"\n\n  spoken";
    f.m_bHotspot = 1;
    f.m_nHotspotStyle = 2;
    f.m_Reserved[0] = 0xAB;
    f.m_Reserved[93] = 0xCD;
}

// A recording of a few frames through the capture stream, with narration owned by frame 2.
struct STestRecording {
    SCaptureFiles files;
    uint32_t nPictures = 0;
};

inline STestRecording Record(CDemoProject& project, const std::string& dir, int nFrames = 5,
                             bool bDecorate = true) {
    std::mt19937 rng(7);
    CTestRecorder rec(project, dir, 24, 16, false);
    EXPECT_TRUE(rec.Begun());
    rec.Key(rng);
    for (int i = 1; i + 1 < nFrames; ++i) {
        if (i % 2 == 0) {
            rec.Still();
            rec.Cursor(2, 3, 4, 4, rng);
        } else {
            rec.Change({{1, 1, 5, 6}, {10, 2, 12, 9}}, rng);
        }
        rec.Tick(7);
    }
    if (nFrames > 1) {
        rec.Key(rng);
    }
    STestRecording out;
    EXPECT_TRUE(rec.Stream().Stop(out.files));
    out.nPictures = rec.Pictures();
    int n = 0;
    for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext, ++n) {
        if (bDecorate && n % 2 == 1) {
            Decorate(*f, n);
        }
    }
    if (project.FrameCount() >= 4) {
        CFrameInfo* owner = project.FrameAt(1);
        owner->m_bSyncSound = 1;
        owner->m_pSyncOwner = owner;
        project.FrameAt(2)->m_pSyncOwner = owner;
        project.FrameAt(2)->m_bSyncSound = 1;
        project.FrameAt(3)->m_pSyncOwner = project.FrameAt(3);
    }
    project.m_CursorImages.m_bPresent = true;
    project.m_CursorImages.m_nWidth = 2;
    project.m_CursorImages.m_nHeight = 2;
    project.m_CursorImages.Add(
        {0x1234, {0x0A0A0A0A, kCursorPixelInvert, 0x0D0D0D0D, 0x20202020}, 1, 1, 1, 0});
    project.m_CursorImages.Add({0xFFFFFFFF, {1, 2, 3, 4}, -1, 0, 0, 2});
    CProjectSettings& s = project.m_Settings;
    s.m_customColours[3] = 0x123456;
    s.m_nPreviewWidth = 320;
    s.m_nPreviewHeight = 240;
    s.m_nMarks[2] = 4;
    s.m_block.m_strFolder = "";
    s.m_block.m_strEditorFile1 = "two words.png";
    s.m_nBookmarks[0] = 3;
    s.m_bookmarkNames[0] = {'S', 't', 'a', 'r', 't'};
    s.m_fPlaybackSpeed = 1.5;
    s.m_styleClipboard[0] = ' ';
    s.m_styleClipboard[1] = '\n';
    s.m_bStyleClipboardFont = true;
    s.m_styleClipboardFont[0] = 0x0A;
    s.m_sources = {};
    project.m_crDefaultBubble = 0x00FF00;
    project.m_ColorHistogram[77] += 5;
    return out;
}

// The stored image and owned items of every frame, the sync groups, the cursor table and the
// settings agree.
inline void ExpectSameProject(CDemoProject& a, CDemoProject& b) {
    ASSERT_EQ(a.FrameCount(), b.FrameCount());
    EXPECT_EQ(a.m_nWidth, b.m_nWidth);
    EXPECT_EQ(a.m_nHeight, b.m_nHeight);
    EXPECT_EQ(a.m_ColorHistogram, b.m_ColorHistogram);
    CFrameRecordLinker la;
    CFrameRecordLinker lb;
    uint32_t n = 0;
    for (CFrameInfo *fa = a.FirstFrame(), *fb = b.FirstFrame(); fa != nullptr && fb != nullptr;
         fa = fa->m_pNext, fb = fb->m_pNext, ++n) {
        SCOPED_TRACE("frame " + std::to_string(n + 1));
        fa->RecomputeLengths();
        fb->RecomputeLengths();
        // Start times are the timing pass's, computed again at every open.
        const int32_t startA = fa->m_nStartTime;
        fa->m_nStartTime = fb->m_nStartTime;
        TFrameRecordImage ia{};
        TFrameRecordImage ib{};
        WriteFrameRecordImage(*fa, la.LinksOf(*fa), ia);
        WriteFrameRecordImage(*fb, lb.LinksOf(*fb), ib);
        fa->m_nStartTime = startA;
        for (std::size_t i = 0; i < ia.size(); ++i) {
            EXPECT_EQ(ia[i], ib[i]) << "record byte " << i;
        }
        CStoreWriter wa;
        CStoreWriter wb;
        WriteFrameItems(wa, *fa);
        WriteFrameItems(wb, *fb);
        EXPECT_EQ(wa.Data(), wb.Data());
        EXPECT_EQ(a.IndexOf(fa->m_pSyncOwner), b.IndexOf(fb->m_pSyncOwner));
    }
    const auto& ca = a.m_CursorImages;
    const auto& cb = b.m_CursorImages;
    EXPECT_EQ(ca.m_bPresent, cb.m_bPresent);
    EXPECT_EQ(ca.m_nWidth, cb.m_nWidth);
    ASSERT_EQ(ca.m_Images.size(), cb.m_Images.size());
    for (std::size_t i = 0; i < ca.m_Images.size(); ++i) {
        EXPECT_EQ(ca.m_Images[i].m_hCursor, cb.m_Images[i].m_hCursor);
        EXPECT_EQ(ca.m_Images[i].m_pPixels, cb.m_Images[i].m_pPixels);
        EXPECT_EQ(ca.m_Images[i].m_nHotX, cb.m_Images[i].m_nHotX);
        EXPECT_EQ(ca.m_Images[i].m_nSource, cb.m_Images[i].m_nSource);
    }
    CStoreWriter sa;
    CStoreWriter sb;
    WriteSettingsHead(sa, a.m_Settings);
    WriteSettingsTail(sa, a.m_Settings);
    WriteSettingsHead(sb, b.m_Settings);
    WriteSettingsTail(sb, b.m_Settings);
    EXPECT_EQ(sa.Data(), sb.Data());
    EXPECT_TRUE(a.m_Settings == b.m_Settings);
    EXPECT_EQ(a.m_crDefaultBubble, b.m_crDefaultBubble);
    EXPECT_EQ(a.m_CurrentFont, b.m_CurrentFont);
}

// Writes a project file as an older version of the program did: the stream of a recording, its
// table with 8- or 4-byte entries, and a trailer with records of `recordSize` bytes. Items that
// the version does not hold are written as the current layout has them; since every later item
// comes after every earlier one, a reader of that version never reaches them.
struct SOldProject {
    int nVersion = 747;
    int nRecordSize = 520;
    bool bWideTable = true;
    uint64_t nTrailerSlot = 0;  // 0: where the trailer really is
    // 32-bit table: from this 0-based entry on, offsets are stored as if they had passed 4 GiB
    // (small numbers below the entry before them).
    std::size_t nWrapEntry = 0;
};

inline std::string OldText(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out.push_back(c == 0x20AC ? '\x80' : static_cast<char>(c));
    }
    return out;
}

inline void WriteOldProject(const std::string& path, const SCaptureFiles& files,
                            CDemoProject& project, const SOldProject& old) {
    const std::vector<uint8_t> data = ReadBytes(files.dataPath);
    const std::vector<uint8_t> index = ReadBytes(files.indexPath);
    StoreProjectDefaults(project);
    CStoreWriter out;
    const std::size_t pictures = index.size() / 8;
    auto entry = [&](std::size_t i) {
        uint64_t v = 0;
        for (int b = 7; b >= 0; --b) {
            v = (v << 8) | index[i * 8 + static_cast<std::size_t>(b)];
        }
        return i == 0 ? v & 0x00FFFFFFFFFFFFFFull : v;
    };
    const uint64_t tableSize = (pictures + 2) * (old.bWideTable ? 8 : 4);
    const uint64_t dataStart = tableSize + (old.bWideTable ? 8 : 4);
    const uint64_t trailer = dataStart + data.size();
    for (std::size_t i = 0; i < pictures; ++i) {
        if (old.bWideTable) {
            out.U64(i == 0 ? entry(0) | 0xFF00000000000000ull : entry(i));
        } else {
            const bool wrapped = old.nWrapEntry != 0 && i >= old.nWrapEntry;
            out.U32(static_cast<uint32_t>(wrapped ? 1 + i : entry(i)));
        }
    }
    const uint64_t slot = old.nTrailerSlot != 0 ? old.nTrailerSlot : trailer;
    if (old.bWideTable) {
        out.U64(data.size());
        out.U64(0);
        out.U64(slot);
    } else {
        out.U32(static_cast<uint32_t>(data.size()));
        out.U32(0);
        out.U32(static_cast<uint32_t>(slot));
    }
    out.Bytes(data.data(), data.size());

    const int v = old.nVersion;
    out.I16(static_cast<int16_t>(v / 100));
    out.I16(static_cast<int16_t>(v % 100));
    for (uint32_t c : project.m_Settings.m_customColours) {
        out.U32(c);
    }
    for (std::size_t i = 0; i < 32768; ++i) {
        out.U32(i < project.m_ColorHistogram.size() ? project.m_ColorHistogram[i] : 0);
    }
    if (v > 105) {
        out.I32(old.nRecordSize);
    }
    CFrameRecordLinker linker;
    for (CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        f->RecomputeLengths();
        TFrameRecordImage image{};
        WriteFrameRecordImage(*f, linker.LinksOf(*f), image);
        const std::size_t size =
            std::min<std::size_t>(static_cast<std::size_t>(old.nRecordSize), 520);
        out.Bytes(image.data(), size);
        if (v <= 209) {
            // Only the items whose slots the short record holds: font, texts, picture, sound.
            CFrameRecord seen;
            TFrameRecordImage cut{};
            std::copy_n(image.begin(), size, cut.begin());
            ReadFrameRecordImage(cut, seen);
            if (seen.m_pFont) {
                std::array<uint8_t, kLogFontSize> font{};
                f->m_pFont->Write(font);
                out.Bytes(font.data(), font.size());
            }
            if (seen.m_pFormat) {
                out.Bytes(OldText(*f->m_pFormat).data(), f->m_pFormat->size());
            }
            if (seen.m_pText) {
                out.Bytes(OldText(*f->m_pText).data(), f->m_pText->size());
            }
            if (seen.m_pszSound) {
                out.Bytes(f->m_pszSound->data(), f->m_pszSound->size());
            }
        } else {
            WriteFrameItems(out, *f);
        }
    }
    WriteSettingsHead(out, project.m_Settings);
    out.Int(0);  // no cursor table
    WriteSettingsTail(out, project.m_Settings);
    std::string bytes = out.Take();
    WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}
