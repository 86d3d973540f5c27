#include <gtest/gtest.h>

#include <random>

#include "project/stream/FrameCompositor.h"
#include "project/stream/PictureBlock.h"
#include "tests/project/stream/StreamTestRecorder.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kW = 10;
constexpr int kH = 8;
constexpr uint32_t kGrey = 0x404040;

uint32_t Mix(uint32_t src, uint32_t dst, uint32_t a) {
    uint32_t out = 0;
    for (int s = 0; s <= 16; s += 8) {
        out |= ((((src >> s) & 0xFF) * a + ((dst >> s) & 0xFF) * (255 - a)) / 255) << s;
    }
    return out;
}

// A grey recording of 10 x 8 written through the real stream: frame 0 is a key frame, later
// frames change single pixels, and frame 1 carries a 2 x 2 cursor record at (3, 2).
class CompositorOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Stream.Begin(m_Project, m_Dir.Path().string(), kW, kH, false));
        std::vector<uint32_t> screen(kW * kH, kGrey);
        std::vector<uint32_t> before(kW * kH, 0);
        m_Stream.AppendCapturedFrame().m_bKeyFrame = 1;
        m_Stream.WriteRect(0, 0, kW - 1, kH - 1, before.data(), kW, kRecordOldPixels);
        m_Stream.WriteRect(0, 0, kW - 1, kH - 1, screen.data(), kW, kRecordNewPixels);
        for (int f = 1; f < 6; ++f) {
            m_Stream.AppendCapturedFrame();
            std::vector<uint32_t> next = screen;
            next[f] = 0x0000F0;
            m_Stream.WriteRect(f, 0, f, 0, screen.data(), kW, kRecordOldPixels);
            m_Stream.WriteRect(f, 0, f, 0, next.data(), kW, kRecordNewPixels);
            screen = next;
            if (f == 1) {
                std::vector<uint32_t> cursor = screen;
                cursor[2 * kW + 3] = 0x101010;
                cursor[2 * kW + 4] = 0x202020;
                cursor[3 * kW + 3] = 0x303030;
                cursor[3 * kW + 4] = 0x505050;
                m_Stream.WriteRect(3, 2, 4, 3, cursor.data(), kW, kRecordCursor, 4, true);
            }
        }
        SCaptureFiles files;
        ASSERT_TRUE(m_Stream.Stop(files));
        ASSERT_TRUE(m_File.OpenCapture(files.dataPath, files.indexPath));
        m_Compositor.SetSources({&m_File});

        CCursorImage arrow;
        arrow.m_hCursor = 77;
        arrow.m_pPixels = {kCursorPixelTransparent, kCursorPixelInvert, 0x123456, 0x00FF00};
        m_Project.m_CursorImages.m_nWidth = 2;
        m_Project.m_CursorImages.m_nHeight = 2;
        m_Project.m_CursorImages.m_bPresent = true;
        m_Project.m_CursorImages.Add(arrow);
        for (uint32_t i = 0; i < m_Project.FrameCount(); ++i) {
            m_Project.FrameAt(i)->m_hCursor = 77;
        }
    }

    uint32_t Shown(int x, int y) {
        return m_Compositor.ShownPicture().m_Pixels[static_cast<size_t>(y) * kW + x];
    }

    CTempDir m_Dir;
    CDemoProject m_Project;
    CCaptureStream m_Stream;
    CStreamFile m_File;
    CFrameCompositor m_Compositor{m_Project};
};

