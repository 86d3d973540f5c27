// The outside judges of a SCORM package that tests/publish/scorm/setup.sh installs: the SCORM 1.2
// schemas (checked with xmllint) and a SCORM 1.2 runtime API for the browser tests.
#pragma once

#include <filesystem>
#include <string>

class CScormJudge {
public:
    // $QUILLO_SCORM_HARNESS, else ${XDG_CACHE_HOME:-$HOME/.cache}/quillo-scorm-test.
    static std::filesystem::path Harness();
    // Empty when xmllint and the schemas are there; otherwise what is missing.
    static std::string Missing();
    // Runs `xmllint --schema` with the three SCORM 1.2 namespaces (and the xml one they import);
    // true when the manifest validates. `output` gets what xmllint said.
    static bool Validate(const std::filesystem::path& manifest, std::string& output);
    // The runtime API script that defines Scorm12API.
    static std::filesystem::path RuntimeScript();
};
