// The executable's payload: records framed by their lengths after the launcher program, read
// back whole whatever bytes the files hold, and damage found rather than followed.
#include "publish/package/ExecutablePackage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "publish/package/ExecutablePayload.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ExecutablePackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stub = m_dir.Path() / "stub";
        WriteAll(m_stub,
                 "\x7f"
                 "ELF launcher code");
        // A movie holding the bytes a marker search would stop at, and the trailer's tag.
        m_movieBytes = std::string("CWS\x06") + "PLUMEX" + "VERDAXSWFFILE" + "QLPAYLD" +
                       std::string(1, '\0') + std::string(5000, '\xAB');
        m_movie = m_dir.Path() / "My demo #1.swf";
        WriteAll(m_movie, m_movieBytes);
    }

    std::vector<SPayloadRecord> Records(const fs::path& file) {
        std::vector<SPayloadRecord> records;
        std::string why;
        EXPECT_TRUE(ReadPayload(file, records, why)) << why;
        return records;
    }

    CTempDir m_dir;
    fs::path m_stub;
    fs::path m_movie;
    std::string m_movieBytes;
};

TEST_F(ExecutablePackageTest, BrowserLauncherCarriesThePageFolderWhole) {
    const fs::path exe = m_dir.Path() / "My demo #1";
    const std::vector<SPackagedFile> files = {
        {"My demo #1.htm", {}, std::string("<html>page</html>")},
        {"My demo #1.swf", m_movie, {}},
        {"ruffle/ruffle.js", m_stub, {}},
    };
    std::string why;
    ASSERT_TRUE(WriteBrowserExecutable(m_stub, exe, "My demo #1", files, why)) << why;
    EXPECT_EQ(fs::status(exe).permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_FALSE(fs::exists(exe.string() + ".part"));
    EXPECT_TRUE(ReadAll(exe).starts_with(ReadAll(m_stub)));

    const std::vector<SPayloadRecord> records = Records(exe);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].kind, EPayloadKind::Name);
    EXPECT_EQ(records[0].name, "My demo #1");
    EXPECT_EQ(records[1].name, "My demo #1.htm");
    EXPECT_EQ(PayloadRecordData(exe, records[1]), "<html>page</html>");
    EXPECT_EQ(records[2].name, "My demo #1.swf");
    EXPECT_EQ(PayloadRecordData(exe, records[2]), m_movieBytes);
    const fs::path out = m_dir.Path() / "extracted.swf";
    ASSERT_TRUE(ExtractPayloadRecord(exe, records[2], out, why)) << why;
    EXPECT_EQ(ReadAll(out), m_movieBytes);
    EXPECT_EQ(records[3].name, "ruffle/ruffle.js");
    EXPECT_EQ(records[1].offset, ReadAll(m_stub).size() + 8 + 10 + 8 + 8 + 14 + 8);
}

TEST_F(ExecutablePackageTest, OwnPlayerCarriesSettingsMovieAndSupportFiles) {
    const fs::path hotspot = m_dir.Path() / "hotspot.swf";
    WriteAll(hotspot, "FWS\x06hotspot");
    SPlayerSettings settings;
    settings.nWidth = 640;
    settings.nHeight = 505;
    settings.nScaleDivisor = 2;
    settings.bFullScreen = true;
    settings.strAboutText = "About us";
    const std::vector<std::string> support = {hotspot.string(), "/nonexistent/gone.swf"};
    EXPECT_EQ(
        PlayerSettingsText(settings, support),
        "640\n505\n2\n1\n0\n2\nAbout us\n\n" + hotspot.string() + "\n/nonexistent/gone.swf\n");

    const fs::path exe = m_dir.Path() / "player";
    std::string why;
    ASSERT_TRUE(WritePlayerExecutable(m_stub, exe, settings, m_movie, support, why)) << why;
    std::vector<SPayloadRecord> records = Records(exe);
    ASSERT_EQ(records.size(), 3u);  // the support file that cannot be opened is left out
    EXPECT_EQ(records[0].kind, EPayloadKind::Settings);
    EXPECT_EQ(records[1].kind, EPayloadKind::Movie);
    EXPECT_EQ(PayloadRecordData(exe, records[1]), m_movieBytes);
    EXPECT_EQ(records[2].kind, EPayloadKind::SupportFile);
    EXPECT_EQ(records[2].name, "supportfile0");

    // Played from an address, the movie stays out.
    settings.strPlayUrl = "http://example.org/demo.swf";
    ASSERT_TRUE(WritePlayerExecutable(m_stub, exe, settings, m_movie, {}, why)) << why;
    records = Records(exe);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(PayloadRecordData(exe, records[0]).find("\nhttp://example.org/demo.swf\n"),
              std::string::npos);
}

