// How tall the player control bar is and how large its buttons and symbols are, from the movie's
// width and the bar's look; and the time display's first text and width from the movie's length.
#pragma once

#include <cstdint>
#include <string>

// "Classic" (0), "Glasso Square" (1), "Glasso Round" (2), "Vista Square" (3), "Vista Round" (4),
// "Vista Bordered" (5), "Vista Plain" (6), "Vista Glass" (7).
enum EBarStyle : int32_t {
    kBarClassic = 0,
    kBarGlassoSquare,
    kBarGlassoRound,
    kBarVistaSquare,
    kBarVistaRound,
    kBarVistaBordered,
    kBarVistaPlain,
    kBarVistaGlass,
    kBarStyleCount
};

inline constexpr EBarStyle kDefaultBarStyle = kBarVistaGlass;

const char* BarStyleName(int32_t style);
// A stored style out of range is read as the default look.
EBarStyle BarStyleOf(int32_t stored);

struct SBarSize {
    int32_t nHeight = 0;            // h: one row of the bar, pixels; 0 without a bar
    int32_t nExtraRow = 0;          // E: a second row when a styled bar does not fit in one
    int32_t nButton = 0;            // g: button width
    int32_t nSymbol = 0;            // u: symbol size
    int32_t nBevel = 0;             // button bevel width
    EBarStyle style = kBarClassic;  // the look actually drawn (a styled bar may fall back)

    int32_t Total() const { return nHeight + nExtraRow; }
};

// `width` is the movie picture's width W. Without a bar every size is 0.
SBarSize SizeBar(int32_t width, EBarStyle style, bool bar);

struct STimeDisplay {
    std::string strText;  // "0:00", "00:00" or "0:00:00"
    int32_t nWidth = 0;   // pixels
    bool bHours = false;
    bool bTwoDigitMinutes = false;
};

// `seconds` is the movie's length L / rate.
STimeDisplay TimeDisplayFor(double seconds);
