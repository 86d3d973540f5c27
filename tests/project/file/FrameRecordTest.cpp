#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "project/file/FrameRecordImage.h"
#include "project/model/DemoProject.h"
#include "project/store/ByteOrder.h"

namespace {

struct SExpectedField {
    std::size_t nOffset;
    std::size_t nWidth;
    int64_t nValue;
};

void Put(TFrameRecordImage& image, const SExpectedField& field) {
    for (std::size_t i = 0; i < field.nWidth; ++i) {
        image[field.nOffset + i] =
            static_cast<uint8_t>(static_cast<uint64_t>(field.nValue) >> (8 * i));
    }
}

void ExpectSameBytes(const TFrameRecordImage& actual, const TFrameRecordImage& expected) {
    for (std::size_t i = 0; i < kFrameRecordSize; ++i) {
        EXPECT_EQ(actual[i], expected[i]) << "byte " << i;
    }
}

// The pointer slots of the record: owned items, list links and the sync owner.
const std::set<std::size_t> kPointerSlots = {0,   4,   68,  72,  76,  80,  120, 156, 164,
                                             208, 216, 252, 288, 340, 372, 380, 440, 464};
// Memory-only slots and their widths: always stored as 0.
const std::vector<std::pair<std::size_t, std::size_t>> kMemoryOnly = {{204, 4}, {247, 1}, {256, 4},
                                                                      {292, 4}, {480, 8}, {488, 8}};

TEST(FrameRecordImage, NewFrameMatchesTheNewFrameValuesByteForByte) {
    CDemoProject project;
    project.m_nWidth = 803;
    project.m_nHeight = 604;
    project.m_crDefaultBubble = 0x123456;
    project.m_crDefaultHotspot = 0x0000FF;
    project.m_crDefaultShadow = 0x404040;
    project.m_nDefaultHotspotThickness = 7;
    project.m_nDefaultHotspotLevel = 66;
    project.m_rcDefaultHotspot = {120, 90, 200, 150};
    project.m_rcDefaultZoom = {-3, 4, 500, 400};
    project.AppendCapturedFrame();
    const CFrameInfo& frame = project.AppendCapturedFrame();

    const std::vector<SExpectedField> expected = {
        {16, 4, 1},            // m_nLegacyStyle
        {40, 4, 10000},        // m_nTextWidth
        {44, 4, 160},          // m_nBubbleX = 803 / 5
        {48, 4, 120},          // m_nBubbleY = 604 / 5
        {52, 4, 0x123456},     // m_crBubble
        {56, 4, -1},           // m_crText
        {60, 4, -1},           // m_nPointerX
        {72, 4, 1},            // m_pPrev: the second frame has one
        {88, 4, 120},          // m_rcHotspot
        {92, 4, 90},           //
        {96, 4, 200},          //
        {100, 4, 150},         //
        {108, 4, -99999},      // m_nCursorX
        {112, 4, -99999},      // m_nCursorY
        {128, 4, 32767},       // m_nSoundVolume
        {132, 2, -29999},      // m_nCursorEndX
        {134, 2, -29999},      // m_nCursorEndY
        {140, 4, 0x0000FF},    // m_crHotspot
        {144, 1, 255},         // m_nBubbleStyle
        {145, 1, 255},         // m_nHotspotStyle
        {180, 4, 0x404040},    // m_crShadow
        {187, 1, 1},           // m_bHotspotRectExact
        {189, 1, 7},           // m_nHotspotThickness
        {190, 1, 1},           // m_bHotspotOverText
        {193, 1, 1},           // m_bCursorFromTable
        {200, 4, -1},          // m_crFrameEffect
        {222, 1, 66},          // m_nHotspotLevel
        {224, 4, -99999},      // m_nRecCursorX
        {228, 4, -99999},      // m_nRecCursorY
        {240, 1, 1},           // m_bImageLockAspect
        {248, 4, 1024},        // m_nBackgroundVolume
        {270, 2, 25},          // m_nImageFadeIn
        {272, 2, 25},          // m_nImageFadeOut
        {274, 2, 9},           // m_nImageSizeMode
        {276, 4, -1},          // m_nAltDuration
        {296, 4, 65535},       // m_nStreamFrame
        {300, 4, 3},           // the four targets: own number 2, + 1
        {304, 4, 3},           //
        {308, 4, 3},           //
        {312, 4, 3},           //
        {316, 4, 256},         // m_nSoundParamA
        {328, 4, 0x3F800000},  // m_fSoundParamD = 1.0f
        {358, 1, 1},           // m_bCountedLines
        {396, 4, -3},          // m_rcZoom
        {400, 4, 4},           //
        {404, 4, 500},         //
        {408, 4, 400},         //
        {420, 4, -1},          // m_nUserDuration
        {428, 2, 100},         // m_nImageWidthPct
        {430, 2, 100},         // m_nImageHeightPct
    };
    TFrameRecordImage want{};
    for (const SExpectedField& field : expected) {
        Put(want, field);
    }

    CFrameRecordLinker linker;
    TFrameRecordImage image;
    WriteFrameRecordImage(frame, linker.LinksOf(frame), image);
    ExpectSameBytes(image, want);

    EXPECT_EQ(frame.m_pCache.size(), kFrameCacheSize);
    EXPECT_FALSE(frame.m_bUnderline || frame.m_bShadow || frame.m_pSyncOwner);
}

// The record table of the file format: offset, width and field, in order.
TEST(FrameRecordImage, LayoutIsTheRecordTable) {
    const std::vector<SFrameRecordField> table = {
        {0, 4, "m_pFormat"},
        {4, 4, "m_pText"},
        {8, 1, "m_bCustomDuration"},
        {9, 3, "reserved"},
        {12, 4, "m_bDeleted"},
        {16, 4, "m_nLegacyStyle"},
        {20, 4, "m_bHotspot"},
        {24, 4, "m_nDuration"},
        {28, 4, "m_nRecordedDuration"},
        {32, 4, "m_nFormatLen"},
        {36, 4, "m_nTextLen"},
        {40, 4, "m_nTextWidth"},
        {44, 4, "m_nBubbleX"},
        {48, 4, "m_nBubbleY"},
        {52, 4, "m_crBubble"},
        {56, 4, "m_crText"},
        {60, 4, "m_nPointerX"},
        {64, 4, "m_nPointerY"},
        {68, 4, "m_pFont"},
        {72, 4, "m_pPrev"},
        {76, 4, "m_pNext"},
        {80, 4, "m_pPicture"},
        {84, 1, "m_bPictureUndone"},
        {85, 3, "reserved"},
        {88, 16, "m_rcHotspot"},
        {104, 4, "m_hCursor"},
        {108, 4, "m_nCursorX"},
        {112, 4, "m_nCursorY"},
        {116, 1, "m_bCursorInverts"},
        {117, 1, "m_bClickDown"},
        {118, 1, "m_bClickUp"},
        {119, 1, "m_bKeyDown"},
        {120, 4, "m_pszSound"},
        {124, 4, "m_nSoundLen"},
        {128, 4, "m_nSoundVolume"},
        {132, 2, "m_nCursorEndX"},
        {134, 2, "m_nCursorEndY"},
        {136, 1, "m_bSingleFrameSound"},
        {137, 1, "m_bPlaySound"},
        {138, 1, "m_bUnderline"},
        {139, 1, "m_bShadow"},
        {140, 4, "m_crHotspot"},
        {144, 1, "m_nBubbleStyle"},
        {145, 1, "m_nHotspotStyle"},
        {146, 2, "m_nLegacyStreamFrame"},
        {148, 1, "m_bDuplicate"},
        {149, 1, "m_bFrameGoto"},
        {150, 1, "m_bHotspotGoto"},
        {151, 1, "m_bHotspotShowUntil"},
        {152, 1, "m_bBubbleShowUntil"},
        {153, 1, "m_bBubbleOnHover"},
        {154, 1, "m_bHotspotUrl"},
        {155, 1, "m_bHotspotAnimateOnHover"},
        {156, 4, "m_pszHotspotUrl"},
        {160, 2, "m_nHotspotUrlLen"},
        {162, 2, "reserved"},
        {164, 4, "m_pszHotspotTarget"},
        {168, 2, "m_nHotspotTargetLen"},
        {170, 8, "m_nLegacyTargets"},
        {178, 2, "reserved"},
        {180, 4, "m_crShadow"},
        {184, 3, "reserved"},
        {187, 1, "m_bHotspotRectExact"},
        {188, 1, "reserved"},
        {189, 1, "m_nHotspotThickness"},
        {190, 1, "m_bHotspotOverText"},
        {191, 1, "m_bFrameUrl"},
        {192, 1, "m_bIgnoreClick"},
        {193, 1, "m_bCursorFromTable"},
        {194, 1, "m_bRecClickDown"},
        {195, 1, "m_bRecClickUp"},
        {196, 1, "m_bClickEdited"},
        {197, 1, "m_bKeyUp"},
        {198, 1, "m_nFrameEffect"},
        {199, 1, "reserved"},
        {200, 4, "m_crFrameEffect"},
        {204, 4, "m_pCache"},
        {208, 4, "m_pszFrameUrl"},
        {212, 2, "m_nFrameUrlLen"},
        {214, 2, "reserved"},
        {216, 4, "m_pszFrameTarget"},
        {220, 2, "m_nFrameTargetLen"},
        {222, 1, "m_nHotspotLevel"},
        {223, 1, "reserved"},
        {224, 4, "m_nRecCursorX"},
        {228, 4, "m_nRecCursorY"},
        {232, 4, "reserved"},
        {236, 4, "m_nFrameEffectDuration"},
        {240, 1, "m_bImageLockAspect"},
        {241, 1, "m_bKeyFrame"},
        {242, 1, "m_bShowMouse"},
        {243, 1, "m_bKeyFrameNew"},
        {244, 1, "m_bAutoGain"},
        {245, 1, "reserved"},
        {246, 1, "m_bSyncSound"},
        {247, 1, "m_bRedrawAll"},
        {248, 4, "m_nBackgroundVolume"},
        {252, 4, "m_pszHotspotImage"},
        {256, 4, "m_pHotspotImageCache"},
        {260, 4, "m_nImageWidth"},
        {264, 4, "m_nImageHeight"},
        {268, 2, "m_nHotspotImageLen"},
        {270, 2, "m_nImageFadeIn"},
        {272, 2, "m_nImageFadeOut"},
        {274, 2, "m_nImageSizeMode"},
        {276, 4, "m_nAltDuration"},
        {280, 2, "m_nImageTransparency"},
        {282, 2, "m_nPanX"},
        {284, 2, "m_nPanY"},
        {286, 2, "reserved"},
        {288, 4, "m_pPanPicture"},
        {292, 4, "m_pPanPictureCache"},
        {296, 4, "m_nStreamFrame"},
        {300, 4, "m_nFrameGotoFrame"},
        {304, 4, "m_nHotspotGotoFrame"},
        {308, 4, "m_nHotspotUntilFrame"},
        {312, 4, "m_nBubbleUntilFrame"},
        {316, 4, "m_nSoundParamA"},
        {320, 4, "m_nSoundParamB"},
        {324, 4, "m_nSoundParamC"},
        {328, 4, "m_fSoundParamD"},
        {332, 4, "m_nSoundParamE"},
        {336, 4, "m_nSyncOffset"},
        {340, 4, "m_pSyncOwner"},
        {344, 4, "m_nSyncIndex"},
        {348, 4, "m_nStartTime"},
        {352, 2, "m_nNaturalDuration"},
        {354, 1, "m_bLinearPlay"},
        {355, 1, "m_bPictureFollowing"},
        {356, 1, "m_bPictureLayer"},
        {357, 1, "m_bCursorNotShown"},
        {358, 1, "m_bCountedLines"},
        {359, 1, "m_bNavigation"},
        {360, 1, "m_bBubbleAnimation"},
        {361, 1, "m_bNoWrap"},
        {362, 2, "reserved"},
        {364, 4, "m_nPictureUntil"},
        {368, 1, "m_nPictureTransparency"},
        {369, 3, "reserved"},
        {372, 4, "m_pszSoundRel"},
        {376, 4, "m_nSoundRelLen"},
        {380, 4, "m_pBubbleAnimation"},
        {384, 1, "m_nTextAlign"},
        {385, 1, "m_bResync"},
        {386, 1, "m_bZoomFollowMouse"},
        {387, 1, "m_bZoom"},
        {388, 1, "m_bZoomFull"},
        {389, 7, "reserved"},
        {396, 16, "m_rcZoom"},
        {412, 8, "reserved"},
        {420, 4, "m_nUserDuration"},
        {424, 4, "reserved"},
        {428, 2, "m_nImageWidthPct"},
        {430, 2, "m_nImageHeightPct"},
        {432, 1, "m_bSpeak"},
        {433, 4, "reserved"},
        {437, 1, "m_bBackgroundSound"},
        {438, 1, "m_bSyncCalculated"},
        {439, 1, "m_bLoopSound"},
        {440, 4, "m_pSpeech"},
        {444, 4, "m_nSoundDuration"},
        {448, 1, "m_bMouseHidden"},
        {449, 1, "m_bZoomCut"},
        {450, 2, "reserved"},
        {452, 1, "m_bBackgroundSyncEnd"},
        {453, 11, "reserved"},
        {464, 4, "m_pChapter"},
        {468, 2, "m_nChapterLen"},
        {470, 2, "reserved"},
        {472, 4, "m_nSource"},
        {476, 4, "reserved"},
        {480, 8, "m_nDataStart"},
        {488, 8, "m_nDataEnd"},
        {496, 2, "m_nCursorSource"},
        {498, 22, "reserved"},
    };
    const std::vector<SFrameRecordField> layout = FrameRecordLayout();
    ASSERT_EQ(layout.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(layout[i].nOffset, table[i].nOffset) << table[i].name;
        EXPECT_EQ(layout[i].nWidth, table[i].nWidth) << table[i].name;
        EXPECT_EQ(layout[i].name, table[i].name) << "offset " << table[i].nOffset;
    }
}

// An image with every byte set: each byte a distinct non-zero value, pointer slots 1, memory-only
// slots 0 (a writer never stores anything else there).
TFrameRecordImage EveryFieldSetImage() {
    TFrameRecordImage image;
    for (std::size_t i = 0; i < kFrameRecordSize; ++i) {
        image[i] = static_cast<uint8_t>(i % 251 + 1);
    }
    for (std::size_t slot : kPointerSlots) {
        PutU32(&image[slot], 1);
    }
    PutU32(&image[340], 0x00C0FFEE);  // a sync group number
    for (auto [nOffset, nWidth] : kMemoryOnly) {
        std::memset(&image[nOffset], 0, nWidth);
    }
    image[84] = 0;  // the picture is not undone, so its slot stays
    return image;
}

TEST(FrameRecordImage, EveryFieldSurvivesWriteReadWrite) {
    const TFrameRecordImage original = EveryFieldSetImage();
    CFrameRecord first;
    const SFrameRecordLinks links = ReadFrameRecordImage(original, first);
    EXPECT_EQ(links, (SFrameRecordLinks{true, true, 0x00C0FFEE}));

    TFrameRecordImage written;
    WriteFrameRecordImage(first, links, written);
    ExpectSameBytes(written, original);

    CFrameRecord second;
    EXPECT_EQ(ReadFrameRecordImage(written, second), links);
    TFrameRecordImage rewritten;
    WriteFrameRecordImage(second, links, rewritten);
    ExpectSameBytes(rewritten, original);

    // Reserved bytes arrive in the record in record order: the first three are bytes 9 to 11.
    EXPECT_EQ(first.m_Reserved[0], original[9]);
    EXPECT_EQ(first.m_Reserved[2], original[11]);
    EXPECT_EQ(first.m_Reserved[kFrameReservedBytes - 1], original[519]);
}

TEST(FrameRecordImage, FieldsLandAtTheirOffsetsLittleEndian) {
    const TFrameRecordImage image = EveryFieldSetImage();
    CFrameRecord f;
    ReadFrameRecordImage(image, f);

    EXPECT_EQ(f.m_nDuration, GetI32(&image[24]));
    EXPECT_EQ(f.m_nRecordedDuration, GetI32(&image[28]));
    EXPECT_EQ(f.m_rcHotspot, (SRect{GetI32(&image[88]), GetI32(&image[92]), GetI32(&image[96]),
                                    GetI32(&image[100])}));
    EXPECT_EQ(f.m_nCursorEndY, GetI16(&image[134]));
    EXPECT_EQ(f.m_nLegacyTargets[3], GetU16(&image[176]));
    EXPECT_EQ(f.m_fSoundParamD, GetF32(&image[328]));
    EXPECT_EQ(f.m_nNaturalDuration, GetI16(&image[352]));
    EXPECT_EQ(f.m_nCursorSource, GetI16(&image[496]));
    // Runs of one-byte switches, where a slip of one offset would go unnoticed otherwise.
    const std::vector<std::pair<const uint8_t*, std::size_t>> bytes = {
        {&f.m_bDuplicate, 148},        {&f.m_bHotspotAnimateOnHover, 155},
        {&f.m_bHotspotRectExact, 187}, {&f.m_nHotspotThickness, 189},
        {&f.m_bFrameUrl, 191},         {&f.m_nFrameEffect, 198},
        {&f.m_bKeyFrameNew, 243},      {&f.m_bSyncSound, 246},
        {&f.m_bLinearPlay, 354},       {&f.m_bNoWrap, 361},
        {&f.m_bZoomFull, 388},         {&f.m_bSpeak, 432},
        {&f.m_bBackgroundSound, 437},  {&f.m_bLoopSound, 439},
        {&f.m_bZoomCut, 449},          {&f.m_bBackgroundSyncEnd, 452},
    };
    for (auto [pValue, nOffset] : bytes) {
        EXPECT_EQ(*pValue, image[nOffset]) << "offset " << nOffset;
    }
    EXPECT_TRUE(f.m_pFormat && f.m_pText && f.m_pFont && f.m_pPicture && f.m_pszSound &&
                f.m_pszHotspotUrl && f.m_pszHotspotTarget && f.m_pszFrameUrl &&
                f.m_pszFrameTarget && f.m_pszHotspotImage && f.m_pPanPicture && f.m_pszSoundRel &&
                f.m_pBubbleAnimation && f.m_pSpeech && f.m_pChapter);
}

TEST(FrameRecordImage, SlotsStoreOnlyPresenceAndMemoryOnlyFieldsStoreZero) {
    CDemoProject project;
    CFrameInfo& owner = project.AppendCapturedFrame();
    CFrameInfo& follower = project.AppendCapturedFrame();
    CFrameInfo& other = project.AppendCapturedFrame();
    CFrameInfo& last = project.AppendCapturedFrame();
    follower.m_pSyncOwner = &owner;
    owner.m_pSyncOwner = &owner;
    other.m_pSyncOwner = &other;
    follower.m_pText = u"Hello";
    follower.m_pPicture = std::vector<uint8_t>{4, 0, 0, 0, 1, 2, 3, 4};
    follower.m_bPictureUndone = 1;
    follower.m_pPanPicture = std::vector<uint8_t>{};
    follower.m_pHotspotImageCache = std::make_shared<CPixelPicture>();
    follower.m_bRedrawAll = 1;
    follower.m_nDataStart = 0x1122334455667788;
    follower.m_nDataEnd = -1;

    CFrameRecordLinker linker;
    TFrameRecordImage images[4];
    const CFrameInfo* frames[4] = {&owner, &follower, &other, &last};
    for (int i = 0; i < 4; ++i) {
        WriteFrameRecordImage(*frames[i], linker.LinksOf(*frames[i]), images[i]);
    }
    const TFrameRecordImage& f = images[1];
    EXPECT_EQ(GetU32(&f[4]), 1u);   // text present, as a flag
    EXPECT_EQ(GetU32(&f[0]), 0u);   // no layout
    EXPECT_EQ(GetU32(&f[80]), 0u);  // an undone picture is not saved
    EXPECT_EQ(f[84], 1);
    EXPECT_EQ(GetU32(&f[288]), 1u);  // an empty pan block is still present
    for (auto [nOffset, nWidth] : kMemoryOnly) {
        for (std::size_t i = 0; i < nWidth; ++i) {
            EXPECT_EQ(f[nOffset + i], 0) << "offset " << nOffset + i;
        }
    }
    // Sync groups: equal for one sound, distinct per owner, 0 without an owner.
    EXPECT_EQ(GetU32(&images[0][340]), 1u);
    EXPECT_EQ(GetU32(&images[1][340]), 1u);
    EXPECT_EQ(GetU32(&images[2][340]), 2u);
    EXPECT_EQ(GetU32(&images[3][340]), 0u);
    // Links: the first has no predecessor, the last no successor.
    EXPECT_EQ(GetU32(&images[0][72]), 0u);
    EXPECT_EQ(GetU32(&images[0][76]), 1u);
    EXPECT_EQ(GetU32(&images[3][76]), 0u);

    CFrameRecord read;
    read.m_pszSound = "stale";
    ReadFrameRecordImage(f, read);
    EXPECT_EQ(read.m_pText, std::u16string());  // present, to be filled by the file reader
    EXPECT_FALSE(read.m_pszSound);
    EXPECT_FALSE(read.m_pPicture);
    EXPECT_EQ(read.m_pCache, std::vector<uint8_t>(kFrameCacheSize, 0));
    EXPECT_EQ(read.m_nDataStart, 0);
    EXPECT_EQ(read.m_bRedrawAll, 0);
}

TEST(LogFont, SixtyByteImageRoundTripsAndDefaultIsTheStartFont) {
    CLogFont font = CLogFont::Default();
    std::array<uint8_t, kLogFontSize> bytes{};
    font.Write(bytes);
    EXPECT_EQ(GetI32(&bytes[0]), -17);
    EXPECT_EQ(GetI32(&bytes[16]), 400);
    EXPECT_EQ(bytes[24], 3);
    EXPECT_EQ(bytes[25], 2);
    EXPECT_EQ(bytes[26], 1);
    EXPECT_EQ(bytes[27], 0x22);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Microsoft Sans Serif");

    for (std::size_t i = 0; i < kLogFontSize; ++i) {
        bytes[i] = static_cast<uint8_t>(0xF0 - i);
    }
    const CLogFont read = CLogFont::Read(bytes);
    std::array<uint8_t, kLogFontSize> again{};
    read.Write(again);
    EXPECT_EQ(again, bytes);

    font.SetFaceName(std::string(40, 'x'));
    EXPECT_EQ(font.FaceName(), std::string(31, 'x'));
}

TEST(FrameRecord, LengthsFollowTheOwnedItemsAndOverlongItemsAreCut) {
    CFrameRecord f;
    f.m_pFormat = u"\x0002hi\x1F40";
    f.m_pText = u"hi";
    f.m_pChapter = std::u16string(40000, u'c');
    f.m_pszSound = "/home/u/a.wav";
    f.m_pszHotspotUrl = std::string(70000, 'u');
    f.m_nTextLen = 99;
    f.RecomputeLengths();
    EXPECT_EQ(f.m_nFormatLen, 4);
    EXPECT_EQ(f.m_nTextLen, 2);
    EXPECT_EQ(f.m_nChapterLen, 32767);
    EXPECT_EQ(f.m_pChapter->size(), 32767u);
    EXPECT_EQ(f.m_nSoundLen, 13);
    EXPECT_EQ(f.m_nHotspotUrlLen, 65535);
    EXPECT_EQ(f.m_pszHotspotUrl->size(), 65535u);
    EXPECT_EQ(f.m_nHotspotImageLen, 0);
}

}  // namespace
