// The desktop program's command line: recovery mode, a recording started at once with its
// output file, capture rectangle, pan, hidden and end-of-recording switches, and the project to
// open.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

// A capture rectangle in screen pixels.
struct SCaptureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const SCaptureRect&, const SCaptureRect&) = default;
};

struct SCommandLine {
    // "-recover": the open command recovers the chosen file; every other argument is ignored.
    bool bRecoverMode = false;
    // "/r:" - record at once and save there without asking (always ending in ".lumo").
    std::optional<std::string> recordFile;
    // "/s:top,left,bottom,right" - the selected capture area.
    std::optional<SCaptureRect> captureRect;
    bool bPan = false;        // "/p"
    bool bHidden = false;     // "/h"
    bool bChangeEnd = false;  // "/c"
    std::optional<std::string> projectFile;
    // Switches that were refused, as messages for the user.
    std::vector<std::string> errors;
};

// Reads the arguments after the program name. Names without a folder are taken from
// `currentFolder`.
SCommandLine ParseCommandLine(std::span<const std::string> args, const std::string& currentFolder);

// The part of a capture rectangle that lies on a screen of the given size; empty when none.
std::optional<SCaptureRect> ClipToScreen(const SCaptureRect& rect, int nScreenWidth,
                                         int nScreenHeight);
