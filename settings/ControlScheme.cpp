#include "settings/ControlScheme.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>

#include "platform/Prompter.h"
#include "platform/ReplacingFile.h"

namespace {

CControlScheme BuiltIn(const char* name, TControlColors colors) {
    return {name, colors, true};
}

// Tabs and line breaks would break the file's lines; they become spaces.
std::string CleanName(std::string_view name) {
    std::string clean(name);
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; },
        ' ');
    const size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

bool ParseColors(std::string_view text, TControlColors& colors) {
    for (int i = 0; i < kControlColorCount; ++i) {
        const size_t end = std::min(text.find(','), text.size());
        const std::string_view item = text.substr(0, end);
        uint32_t value = 0;
        const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), value, 16);
        if (ec != std::errc() || ptr != item.data() + item.size() || item.empty() ||
            value > 0xFFFFFF) {
            return false;
        }
        colors[size_t(i)] = value;
        const bool last = i == kControlColorCount - 1;
        if (last != (end == text.size())) {
            return false;
        }
        text.remove_prefix(last ? end : end + 1);
    }
    return true;
}

}  // namespace

const std::vector<CControlScheme>& BuiltInSchemes() {
    static const std::vector<CControlScheme> schemes = {
        BuiltIn("Quillo", {0x646464, 0x000000, 0xC2FFFF, 0xFF8080, 0xFF5A5A, 0xE1E1E1}),
        BuiltIn("Midnight", {0xFFFFFF, 0x000000, 0x000000, 0xFF8080, 0xFF5A5A, 0x000000}),
        BuiltIn("Snowstorm", {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFF8080, 0xFF5A5A, 0xFFFFFF}),
        BuiltIn("Windows gray", {0x646464, 0x000000, 0xC8D0D4, 0xE1E1E1, 0xC0C0C0, 0xC8D0D4}),
        BuiltIn("Neon blue", {0xE1E1E1, 0xE1E1E1, 0xC0C0C0, 0xDADADA, 0x808080, 0xFFCC9D}),
        BuiltIn("Green and gold", {0xFFFFFF, 0x008000, 0x00DD00, 0x00FF00, 0x00D200, 0x00DFDF}),
        BuiltIn("Hot pink", {0xFFFFFF, 0xFFFFFF, 0xD8AFAF, 0xE6CACA, 0xD8AFAF, 0xC080FF}),
        BuiltIn("Indigenous", {0x000000, 0x000000, 0x0000FF, 0x00FFFF, 0x00DDDD, 0x000000}),
        BuiltIn("Red white and blue", {0xFFFFFF, 0x808080, 0x0000FF, 0xFF5A5A, 0xFF0000, 0xFFFFFF}),
        BuiltIn("Corporate blue", {0xFFFFFF, 0x408080, 0xC08000, 0xFF0000, 0xC40000, 0xFF8080}),
        BuiltIn("Vista", {0xFFFFFF, 0x008080, 0xC08000, 0xFF0000, 0xD20000, 0x646464}),
        BuiltIn("Burnt orange", {0xFFFFFF, 0x008080, 0x4080FF, 0xC0C0C0, 0xD76B00, 0x000000}),
        BuiltIn("Mauve mood", {0x000000, 0x000000, 0xFF80FF, 0xFFA8FF, 0xFF62FF, 0x000000}),
        BuiltIn("Gold", {0x000000, 0x000000, 0x25CDC9, 0x00FFFF, 0x008080, 0x408080}),
        BuiltIn("Silver", {0xC0C0C0, 0xC0C0C0, 0x408080, 0xFF8000, 0xC08000, 0x808080}),
    };
    return schemes;
}

const CControlScheme& DefaultScheme() {
    return BuiltInSchemes()[1];
}

std::array<uint32_t, 16> SchemeCustomColors() {
    std::array<uint32_t, 16> colors{};
    colors.fill(0xFFFFFF);
    const uint32_t first[] = {0xC2FFFF, 0xFF8080, 0xFF5A5A, 0xE1E1E1, 0x646464};
    std::copy(std::begin(first), std::end(first), colors.begin());
    return colors;
}

CControlSchemeList::CControlSchemeList() : m_schemes(BuiltInSchemes()) {}

void CControlSchemeList::Load(const std::string& path) {
    m_schemes = BuiltInSchemes();
    m_nSkipped = 0;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const size_t tab = line.rfind('\t');
        CControlScheme scheme;
        scheme.m_strName =
            tab == std::string::npos ? std::string() : CleanName(line.substr(0, tab));
        if (scheme.m_strName.empty() || Find(scheme.m_strName) != nullptr ||
            !ParseColors(std::string_view(line).substr(tab + 1), scheme.m_cr)) {
            ++m_nSkipped;
            continue;
        }
        m_schemes.push_back(std::move(scheme));
    }
}

bool CControlSchemeList::Save(const std::string& path, std::string* error) const {
    CReplacingFile file;
    if (!file.Open(path)) {
        *error = file.Error();
        return false;
    }
    for (const CControlScheme& scheme : m_schemes) {
        if (scheme.m_bBuiltIn) {
            continue;
        }
        std::fprintf(file.File(), "%s\t", scheme.m_strName.c_str());
        for (int i = 0; i < kControlColorCount; ++i) {
            std::fprintf(file.File(), i == 0 ? "%06X" : ",%06X", scheme.m_cr[size_t(i)]);
        }
        std::fputc('\n', file.File());
    }
    if (!file.Commit()) {
        *error = file.Error();
        return false;
    }
    return true;
}

const CControlScheme* CControlSchemeList::Find(std::string_view name) const {
    for (const CControlScheme& scheme : m_schemes) {
        if (scheme.m_strName == name) {
            return &scheme;
        }
    }
    return nullptr;
}

bool CControlSchemeList::Add(IPrompter& prompter, std::string_view name,
                             const TControlColors& colors) {
    const std::string clean = CleanName(name);
    if (clean.empty()) {
        return false;
    }
    if (Find(clean) != nullptr) {
        prompter.Message(
            {"The color scheme " + clean + " already exists.    \nPlease use another name.",
             "Duplicate scheme name", EMsgIcon::Warning});
        return false;
    }
    CControlScheme scheme{clean, colors, false};
    for (uint32_t& c : scheme.m_cr) {
        c &= 0xFFFFFF;
    }
    m_schemes.push_back(std::move(scheme));
    return true;
}

bool CControlSchemeList::Remove(IPrompter& prompter, std::string_view name) {
    const auto it = std::find_if(m_schemes.begin(), m_schemes.end(),
                                 [&](const CControlScheme& s) { return s.m_strName == name; });
    if (it == m_schemes.end() || it->m_bBuiltIn) {
        return false;
    }
    const EMsgAnswer answer = prompter.Message(
        {"Are you sure you want to delete the " + it->m_strName + " color scheme ?",
         "Delete color scheme", EMsgIcon::Question, EMsgButtons::YesNo, EMsgAnswer::No});
    if (answer != EMsgAnswer::Yes) {
        return false;
    }
    m_schemes.erase(it);
    return true;
}
