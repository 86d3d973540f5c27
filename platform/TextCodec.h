// Conversions of the program's UTF-16 texts for places that need UTF-8 (movies, console output,
// text files).
#pragma once

#include <string>
#include <string_view>

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Surrogate pairs become 4-byte sequences; a lone surrogate becomes U+FFFD, so the result is
// always valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);
