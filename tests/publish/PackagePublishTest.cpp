// A publish with every side file switched on, checked from the files it leaves: the report, the
// page and the web player beside it, the executable and the SCORM package.
#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <iterator>

#include "publish/package/ExecutablePayload.h"
#include "tests/publish/PublishFixture.h"
#include "tests/publish/ScormJudge.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kBase = "My demo #1";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> ZipNames(const fs::path& path) {
    std::vector<std::string> names;
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (zip == nullptr) {
        return names;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        names.emplace_back(zip_get_name(zip, zip_uint64_t(i), 0));
    }
    zip_close(zip);
    return names;
}

class PackagePublishTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_rec = std::make_unique<CMemoryRecording>(m_dir.Path().string(), 64, 48);
        m_rec->Fill(0, 0, 63, 47, 0x2060A0);
        m_rec->Capture(0, 0, 63, 47, 50);
        m_rec->Fill(10, 10, 30, 30, 0xE0E020);
        CFrameInfo& bubble = m_rec->Capture(10, 10, 30, 30, 50);
        bubble.m_pText = u"Click the yellow square";
        bubble.m_pFormat = bubble.m_pText;
        ASSERT_TRUE(m_rec->Finish());
    }

    SPublished PublishAll(const std::function<void(CPublishSettings&)>& more = {}) {
        return Publish(*m_rec, m_prompter, (m_dir.Path() / kBase).string(),
                       [&](CPublishSettings& s) {
                           s.m_bCreateWebPage = true;
                           s.m_bCreateExe = true;
                           s.m_bScorm = true;
                           s.m_bScormZip = true;
                           if (more) {
                               more(s);
                           }
                       });
    }

    fs::path Out(const std::string& name) const { return m_dir.Path() / name; }

    CTempDir m_dir;
    CScriptedPrompter m_prompter;
    std::unique_ptr<CMemoryRecording> m_rec;
};

TEST_F(PackagePublishTest, EverySideFileFromOnePublish) {
    const SPublished pub = PublishAll();
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    EXPECT_TRUE(m_prompter.Messages().empty());

    const std::string report = ReadAll(Out(std::string(kBase) + ".txt"));
    EXPECT_TRUE(report.starts_with(Out(std::string(kBase) + ".swf").string() +
                                   "\r\nBuild 1 successfully completed\r\n"));
    EXPECT_TRUE(
        report.ends_with("\r\nAnnotated text transcript:\r\n\r\nClick the yellow square\r\n"));

    // The package took the page and the movie; the report still names where it was built.
    const fs::path scorm = Out(std::string(kBase) + "_SCORM");
    EXPECT_FALSE(fs::exists(Out(std::string(kBase) + ".swf")));
    EXPECT_FALSE(fs::exists(Out(std::string(kBase) + ".htm")));
    const std::string movie = ReadAll(scorm / (std::string(kBase) + ".swf"));
    const std::string page = ReadAll(scorm / (std::string(kBase) + ".htm"));
    ASSERT_TRUE(movie.starts_with("CWS"));
    EXPECT_NE(page.find("url: \"My%20demo%20%231.swf?build=1\""), std::string::npos);
    EXPECT_NE(page.find("<title>My demo #1</title>"), std::string::npos);
    EXPECT_TRUE(fs::exists(scorm / "ruffle" / "ruffle.js"));

    const std::string manifest = ReadAll(scorm / "imsmanifest.xml");
    EXPECT_NE(manifest.find("identifier=\"My_demo__1_Quillo_v7.53\""), std::string::npos);
    std::vector<std::string> listed;
    for (size_t at = manifest.find("<file href=\""); at != std::string::npos;
         at = manifest.find("<file href=\"", at + 1)) {
        const size_t start = at + 12;
        listed.push_back(manifest.substr(start, manifest.find('"', start) - start));
    }
    ASSERT_GE(listed.size(), 4u);
    EXPECT_EQ(listed[0], "My%20demo%20%231.htm");
    EXPECT_EQ(listed[1], "My%20demo%20%231.swf");
    EXPECT_EQ(listed[2].rfind("ruffle/", 0), 0u);

    const std::vector<std::string> zipped = ZipNames(scorm / (std::string(kBase) + ".zip"));
    ASSERT_EQ(zipped.size(), listed.size() + 1);
    EXPECT_EQ(zipped[0], "imsmanifest.xml");
    EXPECT_EQ(zipped[1], "My demo #1.htm");
    for (const std::string& name : zipped) {
        EXPECT_TRUE(fs::is_regular_file(scorm / name)) << name;
    }
    if (CScormJudge::Missing().empty()) {
        std::string output;
        EXPECT_TRUE(CScormJudge::Validate(scorm / "imsmanifest.xml", output)) << output;
    }

    // The executable carries the same page and movie, and the whole web player.
    const fs::path exe = Out(kBase);
    EXPECT_EQ(fs::status(exe).permissions() & fs::perms::all, fs::perms(0755));
    std::vector<SPayloadRecord> records;
    std::string why;
    ASSERT_TRUE(ReadPayload(exe, records, why)) << why;
    ASSERT_EQ(records.size(), listed.size() + 1);
    EXPECT_EQ(records[0].name, kBase);
    EXPECT_EQ(PayloadRecordData(exe, records[1]), page);
    EXPECT_EQ(PayloadRecordData(exe, records[2]), movie);
    EXPECT_EQ(PayloadRecordData(exe, records[3]), ReadAll(scorm / records[3].name));
}

