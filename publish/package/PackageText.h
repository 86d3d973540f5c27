// Escaping of names where the side files of a publish put them, and the cleaning of the SCORM
// resource identifier. Texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

// For HTML text and attribute values: & < > " and ' become character references.
std::string HtmlEscape(std::string_view text);
// For XML text and attribute values: & < > " and ' become character references.
std::string XmlEscape(std::string_view text);
// One relative address from a file name: every byte outside the unreserved characters and "/"
// is percent-encoded (so a space, "#", "?" and "%" cannot end or change the address).
std::string UrlEscape(std::string_view name);
// A string for a JavaScript literal between double quotes, safe inside a <script> element.
std::string ScriptStringEscape(std::string_view text);

// The resource identifier as a package manifest may hold it: each code point in 0x00-0x2C,
// 0x2F, 0x3A-0x40, 0x5B-0x5E, 0x60, 0x7B-0xBF, 0xD7, 0xF7 or above 0xFF becomes one "_", as does
// each byte that is not valid UTF-8; a name that would not start with a letter or "_" gets a
// leading "_".
std::string CleanResourceIdentifier(std::string_view identifier);

// "%s_Quillo_v7.53" with the project's base name, cleaned.
std::string DefaultResourceIdentifier(std::string_view baseName);
