// Conversions between the program's UTF-16 texts and the UTF-8 of movies, console output, text
// files and file names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Surrogate pairs become 4-byte sequences; a lone surrogate becomes U+FFFD, so the result is
// always valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// Four-byte sequences become surrogate pairs. Text that is not UTF-8 (a stray or missing
// continuation byte, a surrogate or a value past U+10FFFF) gives nothing.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Escapes the characters that are special in XML and HTML text and attribute values
// (& < > " '), so one escaper serves pages, manifests and speech markup.
std::string MarkupEscaped(std::string_view text);