TEST_F(ExecutablePackageTest, FailuresLeaveNothingBehind) {
    const fs::path exe = m_dir.Path() / "demo";
    std::string why;
    EXPECT_FALSE(WriteBrowserExecutable(m_dir.Path() / "no-launcher", exe, "demo",
                                        {{"demo.htm", {}, std::string("x")}}, why));
    EXPECT_NE(why.find("launcher"), std::string::npos);
    EXPECT_FALSE(WriteBrowserExecutable(m_stub, exe, "demo",
                                        {{"demo.swf", m_dir.Path() / "gone", {}}}, why));
    EXPECT_FALSE(
        WriteBrowserExecutable(m_stub, exe, "demo", {{"../up.htm", {}, std::string()}}, why));
    EXPECT_FALSE(fs::exists(exe));
    EXPECT_FALSE(fs::exists(exe.string() + ".part"));

    // An older executable of the same name is replaced.
    WriteAll(exe, "old");
    ASSERT_TRUE(
        WriteBrowserExecutable(m_stub, exe, "demo", {{"demo.htm", {}, std::string("new")}}, why));
    EXPECT_TRUE(ReadAll(exe).starts_with(ReadAll(m_stub)));
}

TEST_F(ExecutablePackageTest, DamagedPayloadsAreRefused) {
    const fs::path exe = m_dir.Path() / "demo";
    std::string why;
    ASSERT_TRUE(WriteBrowserExecutable(m_stub, exe, "demo", {{"demo.swf", m_movie, {}}}, why));
    const std::string good = ReadAll(exe);
    const size_t stub = ReadAll(m_stub).size();
    struct SCase {
        const char* what;
        std::string bytes;
    };
    auto patched = [&](size_t at, const std::string& with) {
        std::string bytes = good;
        bytes.replace(at, with.size(), with);
        return bytes;
    };
    const size_t trailer = good.size() - kPayloadTrailerSize;
    const SCase cases[] = {
        {"launcher only", ReadAll(m_stub)},
        {"cut short", good.substr(0, good.size() - 1)},
        {"movie cut", good.substr(0, trailer - 100) + good.substr(trailer)},
        {"start past the end", patched(trailer, std::string("\xff\xff\xff\x7f", 4))},
        {"one record more", patched(trailer + 8, std::string("\x03", 1))},
        {"huge record", patched(stub + 8 + 4 + 8 + 8 + 8, std::string(8, '\xff'))},
        {"huge name", patched(stub + 4, std::string("\xff\xff\xff\x0f", 4))},
        {"unknown format", patched(trailer + 12, std::string("\x09", 1))},
    };
    for (const SCase& c : cases) {
        const fs::path damaged = m_dir.Path() / "damaged";
        WriteAll(damaged, c.bytes);
        std::vector<SPayloadRecord> records;
        why.clear();
        EXPECT_FALSE(ReadPayload(damaged, records, why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
}

TEST(ExecutablePayload, RecordNamesStayInsideTheFolder) {
    for (const char* good : {"demo.htm", "ruffle/core.wasm", "My demo #1.swf", "a/b/c"}) {
        EXPECT_TRUE(IsSafeRelativeName(good)) << good;
    }
    for (const char* bad : {"", "/etc/passwd", "../x", "a/../../x", "a//b", "./a", "a/", "a\\b"}) {
        EXPECT_FALSE(IsSafeRelativeName(bad)) << bad;
    }
    EXPECT_FALSE(IsSafeRelativeName(std::string("a\0b", 3)));
}

}  // namespace
