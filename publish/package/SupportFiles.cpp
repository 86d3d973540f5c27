#include "publish/package/SupportFiles.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ProgramData.h"
#include "project/model/DemoProject.h"
#include "publish/package/HtmlPage.h"

namespace fs = std::filesystem;

fs::path WebPlayerSource() {
    if (const char* dir = std::getenv("QUILLO_RUFFLE_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return FindProgramData(kWebPlayerFolder);
}

std::vector<fs::path> WebPlayerFiles(const fs::path& source) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
        const fs::path& p = entry.path();
        const std::string ext = p.extension().string();
        const std::string name = p.filename().string();
        if (entry.is_regular_file(ec) &&
            (ext == ".js" || ext == ".wasm" || name.rfind("LICENSE", 0) == 0)) {
            files.push_back(p);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool CopyWebPlayer(const fs::path& source, const fs::path& folder, std::string& why) {
    std::error_code ec;
    if (source.empty() || !fs::exists(source / "ruffle.js", ec)) {
        why = "the web player is missing" +
              (source.empty() ? std::string() : " from " + source.string());
        return false;
    }
    const fs::path target = folder / kWebPlayerFolder;
    fs::create_directories(target, ec);
    if (ec) {
        why = "cannot create " + target.string() + ": " + ec.message();
        return false;
    }
    for (const fs::path& file : WebPlayerFiles(source)) {
        fs::copy_file(file, target / file.filename(), fs::copy_options::overwrite_existing, ec);
        if (ec) {
            why = "cannot copy " + file.filename().string() + " to " + target.string() + ": " +
                  ec.message();
            return false;
        }
    }
    return true;
}

std::vector<std::string> HotspotMovieFiles(const CDemoProject& project) {
    std::vector<std::string> files;
    for (const CFrameInfo* frame = project.FirstFrame(); frame != nullptr; frame = frame->m_pNext) {
        if (frame->m_bDeleted != 0 || !frame->HasHotspot() ||
            frame->m_nHotspotStyle != kHotspotFlashMovie || !frame->m_pszHotspotImage ||
            frame->m_pszHotspotImage->empty()) {
            continue;
        }
        std::string file = *frame->m_pszHotspotImage;
        std::replace(file.begin(), file.end(), '\\', '/');
        if (std::find(files.begin(), files.end(), file) == files.end()) {
            files.push_back(std::move(file));
        }
    }
    return files;
}

bool CopySupportFiles(const std::vector<std::string>& files, const fs::path& folder,
                      std::string& why) {
    for (const std::string& file : files) {
        std::error_code ec;
        const fs::path target = folder / fs::path(file).filename();
        if (fs::exists(target, ec)) {
            continue;
        }
        fs::copy_file(file, target, ec);
        if (ec) {
            why = "cannot copy " + file + " to " + folder.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}
