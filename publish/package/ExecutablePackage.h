// The published executable "<base>" (mode 0755): a launcher program built with Quillo followed
// by the payload it plays. The browser launcher's payload is the page's folder (page, movie, web
// player, hotspot movies); the own player's is its settings, the movie and the hotspot movies.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// One file of the browser launcher's folder: its relative name and either its bytes or the file
// that holds them.
struct SPackagedFile {
    std::string strName;
    std::filesystem::path source;
    std::optional<std::string> data;
};

struct SPlayerSettings {
    int32_t nWidth = 0;   // the display width plus the chapter panel
    int32_t nHeight = 0;  // the display height plus the control bar
    int32_t nScaleDivisor = 1;
    bool bFullScreen = false;          // "Full screen presentation"
    bool bRightClickHotspots = false;  // "Allow right mouse click on hotspots"
    std::string strAboutText;          // "About menu text:"
    std::string strPlayUrl;            // "Play from URL:", empty when the movie is carried
};

// The launchers beside the program: "quillo-browser-launcher" and "quillo-player".
inline constexpr const char* kBrowserLauncherName = "quillo-browser-launcher";
inline constexpr const char* kOwnPlayerName = "quillo-player";

// The own player's settings: eight lines (width, height, scale divisor, full screen, right
// click, number of support files, about text, play-from address) and each support file's path,
// every line ending in a line feed.
std::string PlayerSettingsText(const SPlayerSettings& settings,
                               const std::vector<std::string>& supportFiles);

// Each writes the launcher and its payload under a temporary name beside `target`, then replaces
// `target` with it. On failure nothing is left behind and `why` says what went wrong.
bool WriteBrowserExecutable(const std::filesystem::path& launcher,
                            const std::filesystem::path& target, const std::string& baseName,
                            const std::vector<SPackagedFile>& files, std::string& why);
bool WritePlayerExecutable(const std::filesystem::path& player, const std::filesystem::path& target,
                           const SPlayerSettings& settings, const std::filesystem::path& movie,
                           const std::vector<std::string>& supportFiles, std::string& why);
