// The published page in today's browser: served on 127.0.0.1 and opened in headless Chromium it
// plays the movie through the web player beside it, at its recorded size, shrunk without
// distortion in a smaller window, with the keyboard focus on the player; and the SCORM package,
// unpacked from its ZIP, plays inside a learning system's frame that offers the SCORM 1.2 API.
#include <gtest/gtest.h>
#include <zip.h>

#include <QImage>
#include <cstdlib>
#include <fstream>

#include "platform/LocalHttpServer.h"
#include "publish/package/PackageText.h"
#include "tests/publish/PublishFixture.h"
#include "tests/publish/ScormJudge.h"
#include "tests/support/TempDir.h"
#include "tests/swf/SwfJudges.h"

namespace fs = std::filesystem;

namespace {

constexpr int kW = 160;
constexpr int kH = 120;
constexpr const char* kBase = "My demo #1";

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

struct SPageRun {
    int exitCode = -1;
    QJsonObject json;
};

// Runs PageCheck.mjs on `url`; the player's picture goes to `shot`.
SPageRun CheckPage(const std::string& url, const fs::path& shot, const std::string& extra = {}) {
    const fs::path report = shot.parent_path() / (shot.stem().string() + ".json");
    const std::string command =
        "node " + Quote(std::string(QUILLO_SOURCE_DIR) + "/tests/publish/PageCheck.mjs") + " " +
        Quote(url) + " " + Quote(shot.string()) + " " + extra + " > " + Quote(report.string()) +
        " 2>/dev/null";
    SPageRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(report);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    run.json = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    return run;
}

// With QUILLO_KEEP_SHOTS set, the screenshots are copied there for a look.
void Keep(const fs::path& shot) {
    if (const char* keep = std::getenv("QUILLO_KEEP_SHOTS")) {
        std::error_code ec;
        fs::create_directories(keep, ec);
        fs::copy_file(shot, fs::path(keep) / ("page-" + shot.filename().string()),
                      fs::copy_options::overwrite_existing, ec);
    }
}

bool Unzip(const fs::path& zipPath, const fs::path& folder) {
    int error = 0;
    zip_t* zip = zip_open(zipPath.c_str(), ZIP_RDONLY, &error);
    if (zip == nullptr) {
        return false;
    }
    bool ok = true;
    for (zip_int64_t i = 0; ok && i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        ok = zip_stat_index(zip, zip_uint64_t(i), 0, &st) == 0;
        std::string bytes(ok ? st.size : 0, '\0');
        zip_file_t* file = ok ? zip_fopen_index(zip, zip_uint64_t(i), 0) : nullptr;
        ok = file != nullptr && zip_fread(file, bytes.data(), bytes.size()) == zip_int64_t(st.size);
        if (file != nullptr) {
            zip_fclose(file);
        }
        const fs::path target = folder / st.name;
        fs::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << bytes;
    }
    zip_close(zip);
    return ok;
}

class PackageBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = CSwfJudges::Missing(); !missing.empty()) {
            GTEST_SKIP() << missing;
        }
        m_rec = std::make_unique<CMemoryRecording>(m_dir.Path().string(), kW, kH);
        m_rec->Paint(0, 0, kW - 1, kH - 1, [](int x, int y) {
            return ((x / 16 + y / 12) % 2 == 0) ? 0x3A6EA5 : (x < kW / 2 ? 0xF0E0C0 : 0x204060);
        });
        m_rec->Capture(0, 0, kW - 1, kH - 1, 300);
        m_rec->Fill(20, 20, 100, 80, 0xC04040);
        m_rec->Capture(20, 20, 100, 80, 300);
        ASSERT_TRUE(m_rec->Finish());
    }

    // The player's picture is the project's first frame.
    void ExpectFirstFrame(const fs::path& shot) {
        Keep(shot);
        const QImage image(QString::fromStdString(shot.string()));
        ASSERT_EQ(image.width(), kW);
        ASSERT_EQ(image.height(), kH);
        const SPictureDiff diff = Compare(image, m_rec->Picture(0), kW, kH);
        EXPECT_EQ(diff.nDiffering, 0) << "max channel difference " << diff.nMaxChannel;
    }

    fs::path Out(const std::string& name) const { return m_dir.Path() / name; }

    CTempDir m_dir;
    CScriptedPrompter m_prompter;
    std::unique_ptr<CMemoryRecording> m_rec;
};

