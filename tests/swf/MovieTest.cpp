#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "swf/SwfBitWriter.h"
#include "swf/SwfMovie.h"
#include "swf/SwfObject.h"
#include "swf/SwfPlaceObject.h"
#include "swf/SwfSimpleTags.h"
#include "swf/SwfSpriteObject.h"
#include "swf/SwfTagList.h"
#include "swf/SwfTagStream.h"
#include "tests/support/TempDir.h"
#include "tests/swf/StubObject.h"
#include "tests/swf/SwfTestSupport.h"

namespace {

// A display object with a fixed character id and no definition tags.
class CFakeObject : public CSwfObject {
public:
    CFakeObject(int32_t id, uint16_t layer) {
        m_nCharacterId = id;
        m_bDefined = true;
        SetLayer(layer);
    }
    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override {
        if (!m_bDefineOnly) {
            Place(frame, movie);
        }
    }
};

struct SPlaced {
    char kind;  // 'P' PlaceObject2, 'R' RemoveObject, 'S' ShowFrame, '?' anything else
    int id;
    int depth;
    bool operator==(const SPlaced&) const = default;
};

std::ostream& operator<<(std::ostream& os, const SPlaced& p) {
    return os << p.kind << "(" << p.id << "@" << p.depth << ")";
}

// The timeline as a sprite writes it, one entry per tag.
std::vector<SPlaced> Written(CSwfMovie& movie) {
    CSwfTagStream stream;
    EXPECT_TRUE(movie.WriteAsSprite(stream)) << movie.Error();
    std::vector<SPlaced> out;
    for (size_t i = 0; i < stream.TagCount(); ++i) {
        const CSwfTag& tag = stream.TagAt(i);
        if (const auto* p = dynamic_cast<const CSwfPlaceObject2*>(&tag)) {
            out.push_back({'P', p->m_nCharacterId, p->m_nDepth});
        } else if (const auto* r = dynamic_cast<const CSwfRemoveObject*>(&tag)) {
            out.push_back({'R', r->m_nCharacterId, r->m_nDepth});
        } else if (tag.IsShowFrame()) {
            out.push_back({'S', 0, 0});
        } else {
            out.push_back({'?', 0, 0});
        }
    }
    return out;
}

TEST(SwfMovie, DepthsFollowLayersWithTiesInCharacterThenPlacementOrder) {
    struct SCase {
        const char* name;
        std::vector<std::pair<int, uint16_t>> placements;  // character id, layer, in order
        std::vector<int> depths;                           // of each placement, same order
    };
    const std::vector<SCase> cases = {
        {"one placement", {{5, 300}}, {0}},
        {"layers 65502 and 1", {{1, 65502}, {2, 1}}, {1, 0}},
        {"equal layers: character 3 twice before 7",
         {{7, 60000}, {3, 60000}, {3, 60000}},
         {2, 0, 1}},
        {"mixed", {{4, 10}, {1, 20}, {2, 10}, {3, 5}, {1, 10}}, {3, 4, 2, 0, 1}},
    };
    for (const SCase& c : cases) {
        CSwfMovie movie;
        std::vector<std::unique_ptr<CFakeObject>> objects;
        std::vector<SPlaced> expected;
        for (size_t i = 0; i < c.placements.size(); ++i) {
            objects.push_back(
                std::make_unique<CFakeObject>(c.placements[i].first, c.placements[i].second));
            movie.GetFrame(0).AddObject(*objects.back());
            expected.push_back({'P', c.placements[i].first, c.depths[i]});
        }
        expected.push_back({'S', 0, 0});
        EXPECT_EQ(Written(movie), expected) << c.name;
    }
}

TEST(SwfMovie, RemovalCarriesTheDepthOfItsPlacement) {
    CSwfMovie movie;
    CFakeObject low(1, 5), high(2, 9), late(3, 1);
    movie.GetFrame(2).AddObject(high);
    movie.GetFrame(3).AddObject(low);
    movie.GetFrame(4).AddObject(late);
    movie.GetFrame(10).RemoveObject(high);
    movie.GetFrame(10).RemoveObject(late);
    const std::vector<SPlaced> written = Written(movie);
    std::vector<SPlaced> tags;
    for (const SPlaced& p : written) {
        if (p.kind != 'S') {
            tags.push_back(p);
        }
    }
    const std::vector<SPlaced> expected = {
        {'P', 2, 2}, {'P', 1, 1}, {'P', 3, 0}, {'R', 2, 2}, {'R', 3, 0}};
    EXPECT_EQ(tags, expected);
    EXPECT_EQ(written.size(), 11u + 5u);
}

// Each removal ends a placement that is still on the display list, so nothing is ever taken off
// a depth that holds another object or none.
TEST(SwfMovie, RemovalsOnlyEndPlacementsStillShown) {
    CSwfMovie movie;
    CFakeObject twice(1, 4), never(2, 4), other(3, 1);
    movie.GetFrame(0).AddObject(twice);
    movie.GetFrame(0).AddObject(other);
    movie.GetFrame(1).AddObject(twice);
    movie.GetFrame(2).RemoveObject(twice);
    movie.GetFrame(2).RemoveObject(never);
    movie.GetFrame(3).RemoveObject(twice);
    movie.GetFrame(3).RemoveObject(twice);
    const std::vector<SPlaced> expected = {{'P', 1, 1}, {'P', 3, 0}, {'S', 0, 0},
                                           {'P', 1, 2}, {'S', 0, 0}, {'R', 1, 2},
                                           {'S', 0, 0}, {'R', 1, 1}, {'S', 0, 0}};
    EXPECT_EQ(Written(movie), expected);
}

TEST(SwfMovie, FramesAreCreatedUpToTheHighestIndexUsed) {
    CSwfMovie movie;
    CFakeObject object(1, 1);
    movie.GetFrame(99).AddObject(object);
    EXPECT_EQ(movie.FrameCount(), 100u);
    movie.GetFrame(5);
    EXPECT_EQ(movie.FrameCount(), 100u);
    std::vector<SPlaced> expected(99, SPlaced{'S', 0, 0});
    expected.push_back({'P', 1, 0});
    expected.push_back({'S', 0, 0});
    EXPECT_EQ(Written(movie), expected);
    EXPECT_EQ(movie.FrameCount(), 0u) << "writing empties the timeline";
}

TEST(SwfMovie, PlaceObject2Encodings) {
    struct SCase {
        const char* name;
        std::function<void(CSwfObject&)> setup;
        std::vector<uint8_t> expected;  // the whole record; depth 0, character 0x0102
    };
    const std::vector<SCase> cases = {
        {"character only", [](CSwfObject&) {}, Hex("85 06 02 00 00 02 01")},
        {"named", [](CSwfObject& o) { o.SetName(CSwfString("bar")); },
         Hex("89 06 22 00 00 02 01 62 61 72 00")},
        {"empty name", [](CSwfObject& o) { o.SetName(CSwfString("")); },
         Hex("86 06 22 00 00 02 01 00")},
        {"fade",
         [](CSwfObject& o) { o.SetColorTransform(false, true, 256, 256, 256, 128, 0, 0, 0, 0); },
         [] {
             std::vector<uint8_t> v = Hex("8c 06 0a 00 00 02 01");
             for (uint8_t b : Bits("0 1 1010 0100000000 0100000000 0100000000 0010000000")) {
                 v.push_back(b);
             }
             v[0] = static_cast<uint8_t>(0x80 | (v.size() - 2));
             return v;
         }()},
    };
    for (const SCase& c : cases) {
        CSwfMovie movie;
        CFakeObject object(0x0102, 7);
        c.setup(object);
        movie.GetFrame(0).AddObject(object);
        CSwfTagList& tags = movie.GetFrame(0).Tags();
        ASSERT_EQ(tags.Size(), 1u);
        // The provisional depth is the layer until the timeline is written.
        EXPECT_EQ(dynamic_cast<CSwfPlaceObject2&>(tags[0]).m_nDepth, 7);
        dynamic_cast<CSwfPlaceObject2&>(tags[0]).m_nDepth = 0;
        EXPECT_EQ(ToHex(TagBytes(tags[0])), ToHex(c.expected)) << c.name;
    }
}

TEST(SwfMovie, DefineOnlyObjectsAreNotPlaced) {
    CSwfMovie movie;
    CFakeObject object(1, 1);
    object.SetDefineOnly(true);
    movie.GetFrame(0).AddObject(object);
    EXPECT_TRUE(movie.GetFrame(0).Tags().Empty());
    EXPECT_EQ(movie.Objects().size(), 1u);
}

class SwfMovieSaveTest : public ::testing::Test {
protected:
    CTempDir m_dir;
};

TEST_F(SwfMovieSaveTest, FileStartsWithAttributesAndMetadata) {
    CSwfMovie movie;
    movie.GetFrame(0).SetBackgroundColor(0x00332211);
    const std::string path = m_dir.File("m.swf");
    ASSERT_TRUE(movie.Save(path)) << movie.Error();
    const std::vector<uint8_t> file = ReadFileBytes(path);
    const SFileHeader header = ReadFileHeader(file);
    EXPECT_EQ(header.width, 11000);
    EXPECT_EQ(header.height, 8000);
    EXPECT_EQ(header.rate, 12);
    EXPECT_EQ(header.frames, 1);
    ASSERT_GT(file.size(), 31u);
    // FileAttributes: code 69, 4 bytes, only the metadata flag.
    EXPECT_EQ(ToHex({file.begin() + 21, file.begin() + 27}), ToHex(Hex("44 11 10 00 00 00")));
    // Metadata: code 77, long header, the document and its terminating 0.
    const std::string document = SwfMetadataDocument();
    EXPECT_EQ(file[27] | (file[28] << 8), 77 * 64 + 63);
    const uint32_t length = file[29] | (file[30] << 8) | (file[31] << 16) | (file[32] << 24);
    EXPECT_EQ(length, document.size() + 1);
    EXPECT_EQ(std::string(file.begin() + 33, file.begin() + 33 + document.size()), document);
    EXPECT_EQ(document.rfind("\t\t<rdf:RDF", 0), 0u);
    EXPECT_EQ(document.find('\n'), std::string::npos);
    // SetBackgroundColor from 0x00BBGGRR, then ShowFrame and End.
    const size_t rest = 33 + document.size() + 1;
    EXPECT_EQ(ToHex({file.begin() + static_cast<long>(rest), file.end()}),
              ToHex(Hex("43 02 11 22 33 40 00 00 00")));
}

TEST_F(SwfMovieSaveTest, CancellingKeepsTheFramesProcessedSoFar) {
    CSwfMovie movie;
    for (uint32_t i = 0; i < 5; ++i) {
        movie.GetFrame(i).SetBackgroundColor(i);
    }
    CRecordingProgress progress;
    progress.m_nCancelAfter = 2;
    const std::string path = m_dir.File("m.swf");
    ASSERT_TRUE(movie.Save(path, &progress)) << movie.Error();
    EXPECT_TRUE(movie.WasCancelled());
    EXPECT_EQ(progress.m_captions, std::vector<std::string>{"Processing"});
    EXPECT_EQ(progress.m_percents, (std::vector<double>{0, 20, 40}));
    const std::vector<uint8_t> file = ReadFileBytes(path);
    EXPECT_EQ(ReadFileHeader(file).frames, 2);
    EXPECT_EQ(ReadFileHeader(file).length, file.size());
    EXPECT_EQ(movie.FrameCount(), 0u);
}

TEST_F(SwfMovieSaveTest, SavingReportsBothSteps) {
    CSwfMovie movie;
    movie.GetFrame(1);
    CRecordingProgress progress;
    ASSERT_TRUE(movie.Save(m_dir.File("m.swf"), &progress)) << movie.Error();
    EXPECT_FALSE(movie.WasCancelled());
    EXPECT_EQ(progress.m_captions,
              (std::vector<std::string>{"Processing", "Writing movie to file"}));
    EXPECT_EQ(progress.m_nEnds, 2);
}

TEST_F(SwfMovieSaveTest, RunningOutOfDepthsFailsTheSave) {
    CSwfMovie movie;
    CFakeObject object(1, 1);
    for (int i = 0; i < 0x10001; ++i) {
        movie.GetFrame(0).AddObject(object);
    }
    const std::string path = m_dir.File("deep.swf");
    EXPECT_FALSE(movie.Save(path));
    EXPECT_NE(movie.Error().find("65536"), std::string::npos) << movie.Error();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(movie.FrameCount(), 0u);
}

TEST_F(SwfMovieSaveTest, EachMovieNumbersItsOwnCharacters) {
    CSwfMovie first;
    CSwfMovie second;
    auto timeline = first.NewTimeline();
    EXPECT_EQ(first.NextCharacterId(), 1);
    EXPECT_EQ(timeline->NextCharacterId(), 2) << "a sprite's timeline shares its movie's ids";
    EXPECT_EQ(second.NextCharacterId(), 1) << "another movie starts at 1 whatever came before";
    EXPECT_EQ(first.NextCharacterId(), 3);

    ASSERT_TRUE(first.Save(m_dir.File("first.swf"))) << first.Error();
    EXPECT_EQ(first.NextCharacterId(), 1) << "a saved movie starts afresh";
    EXPECT_EQ(second.NextCharacterId(), 2);
}

TEST_F(SwfMovieSaveTest, RunningOutOfCharacterIdsFailsTheSave) {
    CSwfMovie movie;
    for (uint32_t i = 1; i <= 0xFFFF; ++i) {
        ASSERT_EQ(movie.NextCharacterId(), i);
    }
    EXPECT_FALSE(movie.CharacterIdsExhausted());
    EXPECT_EQ(movie.NextCharacterId(), 0);
    EXPECT_EQ(movie.NextCharacterId(), 0) << "the counter never wraps back to used ids";
    EXPECT_TRUE(movie.CharacterIdsExhausted());

    const std::string path = m_dir.File("many.swf");
    EXPECT_FALSE(movie.Save(path));
    EXPECT_NE(movie.Error().find("65535 characters"), std::string::npos) << movie.Error();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(movie.NextCharacterId(), 1) << "the next movie starts afresh";
}

TEST_F(SwfMovieSaveTest, ASpriteWhoseTimelineBelongsToAnotherMovieFailsTheSave) {
    CStubObject inside;
    auto foreign = std::make_unique<CSwfMovie>();
    foreign->GetFrame(0).AddObject(inside);
    CSwfSpriteObject sprite(std::move(foreign));
    CStubObject beside;
    CSwfMovie movie;
    movie.GetFrame(0).AddObject(beside);
    movie.GetFrame(0).AddObject(sprite);
    EXPECT_EQ(inside.CharacterId(), beside.CharacterId()) << "the ids the save must refuse";

    const std::string path = m_dir.File("foreign.swf");
    EXPECT_FALSE(movie.Save(path));
    EXPECT_NE(movie.Error().find("another movie"), std::string::npos) << movie.Error();
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
