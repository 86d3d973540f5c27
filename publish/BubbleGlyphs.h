// The embedded font of talk-bubble text: the outlines and advances of the characters the text
// uses, taken from the same font files and metrics the bubble layout measured with, so that the
// player draws every line at the width the layout gave it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "swf/SwfFontGlyphs.h"

class CBubbleFont;
class CSwfFont;

// The glyphs of the distinct characters of `text`, by code, in font units: each one's outline
// and advance as the bubble font draws and measures it.
std::vector<SSwfGlyph> GlyphsOf(const CBubbleFont& font, std::u16string_view text);

// A font named `name` and a tag of its glyphs, with the glyphs of every character of `text` (characters outside the
// 16-bit range are left out: the font's code table cannot hold them). Without a usable bubble
// font the result is a device font of that name.
std::unique_ptr<CSwfFont> MakeEmbeddedFont(const CBubbleFont& font, const std::string& name,
                                           bool italic, bool bold, std::u16string_view text);
