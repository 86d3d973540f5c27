#include "publish/package/PublishedPage.h"

#include "publish/package/ScormPackage.h"

std::optional<SPublishedPage> FindPublishedPage(std::string outBase) {
    namespace fs = std::filesystem;
    for (const char* ext : {".htm", ".swf"}) {
        if (outBase.size() > 4 && outBase.ends_with(ext)) {
            outBase.resize(outBase.size() - 4);
        }
    }
    const fs::path base(outBase);
    const std::string page = base.filename().string() + ".htm";
    const fs::path folder = base.parent_path().empty() ? fs::path(".") : base.parent_path();
    std::error_code ec;
    for (const fs::path& candidate : {folder, ScormFolder(folder, base.filename().string())}) {
        if (fs::is_regular_file(candidate / page, ec)) {
            return SPublishedPage{candidate, page};
        }
    }
    return std::nullopt;
}
