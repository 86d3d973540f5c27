#include "publish/package/ScormPackage.h"

#include <zip.h>

#include <cstdio>

#include "publish/package/PackageText.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kManifestName = "imsmanifest.xml";
// Between the attributes of the manifest's root element.
constexpr const char* kAttributeGap = " \t\t\t\t\t\t   ";

std::string Href(const std::string& name) {
    return XmlEscape(UrlEscape(name));
}

}  // namespace

std::string ScormManifestText(const SScormManifest& m) {
    const std::string id = XmlEscape(m.strIdentifier);
    const std::string title = XmlEscape(m.strTitle);
    char comment[96];
    std::snprintf(comment, sizeof comment,
                  "<!--This is an Quillo v%d.%2.2d SCORM 1.2 Content Package document-->\r\n", 7,
                  53);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out += comment;
    out += "<!--Created at: " + m.strCreatedAt + " -->\r\n";
    out += "<manifest";
    const std::string attributes[] = {
        "xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\"",
        "xmlns:imsmd=\"http://www.imsglobal.org/xsd/imsmd_rootv1p2p1\"",
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"",
        "xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_rootv1p2\"",
        "identifier=\"" + id + "\"",
        "xsi:schemaLocation=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2 "
        "imscp_rootv1p1p2.xsd http://www.imsglobal.org/xsd/imsmd_rootv1p2p1 "
        "imsmd_rootv1p2p1.xsd http://www.adlnet.org/xsd/adlcp_rootv1p2 adlcp_rootv1p2.xsd\"",
        "version=\"" + XmlEscape(m.strVersion) + "\"",
    };
    for (size_t i = 0; i < std::size(attributes); ++i) {
        out += i == 0 ? " " : kAttributeGap;
        out += attributes[i];
    }
    out += ">\r\n";
    out += "  <metadata>\r\n";
    out += "    <schema>ADL SCORM</schema>\r\n";
    out += "    <schemaversion>1.2</schemaversion>\r\n";
    out += "  </metadata>\r\n";
    // One organization with one item that launches the resource: without it a learning system
    // has nothing to start.
    out += "  <organizations default=\"" + id + "_ORG\">\r\n";
    out += "    <organization identifier=\"" + id + "_ORG\">\r\n";
    out += "      <title>" + title + "</title>\r\n";
    out += "      <item identifier=\"" + id + "_ITEM\" identifierref=\"" + id + "_RES\">\r\n";
    out += "        <title>" + title + "</title>\r\n";
    out += "      </item>\r\n";
    out += "    </organization>\r\n";
    out += "  </organizations>\r\n";
    out += "  <resources>\r\n";
    out += "    <resource identifier=\"" + id +
           "_RES\" type=\"webcontent\" adlcp:scormtype=\"asset\" href=\"" + Href(m.strLaunch) +
           "\">\r\n";
    for (const std::string& file : m.files) {
        out += "      <file href=\"" + Href(file) + "\" />\r\n";
    }
    out += "    </resource>\r\n";
    out += "  </resources>\r\n";
    out += "</manifest>\r\n";
    return out;
}

fs::path ScormFolder(const fs::path& outputFolder, const std::string& baseName) {
    return outputFolder / (baseName + "_SCORM");
}

bool WriteScormZip(const fs::path& folder, const std::vector<std::string>& files,
                   const fs::path& zipPath, std::string& why) {
    int error = 0;
    zip_t* zip = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (zip == nullptr) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        why = "cannot create " + zipPath.string() + ": " + zip_error_strerror(&e);
        zip_error_fini(&e);
        return false;
    }
    std::vector<std::string> entries = {kManifestName};
    entries.insert(entries.end(), files.begin(), files.end());
    for (const std::string& name : entries) {
        const fs::path source = folder / name;
        std::error_code ec;
        if (!fs::is_regular_file(source, ec)) {
            why = "cannot add " + name + " to " + zipPath.string() + ": no such file";
            zip_discard(zip);
            return false;
        }
        zip_source_t* src = zip_source_file(zip, source.c_str(), 0, -1);
        const zip_int64_t index =
            src == nullptr
                ? -1
                : zip_file_add(zip, name.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            if (src != nullptr) {
                zip_source_free(src);
            }
            why = "cannot add " + name + " to " + zipPath.string() + ": " + zip_strerror(zip);
            zip_discard(zip);
            return false;
        }
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    if (zip_close(zip) != 0) {
        why = "cannot write " + zipPath.string() + ": " + zip_strerror(zip);
        zip_discard(zip);
        return false;
    }
    return true;
}