TEST_F(PackagePublishTest, PageAndWebPlayerBesideTheMovieWithoutAPackage) {
    const SPublished pub =
        Publish(*m_rec, m_prompter, Out("plain").string(), [](CPublishSettings& s) {
            s.m_bCreateWebPage = true;
            s.m_crWebPage = 0x0000FF;  // red, as Windows colour values hold it
            s.m_crBackground = 0xFF0000;
            s.m_nBorderWidth = 3;
        });
    ASSERT_TRUE(pub.results.strError.empty()) << pub.results.strError;
    const std::string page = ReadAll(Out("plain.htm"));
    for (const char* part :
         {"<!DOCTYPE html>", "<meta charset=\"utf-8\">", "<script src=\"ruffle/ruffle.js\">",
          "background: #FF0000;", "border: 3px solid #0000FF;", "width: min(64px,",
          "aspect-ratio: 64 / 48;", "url: \"plain.swf?build=1\"", "quality: \"best\"",
          "scale: \"noBorder\"", "salign: \"TL\"", "player.focus();"}) {
        EXPECT_NE(page.find(part), std::string::npos) << part;
    }
    EXPECT_TRUE(fs::exists(Out("ruffle/ruffle.js")));
    bool wasm = false;
    for (const auto& entry : fs::directory_iterator(Out("ruffle"))) {
        wasm = wasm || entry.path().extension() == ".wasm";
        EXPECT_NE(entry.path().extension(), ".map");
    }
    EXPECT_TRUE(wasm);
    EXPECT_FALSE(fs::exists(Out("plain")));
    EXPECT_FALSE(fs::exists(Out("plain_SCORM")));
}

TEST_F(PackagePublishTest, PackageFailuresAreReportedAndTheMovieStays) {
    // A file where the package's folder should go.
    std::ofstream(Out(std::string(kBase) + "_SCORM")) << "in the way";
    const SPublished pub = PublishAll([](CPublishSettings& s) {
        s.m_nPlayUsing = 1;  // the own player, whose program comes later
    });
    EXPECT_EQ(pub.results.strError, "Unable to create SCORM package directory    \n" +
                                        Out(std::string(kBase) + "_SCORM").string());
    EXPECT_TRUE(fs::exists(Out(std::string(kBase) + ".swf")));
    EXPECT_TRUE(fs::exists(Out(std::string(kBase) + ".htm")));
    ASSERT_EQ(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].caption, "Quillo Warning");
    EXPECT_TRUE(m_prompter.Messages()[0].text.starts_with("Unable to create My demo #1\n"));
    EXPECT_FALSE(fs::exists(Out(kBase)));
}

}  // namespace
