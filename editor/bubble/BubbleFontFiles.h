// Which installed font files a stored face name is drawn with. Stored faces name the fonts of the
// machine the project was made on; each is mapped to one of three metric-compatible families
// installed with the program, so that a bubble gives the same lines and sizes on every machine.
#pragma once

#include <cstdint>
#include <string>

enum class EFontKind : uint8_t { kSans, kSerif, kMono };

// The kind of a stored face: by its name when the name is known, else by the pitch-and-family
// byte of the stored font (roman faces are serif, modern or fixed-pitch faces are mono).
EFontKind FontKindOfFace(const std::string& face, uint8_t nPitchAndFamily);

// The family a kind is drawn with, and the family for characters that family lacks.
const char* PrimaryFamily(EFontKind kind);
const char* FallbackFamily(EFontKind kind);

// The file of an installed family in the wanted weight and slant, found through fontconfig
// among files of exactly that family and normal width; the closest weight and slant win, then the
// newest font version. Empty when the family is not installed.
std::string FontFileOf(const std::string& family, bool bBold, bool bItalic);
