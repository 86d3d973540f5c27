#include "publish/package/PackageText.h"

#include <cstdint>
#include <cstdio>

#include "platform/TextCodec.h"

namespace {

// The code point at `i` and its length in bytes; 0 bytes for an invalid sequence.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view s, size_t i) {
    const auto b0 = uint8_t(s[i]);
    if (b0 < 0x80) {
        return {b0, 1};
    }
    size_t len = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, c = b0 & 0x1F, least = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, c = b0 & 0x0F, least = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, c = b0 & 0x07, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (i + len > s.size()) {
        return {0, 0};
    }
    for (size_t k = 1; k < len; ++k) {
        const auto b = uint8_t(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return {0, 0};
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return {0, 0};
    }
    return {c, len};
}

bool Replaced(char32_t c) {
    return c <= 0x2C || c == 0x2F || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x5E) ||
           c == 0x60 || (c >= 0x7B && c <= 0xBF) || c == 0xD7 || c == 0xF7 || c > 0xFF;
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    return MarkupEscaped(text);
}

std::string XmlEscape(std::string_view text) {
    return MarkupEscaped(text);
}

std::string UrlEscape(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : name) {
        const auto c = uint8_t(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string ScriptStringEscape(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto c = uint8_t(ch);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string CleanResourceIdentifier(std::string_view identifier) {
    std::string out;
    for (size_t i = 0; i < identifier.size();) {
        const auto [c, len] = DecodeUtf8(identifier, i);
        if (len == 0 || Replaced(c)) {
            out += '_';
            i += len == 0 ? 1 : len;
        } else {
            AppendUtf8(out, c);
            i += len;
        }
    }
    // An identifier is an XML name: it cannot start with a digit, "-" or ".".
    if (out.empty() || out[0] == '-' || out[0] == '.' || (out[0] >= '0' && out[0] <= '9')) {
        out.insert(out.begin(), '_');
    }
    return out;
}

std::string DefaultResourceIdentifier(std::string_view baseName) {
    char version[32];
    std::snprintf(version, sizeof version, "_Quillo_v%d.%2.2d", 7, 53);
    return CleanResourceIdentifier(std::string(baseName) + version);
}
