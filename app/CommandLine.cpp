#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool EndsWithLumo(std::string_view name) {
    return name.size() >= 5 && StartsWithNoCase(name.substr(name.size() - 5), ".lumo");
}

std::string InFolder(const std::string& name, const std::string& folder) {
    const std::filesystem::path path(name);
    if (path.is_absolute() || folder.empty()) {
        return name;
    }
    return (std::filesystem::path(folder) / path).lexically_normal().string();
}

// Four integers "%d,%d,%d,%d".
bool ParseFour(std::string_view text, int (&v)[4]) {
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) {
            return false;
        }
        std::string_view part = text.substr(0, comma);
        while (!part.empty() && part.front() == ' ') {
            part.remove_prefix(1);
        }
        auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), v[i]);
        if (ec != std::errc() || ptr != part.data() + part.size()) {
            return false;
        }
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    return true;
}

}  // namespace

SCommandLine ParseCommandLine(std::span<const std::string> args, const std::string& currentFolder) {
    SCommandLine line;
    if (!args.empty() && StartsWithNoCase(args[0], "-recover") && args[0].size() == 8) {
        line.bRecoverMode = true;
        return line;
    }
    for (const std::string& arg : args) {
        if (StartsWithNoCase(arg, "/r:")) {
            std::string name = arg.substr(3);
            if (name.empty()) {
                line.errors.push_back("The switch /r: needs a file name.");
                continue;
            }
            if (!EndsWithLumo(name)) {
                name += ".lumo";
            }
            line.recordFile = InFolder(name, currentFolder);
        } else if (StartsWithNoCase(arg, "/s:")) {
            int v[4] = {};
            if (!ParseFour(std::string_view(arg).substr(3), v)) {
                line.errors.push_back("The switch /s: needs four numbers: top,left,bottom,right.");
                continue;
            }
            const SCaptureRect rect{v[1], v[0], v[3] - v[1], v[2] - v[0]};
            if (rect.width <= 0 || rect.height <= 0) {
                line.errors.push_back("The capture rectangle " + arg.substr(3) +
                                      " is empty: bottom and right must lie below and right of "
                                      "top and left.");
                continue;
            }
            line.captureRect = rect;
        } else if (StartsWithNoCase(arg, "/p")) {
            line.bPan = true;
        } else if (StartsWithNoCase(arg, "/h")) {
            line.bHidden = true;
        } else if (StartsWithNoCase(arg, "/c")) {
            line.bChangeEnd = true;
        } else {
            if (EndsWithLumo(arg)) {
                line.projectFile = InFolder(arg, currentFolder);
            }
            break;
        }
    }
    return line;
}

std::optional<SCaptureRect> ClipToScreen(const SCaptureRect& rect, int nScreenWidth,
                                         int nScreenHeight) {
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t right = std::min<int64_t>(int64_t{rect.x} + rect.width, nScreenWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{rect.y} + rect.height, nScreenHeight);
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }
    return SCaptureRect{static_cast<int>(left), static_cast<int>(top),
                        static_cast<int>(right - left), static_cast<int>(bottom - top)};
}