TEST_F(CompositorOverlayTest, CursorLayerWithItsMarks) {
    const uint32_t below = kGrey;
    const uint32_t inverse = kGrey ^ 0xFFFFFF;
    auto half = [](uint32_t c, uint32_t under) { return Mix((c >> 1) & 0x7F7F7F, under, 0x80); };
    struct SCase {
        const char* name;
        void (*set)(CFrameInfo&, SCompositorOptions&);
        std::array<uint32_t, 4> expected;  // (3,2) (4,2) (3,3) (4,3)
    };
    const SCase cases[] = {
        {"table picture: transparent, inverting, colours",
         [](CFrameInfo&, SCompositorOptions&) {},
         {below, inverse, 0x123456, 0x00FF00}},
        {"mouse-down frame is marked red",
         [](CFrameInfo& f, SCompositorOptions&) { f.m_bClickDown = 1; },
         {below, inverse | 0xFF0000, 0xFF3456, 0xFFFF00}},
        {"mouse-up frame is marked green",
         [](CFrameInfo& f, SCompositorOptions&) { f.m_bClickUp = 1; },
         {below, inverse | 0x00FF00, 0x12FF56, 0x00FF00}},
        {"no marks while an output runs",
         [](CFrameInfo& f, SCompositorOptions& o) {
             f.m_bClickDown = 1;
             o.bOutputRunning = true;
         },
         {below, inverse, 0x123456, 0x00FF00}},
        {"hidden mouse is drawn half bright in the editor",
         [](CFrameInfo& f, SCompositorOptions&) { f.m_bMouseHidden = 1; },
         {below, half(inverse, below), half(0x123456, below), half(0x00FF00, below)}},
        {"hidden mouse is left out of outputs",
         [](CFrameInfo& f, SCompositorOptions& o) {
             f.m_bMouseHidden = 1;
             o.bOutputRunning = true;
         },
         {below, below, below, below}},
        {"a hotspot waiting for a click hides the cursor",
         [](CFrameInfo& f, SCompositorOptions&) { f.m_bHotspot = 1; },
         {below, below, below, below}},
        {"unless the editor shows hidden mouse activity",
         [](CFrameInfo& f, SCompositorOptions& o) {
             f.m_bHotspot = 1;
             o.bShowHiddenMouse = true;
         },
         {below, half(inverse, below), half(0x123456, below), half(0x00FF00, below)}},
        {"\"Show mouse\" on the hotspot draws it normally",
         [](CFrameInfo& f, SCompositorOptions&) {
             f.m_bHotspot = 1;
             f.m_bShowMouse = 1;
         },
         {below, inverse, 0x123456, 0x00FF00}},
        {"cursor not shown",
         [](CFrameInfo& f, SCompositorOptions&) { f.m_bCursorNotShown = 1; },
         {below, below, below, below}},
        {"captured cursor area, opaque and unmarked",
         [](CFrameInfo& f, SCompositorOptions&) {
             f.m_bCursorFromTable = 0;
             f.m_bClickDown = 1;
         },
         {0x101010, 0x202020, 0x303030, 0x505050}},
    };
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.name);
        CFrameInfo& frame = *m_Project.FrameAt(1);
        const CFrameInfo saved = frame;
        m_Compositor.Options() = SCompositorOptions{};
        k.set(frame, m_Compositor.Options());
        m_Compositor.GoToFrame(1);
        EXPECT_EQ(Shown(3, 2), k.expected[0]);
        EXPECT_EQ(Shown(4, 2), k.expected[1]);
        EXPECT_EQ(Shown(3, 3), k.expected[2]);
        EXPECT_EQ(Shown(4, 3), k.expected[3]);
        EXPECT_EQ(m_Compositor.Picture().m_Pixels[2 * kW + 4], kGrey)
            << "kept picture has no cursor";
        frame = saved;
    }
}

TEST_F(CompositorOverlayTest, CursorFollowsTheFrameAndLeavesNoTrail) {
    CFrameInfo& frame = *m_Project.FrameAt(1);
    m_Compositor.GoToFrame(1);
    EXPECT_EQ(frame.m_nRecCursorX, 3);
    EXPECT_EQ(frame.m_nCursorX, 3) << "first shown: the recorded place";
    frame.m_nCursorX = 0;
    frame.m_nCursorY = 5;
    m_Compositor.GoToFrame(1);
    EXPECT_EQ(Shown(1, 5), kGrey ^ 0xFFFFFF) << "moved by the user";
    EXPECT_EQ(Shown(4, 2), kGrey);
    m_Compositor.GoToFrame(2);
    EXPECT_FALSE(m_Compositor.CursorLayer().bPresent) << "frame 2 has no cursor record";
    EXPECT_EQ(Shown(1, 5), kGrey);
}