TEST_F(PackageBrowserTest, ThePagePlaysTheMovieWhereItIsServed) {
    const SPublished pub = Publish(*m_rec, m_prompter, Out(kBase).string(),
                                   [](CPublishSettings& s) { s.m_bCreateWebPage = true; });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    CLocalHttpServer server;
    std::string why;
    ASSERT_TRUE(server.Start(m_dir.Path(), why)) << why;
    const std::string url = server.Address(UrlEscape(std::string(kBase) + ".htm"));

    const SPageRun run = CheckPage(url, Out("full.png"));
    ASSERT_EQ(run.exitCode, 0) << QJsonDocument(run.json).toJson().toStdString();
    EXPECT_TRUE(run.json["focused"].toBool());
    EXPECT_EQ(run.json["box"].toObject()["width"].toDouble(), kW);
    EXPECT_EQ(run.json["box"].toObject()["height"].toDouble(), kH);
    ExpectFirstFrame(Out("full.png"));

    // A window narrower than the movie shrinks it and keeps its shape.
    const SPageRun narrow = CheckPage(url, Out("narrow.png"), "--viewport 80x400");
    ASSERT_EQ(narrow.exitCode, 0) << QJsonDocument(narrow.json).toJson().toStdString();
    EXPECT_EQ(narrow.json["box"].toObject()["width"].toDouble(), kW / 2);
    EXPECT_EQ(narrow.json["box"].toObject()["height"].toDouble(), kH / 2);
}

// A recording wider than 800 pixels gets 10 units per pixel, so the movie's header declares a
// stage half its size; the page still shows one recorded pixel per CSS pixel.
TEST_F(PackageBrowserTest, AWideRecordingShowsAtItsRecordedSize) {
    constexpr int kWide = 840;
    constexpr int kLow = 40;
    CMemoryRecording wide(m_dir.Path().string(), kWide, kLow);
    wide.Paint(0, 0, kWide - 1, kLow - 1,
               [](int x, int y) { return (x / 20 + y / 10) % 2 == 0 ? 0x8020C0 : 0xF0F0F0; });
    wide.Capture(0, 0, kWide - 1, kLow - 1, 300);
    ASSERT_TRUE(wide.Finish());
    const SPublished pub = Publish(wide, m_prompter, Out("wide").string(),
                                   [](CPublishSettings& s) { s.m_bCreateWebPage = true; });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    ASSERT_EQ(pub.results.geometry.nTwips, 10);
    CLocalHttpServer server;
    std::string why;
    ASSERT_TRUE(server.Start(m_dir.Path(), why)) << why;

    const SPageRun run =
        CheckPage(server.Address("wide.htm"), Out("wide.png"), "--viewport 900x200");
    ASSERT_EQ(run.exitCode, 0) << QJsonDocument(run.json).toJson().toStdString();
    EXPECT_EQ(run.json["box"].toObject()["width"].toDouble(), kWide);
    EXPECT_EQ(run.json["box"].toObject()["height"].toDouble(), kLow);
    Keep(Out("wide.png"));
    const QImage image(QString::fromStdString(Out("wide.png").string()));
    ASSERT_EQ(image.width(), kWide);
    const SPictureDiff diff = Compare(image, wide.Picture(0), kWide, kLow);
    EXPECT_EQ(diff.nDiffering, 0) << "max channel difference " << diff.nMaxChannel;
}

TEST_F(PackageBrowserTest, TheScormPackagePlaysInsideALearningSystemsFrame) {
    if (const std::string missing = CScormJudge::Missing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const SPublished pub =
        Publish(*m_rec, m_prompter, Out(kBase).string(), [](CPublishSettings& s) {
            s.m_bCreateWebPage = false;  // the package has its page all the same
            s.m_bScorm = true;
            s.m_bScormZip = true;
        });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;

    // The learning system's side: the package unpacked from its ZIP, a page that offers the
    // SCORM 1.2 API and launches the package's page in a frame.
    const fs::path host = Out("lms");
    ASSERT_TRUE(Unzip(Out(std::string(kBase) + "_SCORM/" + kBase + ".zip"), host / "course"));
    fs::copy_file(CScormJudge::RuntimeScript(), host / "scorm12.js");
    std::ofstream(host / "index.html")
        << "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
           "<script src=\"scorm12.js\"></script>"
           "<script>window.API = new Scorm12API({});</script></head><body>"
           "<iframe src=\"course/"
        << UrlEscape(std::string(kBase) + ".htm")
        << "\" width=\"400\" height=\"300\"></iframe></body></html>";
    CLocalHttpServer server;
    std::string why;
    ASSERT_TRUE(server.Start(host, why)) << why;

    const SPageRun run = CheckPage(server.Address("index.html"), Out("lms.png"), "--frame");
    ASSERT_EQ(run.exitCode, 0) << QJsonDocument(run.json).toJson().toStdString();
    EXPECT_EQ(run.json["api"].toString(), "function");
    ExpectFirstFrame(Out("lms.png"));
}

}  // namespace
