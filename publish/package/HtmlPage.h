// The HTML page "<base>.htm" that plays the movie in today's browsers: an HTML5 page that loads
// the web player from the folder beside it, shows the movie at its published size (one movie
// pixel per CSS pixel), shrinks it to fit a smaller window without distortion and gives it the
// keyboard focus so that the control bar's keys work.
#pragma once

#include <cstdint>
#include <string>

struct SWebPage {
    std::string strBaseName;  // file name of the movie without ".swf"
    int32_t nBuildNumber = 0;
    int32_t nWidth = 0;                // the display width plus the chapter panel
    int32_t nHeight = 0;               // the display height plus the control bar
    uint32_t crPage = 0xFFFFFF;        // "Web Page Color", 0x00BBGGRR
    uint32_t crBackground = 0xFFFFFF;  // "Background / Border", 0x00BBGGRR
    int32_t nBorderWidth = 0;
    bool bKeepAspect = true;  // "Lock aspect ratio": no distortion, top-left aligned
};

// The folder beside the page that holds the web player.
inline constexpr const char* kWebPlayerFolder = "ruffle";

// "#RRGGBB" of a Windows colour value (red in the low byte).
std::string HtmlColour(uint32_t colour);

std::string HtmlPageText(const SWebPage& page);