TEST_F(CompositorOverlayTest, EditedPicturesReplaceOrLayerTheShownPictureOnly) {
    const std::vector<uint32_t> plain = [&] {
        m_Compositor.GoToFrame(4);
        return m_Compositor.Picture().m_Pixels;
    }();
    // A 2 x 2 replacement is stretched over the whole 10 x 8 area.
    CFrameInfo& f2 = *m_Project.FrameAt(2);
    f2.m_pPicture =
        EncodePictureBlock(CPixelPicture{2, 2, {0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444}});
    m_Compositor.GoToFrame(2);
    EXPECT_EQ(Shown(0, 0), 0x111111u);
    EXPECT_EQ(Shown(9, 0), 0x222222u);
    EXPECT_EQ(Shown(4, 4), 0x333333u);
    EXPECT_EQ(Shown(9, 7), 0x444444u);
    EXPECT_EQ(m_Compositor.Picture().m_Pixels[0], kGrey);
    f2.m_bPictureUndone = 1;
    EXPECT_EQ(Shown(0, 0), kGrey) << "an undone edit is not shown";

    // A layered picture of 4 x 2, centred, half transparent, for frames 1 to 3.
    CFrameInfo& f1 = *m_Project.FrameAt(1);
    f1.m_bCursorNotShown = 1;
    f1.m_pPicture =
        EncodePictureBlock(CPixelPicture{4, 2, {0xFF00FF00, 0, 0, 0, 0, 0, 0, 0xFFFF0000}});
    f1.m_bPictureLayer = 1;
    f1.m_bPictureFollowing = 1;
    f1.m_nPictureUntil = 3;
    f1.m_nPictureTransparency = 50;
    m_Compositor.RegisterLayer(&f1, 1);
    const uint32_t a = 255 - 50 * 255 / 100;
    for (uint32_t i : {1u, 2u, 3u}) {
        m_Compositor.GoToFrame(i);
        EXPECT_EQ(Shown(3, 3), Mix(0x00FF00, kGrey, a)) << "frame " << i;
        EXPECT_EQ(Shown(6, 4), Mix(0xFF0000, kGrey, a));
        EXPECT_EQ(Shown(4, 3), kGrey) << "a pixel of 0 is transparent";
    }
    m_Compositor.GoToFrame(4);
    EXPECT_EQ(Shown(3, 3), kGrey) << "beyond the last frame it covers";
    EXPECT_EQ(m_Compositor.Picture().m_Pixels, plain);

    // A frame's own layer that does not follow is blended last, over the following one.
    CFrameInfo& f3 = *m_Project.FrameAt(3);
    f3.m_pPicture = EncodePictureBlock(CPixelPicture{1, 1, {0xFF0000FF}});
    f3.m_bPictureLayer = 1;
    m_Compositor.GoToFrame(3);
    EXPECT_EQ(Shown(4, 3), 0x0000FFu) << "1 x 1 centred at (4, 3), opaque";
    EXPECT_EQ(Shown(3, 3), Mix(0x00FF00, kGrey, a));
    m_Compositor.GoToFrame(0);
    m_Compositor.GoToFrame(5);
    EXPECT_EQ(m_Compositor.Picture().m_Pixels[5], 0x0000F0u);
}

TEST(CompositorPanTest, RecordsLandAtThePanOriginOfTheirFrame) {
    CTempDir dir;
    CDemoProject project;
    CCaptureStream stream;
    ASSERT_TRUE(stream.Begin(project, dir.Path().string(), 4, 3, true));
    std::vector<uint32_t> area(12, 0x00AA00);
    CPixelPicture desktop{12, 6, std::vector<uint32_t>(72, 0x000011)};
    CFrameInfo& f0 = stream.AppendCapturedFrame();
    f0.m_pPanPicture = EncodePictureBlock(desktop);
    stream.WriteRect(0, 0, 3, 2, area.data(), 4, kRecordNewPixels);
    struct SPan {
        uint16_t x, y;
        int l, t;
    };
    const SPan pans[] = {{2, 1, 1, 1}, {8, 3, 3, 2}, {11, 3, 3, 2}};
    std::vector<uint32_t> red(12, 0xFF0000);
    for (const SPan& p : pans) {
        CFrameInfo& f = stream.AppendCapturedFrame(SCaptureContext{p.x, p.y});
        stream.WriteRect(p.l, p.t, p.l, p.t, area.data(), 4, kRecordOldPixels);
        stream.WriteRect(p.l, p.t, p.l, p.t, red.data(), 4, kRecordNewPixels);
        EXPECT_EQ(f.m_nPanX, p.x);
    }
    SCaptureFiles files;
    ASSERT_TRUE(stream.Stop(files));
    CStreamFile file;
    ASSERT_TRUE(file.OpenCapture(files.dataPath, files.indexPath));
    CFrameCompositor compositor(project);
    compositor.SetSources({&file});

    compositor.GoToFrame(2);
    const CPixelPicture& pic = compositor.Picture();
    ASSERT_EQ(pic.m_nWidth, 12) << "the picture is the whole desktop";
    auto at = [&](int x, int y) { return pic.m_Pixels[static_cast<size_t>(y) * 12 + x]; };
    EXPECT_EQ(at(0, 0), 0x00AA00u);
    EXPECT_EQ(at(4, 0), 0x000011u);
    EXPECT_EQ(at(3, 2), 0xFF0000u) << "frame 1: (1,1) at pan (2,1)";
    EXPECT_EQ(at(11, 5), 0xFF0000u) << "frame 2: (3,2) at pan (8,3)";
    EXPECT_FALSE(compositor.Damaged());
    compositor.GoToFrame(3);
    EXPECT_TRUE(compositor.Damaged()) << "(3,2) at pan (11,3) lies outside the desktop";
    compositor.GoToFrame(0);
    EXPECT_EQ(compositor.Picture().m_Pixels[2 * 12 + 3], 0x00AA00u) << "stepped back";
}

