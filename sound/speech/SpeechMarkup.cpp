#include "sound/speech/SpeechMarkup.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/TextCodec.h"

namespace {

constexpr int kMaxSilenceMs = 60000;

struct STag {
    std::string name;  // lower case
    bool bClosing = false;
    bool bEmpty = false;  // ends with "/>"
    std::vector<std::pair<std::string, std::string>> attributes;

    std::optional<int> Number(std::string_view key) const {
        for (const auto& [k, v] : attributes) {
            if (k == key) {
                int value = 0;
                const char* begin = v.data();
                if (!v.empty() && v[0] == '+') {
                    ++begin;
                }
                auto res = std::from_chars(begin, v.data() + v.size(), value);
                if (res.ec == std::errc() && res.ptr == v.data() + v.size()) {
                    return value;
                }
            }
        }
        return std::nullopt;
    }
};

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
    return !IsSpace(c) && c != '=' && c != '/' && c != '>' && c != '"' && c != '\'';
}

STag ParseTag(std::string_view body) {
    STag tag;
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < body.size() && IsSpace(body[pos])) {
            ++pos;
        }
    };
    skipSpace();
    if (pos < body.size() && body[pos] == '/') {
        tag.bClosing = true;
        ++pos;
    }
    std::size_t end = body.size();
    while (end > pos && IsSpace(body[end - 1])) {
        --end;
    }
    if (end > pos && body[end - 1] == '/') {
        tag.bEmpty = true;
        body = body.substr(0, end - 1);
    }
    skipSpace();
    const std::size_t nameStart = pos;
    while (pos < body.size() && IsNameChar(body[pos])) {
        ++pos;
    }
    tag.name = AsciiLower(body.substr(nameStart, pos - nameStart));
    while (pos < body.size()) {
        skipSpace();
        const std::size_t keyStart = pos;
        while (pos < body.size() && IsNameChar(body[pos])) {
            ++pos;
        }
        std::string key = AsciiLower(body.substr(keyStart, pos - keyStart));
        skipSpace();
        std::string value;
        if (pos < body.size() && body[pos] == '=') {
            ++pos;
            skipSpace();
            if (pos < body.size() && (body[pos] == '"' || body[pos] == '\'')) {
                const char quote = body[pos++];
                const std::size_t close = body.find(quote, pos);
                const std::size_t valueEnd = close == std::string_view::npos ? body.size() : close;
                value = std::string(body.substr(pos, valueEnd - pos));
                pos = close == std::string_view::npos ? body.size() : close + 1;
            } else {
                const std::size_t valueStart = pos;
                while (pos < body.size() && !IsSpace(body[pos])) {
                    ++pos;
                }
                value = std::string(body.substr(valueStart, pos - valueStart));
            }
        }
        if (key.empty()) {
            if (pos < body.size()) {
                ++pos;  // a stray character
            }
            continue;
        }
        tag.attributes.emplace_back(std::move(key), std::move(value));
    }
    return tag;
}

// A speed or pitch step of -10 to 10 as a percentage; each 10 steps triple or third the rate.
int RatePercent(int steps) {
    steps = std::clamp(steps, -10, 10);
    return static_cast<int>(std::lround(100.0 * std::pow(3.0, steps / 10.0)));
}

std::string Signed(int value) {
    return (value >= 0 ? "+" : "") + std::to_string(value);
}

// The SSML element a known tag opens (without the brackets) and how it ends; empty when the tag
// is not known or carries no usable value.
struct SElement {
    std::string open;
    std::string close;
};

std::optional<SElement> ElementFor(const STag& tag) {
    if (tag.name == "rate") {
        if (auto speed = tag.Number("absspeed")) {
            return SElement{"<prosody rate=\"" + std::to_string(RatePercent(*speed)) + "%\">",
                            "</prosody>"};
        }
        if (auto speed = tag.Number("speed")) {
            return SElement{"<prosody rate=\"" + std::to_string(RatePercent(*speed)) + "%\">",
                            "</prosody>"};
        }
    } else if (tag.name == "pitch") {
        std::optional<int> middle = tag.Number("absmiddle");
        if (!middle) {
            middle = tag.Number("middle");
        }
        if (middle) {
            return SElement{"<prosody pitch=\"" + Signed(std::clamp(*middle, -10, 10) * 5) + "%\">",
                            "</prosody>"};
        }
    } else if (tag.name == "volume") {
        if (auto level = tag.Number("level")) {
            return SElement{
                "<prosody volume=\"" + std::to_string(std::clamp(*level, 0, 100)) + "%\">",
                "</prosody>"};
        }
    } else if (tag.name == "emph") {
        return SElement{"<emphasis>", "</emphasis>"};
    } else if (tag.name == "spell") {
        return SElement{"<say-as interpret-as=\"characters\">", "</say-as>"};
    }
    return std::nullopt;
}

struct SOpen {
    std::string name;  // empty for a setting that lasts to the end of its enclosing element
    std::string close;
};

}  // namespace

std::string SpeechMarkupToSsml(std::u16string_view markup) {
    const std::string text = Utf16ToUtf8(markup);
    std::string out = "<speak>";
    std::vector<SOpen> open;
    auto closeFrom = [&](std::size_t index) {
        while (open.size() > index) {
            out += open.back().close;
            open.pop_back();
        }
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lt = text.find('<', pos);
        const std::size_t gt = lt == std::string::npos ? std::string::npos : text.find('>', lt);
        if (lt == std::string::npos || gt == std::string::npos) {
            out += MarkupEscaped(std::string_view(text).substr(pos));
            break;
        }
        out += MarkupEscaped(std::string_view(text).substr(pos, lt - pos));
        pos = gt + 1;
        const STag tag = ParseTag(std::string_view(text).substr(lt + 1, gt - lt - 1));
        if (tag.name.empty()) {
            continue;
        }
        if (tag.bClosing) {
            for (std::size_t i = open.size(); i-- > 0;) {
                if (open[i].name == tag.name) {
                    closeFrom(i);
                    break;
                }
            }
            continue;
        }
        if (tag.name == "silence") {
            if (auto ms = tag.Number("msec")) {
                out +=
                    "<break time=\"" + std::to_string(std::clamp(*ms, 0, kMaxSilenceMs)) + "ms\"/>";
            }
            continue;
        }
        const std::optional<SElement> element = ElementFor(tag);
        if (!element) {
            continue;
        }
        if (tag.bEmpty && (tag.name == "emph" || tag.name == "spell")) {
            continue;
        }
        out += element->open;
        // An empty rate, pitch or volume tag changes the voice for the rest of its element.
        open.push_back({tag.bEmpty ? std::string() : tag.name, element->close});
    }
    closeFrom(0);
    out += "</speak>";
    return out;
}
