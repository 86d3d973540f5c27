// The SCORM 1.2 package: a manifest the SCORM schemas accept, with one item that launches the
// page and every file listed, and a ZIP with the manifest at its root and those files inside.
#include "publish/package/ScormPackage.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <iterator>

#include "tests/publish/ScormJudge.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

SScormManifest Manifest() {
    SScormManifest m;
    m.strIdentifier = "My_demo__1_Quillo_v7.53";
    m.strVersion = "1.0";
    m.strCreatedAt = "Fri Dec 11 13:08:38 2026";
    m.strTitle = "My demo #1 & <more>";
    m.strLaunch = "My demo #1.htm";
    m.files = {"My demo #1.htm", "My demo #1.swf", "ruffle/ruffle.js", "100%.swf"};
    return m;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ScormPackage, ManifestLaunchesThePageAndListsEveryFile) {
    const std::string text = ScormManifestText(Manifest());
    EXPECT_TRUE(text.starts_with(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!--This is an Quillo v7.53 SCORM 1.2 Content Package document-->\r\n"
        "<!--Created at: Fri Dec 11 13:08:38 2026 -->\r\n"
        "<manifest xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\" \t\t\t\t\t\t   "
        "xmlns:imsmd="));
    for (const char* part : {
             "identifier=\"My_demo__1_Quillo_v7.53\" \t\t\t\t\t\t   xsi:schemaLocation=",
             "adlcp_rootv1p2.xsd\" \t\t\t\t\t\t   version=\"1.0\">\r\n",
             "  <organizations default=\"My_demo__1_Quillo_v7.53_ORG\">\r\n",
             "<item identifier=\"My_demo__1_Quillo_v7.53_ITEM\" "
             "identifierref=\"My_demo__1_Quillo_v7.53_RES\">",
             "<title>My demo #1 &amp; &lt;more&gt;</title>",
             "    <resource identifier=\"My_demo__1_Quillo_v7.53_RES\" type=\"webcontent\" "
             "adlcp:scormtype=\"asset\" href=\"My%20demo%20%231.htm\">\r\n",
             "      <file href=\"My%20demo%20%231.swf\" />\r\n",
             "      <file href=\"ruffle/ruffle.js\" />\r\n",
             "      <file href=\"100%25.swf\" />\r\n",
         }) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    EXPECT_TRUE(text.ends_with("  </resources>\r\n</manifest>\r\n"));
}

TEST(ScormPackage, TheSchemasAcceptTheManifest) {
    if (const std::string missing = CScormJudge::Missing(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    CTempDir dir;
    const fs::path manifest = dir.Path() / "imsmanifest.xml";
    std::ofstream(manifest, std::ios::binary) << ScormManifestText(Manifest());
    std::string output;
    EXPECT_TRUE(CScormJudge::Validate(manifest, output)) << output;

    // The judge does read the package namespace: a resource type it does not know is refused.
    std::string broken = ScormManifestText(Manifest());
    broken.replace(broken.find("scormtype=\"asset\""), 17, "scormtype=\"page\"");
    std::ofstream(manifest, std::ios::binary | std::ios::trunc) << broken;
    EXPECT_FALSE(CScormJudge::Validate(manifest, output));
}

TEST(ScormPackage, ZipHoldsTheManifestAtItsRootAndEveryListedFile) {
    CTempDir dir;
    const fs::path folder = dir.Path() / "My demo #1_SCORM";
    fs::create_directories(folder / "ruffle");
    const std::vector<std::string> files = {"My demo #1.htm", "ruffle/ruffle.js", "100%.swf"};
    std::ofstream(folder / "imsmanifest.xml") << "<manifest/>";
    std::ofstream(folder / files[0]) << "<html></html>";
    std::ofstream(folder / files[1]) << std::string(100000, 'r');
    std::ofstream(folder / files[2], std::ios::binary) << std::string("CWS\0\x01\x02", 6);
    const fs::path zipPath = folder / "My demo #1.zip";
    std::string why;
    ASSERT_TRUE(WriteScormZip(folder, files, zipPath, why)) << why;

    int error = 0;
    zip_t* zip = zip_open(zipPath.c_str(), ZIP_RDONLY, &error);
    ASSERT_NE(zip, nullptr);
    std::vector<std::string> expected = {"imsmanifest.xml"};
    expected.insert(expected.end(), files.begin(), files.end());
    ASSERT_EQ(zip_get_num_entries(zip, 0), zip_int64_t(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(zip_get_name(zip, i, 0), expected[i]);
        zip_stat_t st;
        ASSERT_EQ(zip_stat_index(zip, i, 0, &st), 0);
        EXPECT_EQ(st.comp_method, ZIP_CM_DEFLATE);
        std::string bytes(st.size, '\0');
        zip_file_t* file = zip_fopen_index(zip, i, 0);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(zip_fread(file, bytes.data(), bytes.size()), zip_int64_t(bytes.size()));
        zip_fclose(file);
        EXPECT_EQ(bytes, ReadAll(folder / expected[i])) << expected[i];
    }
    zip_close(zip);

    EXPECT_FALSE(WriteScormZip(folder, {"missing.swf"}, folder / "other.zip", why));
    EXPECT_NE(why.find("missing.swf"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "other.zip"));
}

}  // namespace