TEST(CompositorOldProjectTest, OldRecordSizeClipsTheBottomAndMarksLargeRectangles) {
    CTempDir dir;
    CDemoProject project;
    CCaptureStream stream;
    ASSERT_TRUE(stream.Begin(project, dir.Path().string(), 6, 9, false));
    std::vector<uint32_t> area(54);
    for (size_t i = 0; i < area.size(); ++i) {
        area[i] = static_cast<uint32_t>(i * 0x040404) & 0xFEFFFF;
    }
    stream.AppendCapturedFrame();
    stream.WriteRect(0, 0, 5, 8, area.data(), 6, kRecordNewPixels);
    stream.WriteRect(1, 1, 1, 1, area.data(), 6, kRecordNewPixels);
    SCaptureFiles files;
    ASSERT_TRUE(stream.Stop(files));
    CStreamFile file;
    ASSERT_TRUE(file.OpenCapture(files.dataPath, files.indexPath));
    project.m_nHeight = 6;

    for (bool bOld : {true, false}) {
        SCOPED_TRACE(bOld ? "old record size" : "current record size");
        project.m_bOldRecordSize = bOld;
        project.FirstFrame()->m_bKeyFrame = 0;
        CFrameCompositor compositor(project);
        compositor.SetSources({&file});
        compositor.GoToFrame(0);
        EXPECT_EQ(compositor.Damaged(), !bOld);
        EXPECT_EQ(compositor.Picture().m_Pixels[5 * 6 + 5], bOld ? area[5 * 6 + 5] : 0u);
        EXPECT_EQ(project.FirstFrame()->m_bKeyFrame, bOld ? 1 : 0);
        EXPECT_EQ(compositor.Picture().m_Pixels[1 * 6 + 1], area[7]) << "the next record";
    }
}

TEST(CompositorOldProjectTest, LegacyFifteenBitStreamWithNarrowTable) {
    std::vector<uint8_t> data = {'Q', 'u', 'i', 'l', 'l', 'o', 'm', 'a', 't', 'i',
                                 'c', '0', '2', '.', '0', '7', 2,   0,   2,   0};
    // Type 2, left 0, right 1, top 0, bottom 1: three pixels of pure blue, one of red.
    const std::vector<uint8_t> record = {2, 0,    0,    1,    0,    0,    0,   1,
                                         0, 0x02, 0x80, 0x1F, 0x00, 0x00, 0x7C};
    data.insert(data.end(), record.begin(), record.end());
    CStreamFile file;
    ASSERT_TRUE(file.OpenMemory(data, {20, 0, 0, 0}));
    EXPECT_FALSE(file.WideOffsets());
    CDemoProject project;
    project.m_nWidth = 2;
    project.m_nHeight = 2;
    project.m_b24BitColor = false;
    project.AppendCapturedFrame();
    CFrameCompositor compositor(project);
    compositor.SetSources({&file});
    compositor.GoToFrame(0);
    EXPECT_EQ(compositor.Picture().m_Pixels,
              (std::vector<uint32_t>{0x0707FF, 0x0707FF, 0x0707FF, 0xFF0707}));
    EXPECT_FALSE(compositor.Damaged());
}

TEST(CompositorRedrawTest, RedrawAllStartsFromTheBackgroundAndIsNotWalkedBackward) {
    CTempDir dir;
    CDemoProject project;
    std::mt19937 rng(3);
    CTestRecorder rec(project, dir.Path().string(), 6, 4, false);
    rec.Key(rng);
    rec.Change({{0, 0, 1, 1}}, rng);
    rec.Change({{2, 2, 3, 3}}, rng).m_bRedrawAll = 1;
    rec.Change({{4, 0, 5, 1}}, rng);
    CStreamFile file;
    ASSERT_TRUE(rec.Stop(file));
    CFrameCompositor compositor(project);
    compositor.SetSources({&file});
    compositor.Options().crBackground = 0x00C0FF;
    auto expect = [&](uint32_t p) {
        std::vector<uint32_t> screen = rec.Screen(p);
        if (p >= 2) {
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 6; ++x) {
                    const bool bDrawn =
                        (x >= 2 && x <= 3 && y >= 2) || (p == 3 && x >= 4 && y <= 1);
                    if (!bDrawn) {
                        screen[static_cast<size_t>(y) * 6 + x] = 0x00C0FF;
                    }
                }
            }
        }
        return screen;
    };
    for (uint32_t i : {3u, 1u, 2u, 0u, 3u, 2u, 1u}) {
        compositor.GoToFrame(i);
        EXPECT_EQ(compositor.Picture().m_Pixels, expect(i)) << "frame " << i;
    }
}

}  // namespace
