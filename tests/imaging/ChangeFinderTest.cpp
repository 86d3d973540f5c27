#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/ChangeFinder.h"

namespace {

// Two pictures of one size; Change() makes a pixel of the second differ from the first.
struct SPair {
    SPair(int32_t w, int32_t h)
        : width(w), height(h), before(static_cast<size_t>(w) * h, 0x336699), after(before) {}
    void Change(int32_t x, int32_t y) { after[static_cast<size_t>(y) * width + x] ^= 0x010000; }
    std::vector<SRect> Find() const {
        CChangeFinder finder(before.data(), after.data(), width, height);
        return finder.FindChanges();
    }
    int32_t width;
    int32_t height;
    std::vector<uint32_t> before;
    std::vector<uint32_t> after;
};

TEST(ChangeFinder, ChangedColumnsOfOneRowGiveBoxesWidenedToFourColumns) {
    struct SCase {
        std::vector<int32_t> columns;
        std::vector<std::pair<int32_t, int32_t>> boxes;  // left, right
    };
    const SCase cases[] = {
        {{2}, {{0, 3}}},
        {{2, 17}, {{0, 19}}},
        {{2, 17, 57, 60}, {{0, 19}, {56, 63}}},
        {{2, 17, 30, 33}, {{0, 35}}},
        {{1023}, {{1020, 1023}}},
    };
    for (const SCase& c : cases) {
        SPair pair(1024, 20);
        for (int32_t x : c.columns) {
            pair.Change(x, 7);
        }
        std::vector<SRect> expected;
        for (auto [left, right] : c.boxes) {
            expected.push_back({left, 7, right, 7});
        }
        EXPECT_EQ(pair.Find(), expected) << "first column " << c.columns.front();
    }
}

TEST(ChangeFinder, EqualPicturesHaveNoChanges) {
    SPair pair(64, 48);
    EXPECT_TRUE(pair.Find().empty());
}

TEST(ChangeFinder, AWhollyChangedPictureIsOneBox) {
    SPair pair(640, 480);
    for (auto& p : pair.after) {
        p = 0xFFFFFF;
    }
    EXPECT_EQ(pair.Find(), (std::vector<SRect>{{0, 0, 639, 479}}));
}

TEST(ChangeFinder, ABlockOfChangesIsFoundWithItsRows) {
    SPair pair(1920, 1080);
    for (int32_t y = 1000; y < 1030; ++y) {
        for (int32_t x = 901; x < 1101; ++x) {
            pair.Change(x, y);
        }
    }
    EXPECT_EQ(pair.Find(), (std::vector<SRect>{{900, 1000, 1103, 1029}}));
}

TEST(ChangeFinder, WideningStopsAtThePicturesRightEdge) {
    SPair pair(1022, 10);
    pair.Change(1021, 3);
    pair.Change(1019, 9);
    const std::vector<SRect> boxes = pair.Find();
    ASSERT_FALSE(boxes.empty());
    for (const SRect& r : boxes) {
        EXPECT_LE(r.right, 1021);
    }
}

TEST(ChangeFinder, TooManyRunsInOnePassFallBackToTheWholePicture) {
    // Changed columns 22 apart pair up into runs; 545 columns make 273 runs.
    SPair pair(12000, 2);
    for (int32_t x = 0; x < 12000; x += 22) {
        pair.Change(x, 1);
    }
    EXPECT_EQ(pair.Find(), (std::vector<SRect>{{0, 0, 11999, 1}}));
}

TEST(ChangeFinder, TooManyBoxesFallBackToTheWholePicture) {
    // 2 × 2 blocks 24 pixels apart each need a box of their own: 2500 of them.
    SPair pair(1200, 1200);
    for (int32_t y = 0; y < 1200; y += 24) {
        for (int32_t x = 0; x < 1200; x += 24) {
            pair.Change(x, y);
            pair.Change(x + 1, y);
            pair.Change(x, y + 1);
            pair.Change(x + 1, y + 1);
        }
    }
    EXPECT_EQ(pair.Find(), (std::vector<SRect>{{0, 0, 1199, 1199}}));
    // A quarter of the grid fits.
    SPair fewer(600, 600);
    for (int32_t y = 0; y < 600; y += 24) {
        for (int32_t x = 0; x < 600; x += 24) {
            fewer.Change(x, y);
            fewer.Change(x + 1, y + 1);
        }
    }
    EXPECT_EQ(fewer.Find().size(), 625u);
}

TEST(ChangeFinder, EveryChangedPixelLiesInABoxInsideThePicture) {
    std::mt19937 random(7);
    for (int scene = 0; scene < 40; ++scene) {
        const int32_t w = 16 + static_cast<int32_t>(random() % 700);
        const int32_t h = 1 + static_cast<int32_t>(random() % 400);
        SPair pair(w, h);
        const int blobs = 1 + static_cast<int>(random() % 12);
        for (int b = 0; b < blobs; ++b) {
            const int32_t x0 = static_cast<int32_t>(random() % w);
            const int32_t y0 = static_cast<int32_t>(random() % h);
            const int32_t bw = 1 + static_cast<int32_t>(random() % 60);
            const int32_t bh = 1 + static_cast<int32_t>(random() % 40);
            for (int32_t y = y0; y < std::min(h, y0 + bh); ++y) {
                for (int32_t x = x0; x < std::min(w, x0 + bw); ++x) {
                    if (random() % 3 != 0) {
                        pair.Change(x, y);
                    }
                }
            }
        }
        const std::vector<SRect> boxes = pair.Find();
        for (const SRect& r : boxes) {
            EXPECT_EQ(r.left % 4, 0);
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.left, r.right);
            EXPECT_LE(r.top, r.bottom);
            EXPECT_LT(r.right, w);
            EXPECT_LT(r.bottom, h);
        }
        int uncovered = 0;
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y) * w + x;
                if (pair.before[i] == pair.after[i]) {
                    continue;
                }
                bool inside = false;
                for (const SRect& r : boxes) {
                    inside = inside || (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom);
                }
                uncovered += inside ? 0 : 1;
            }
        }
        EXPECT_EQ(uncovered, 0) << "scene " << scene << " " << w << "x" << h;
    }
}

}  // namespace
