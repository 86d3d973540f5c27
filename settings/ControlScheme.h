// The colour schemes of the player control bar: the built-in ones and those the user added,
// which are kept in a text file in the settings folder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IPrompter;

// The six colours of a scheme, each 0x00BBGGRR.
enum EControlColor : int {
    kColorSymbol = 0,  // button symbols and text
    kColorEdge,        // outlines
    kColorButton,      // button face
    kColorOver,        // button face under the pointer
    kColorDown,        // button face while pressed
    kColorPanel,       // bar background
    kControlColorCount
};

using TControlColors = std::array<uint32_t, kControlColorCount>;

struct CControlScheme {
    std::string m_strName;
    TControlColors m_cr{};
    bool m_bBuiltIn = false;
};

inline constexpr std::array<std::string_view, kControlColorCount> kControlColorNames = {
    "Symbol", "Edge", "Button", "Over", "Down", "Panel"};

// The built-in schemes in list order.
const std::vector<CControlScheme>& BuiltInSchemes();
// "Midnight": the colours in use before a scheme is chosen.
const CControlScheme& DefaultScheme();
// The colour picker's custom colours when the scheme page opens.
std::array<uint32_t, 16> SchemeCustomColors();

class CControlSchemeList {
public:
    static constexpr const char* kFileName = "ControlSchemes.txt";

    CControlSchemeList();

    // Reads the user's schemes from `path`; a missing file leaves only the built-in ones. Lines
    // that cannot be read are skipped and counted.
    void Load(const std::string& path);
    // Writes the user's schemes; false with `error` set when the file cannot be written, in
    // which case the old file is left as it was.
    bool Save(const std::string& path, std::string* error) const;

    const std::vector<CControlScheme>& Schemes() const { return m_schemes; }
    const CControlScheme* Find(std::string_view name) const;
    int SkippedLines() const { return m_nSkipped; }

    // Adds a user scheme at the end of the list. A name already in the list (or an empty one)
    // is refused with a message through `prompter`.
    bool Add(IPrompter& prompter, std::string_view name, const TControlColors& colors);
    // Asks whether to delete the user scheme and removes it on yes. Built-in schemes stay.
    bool Remove(IPrompter& prompter, std::string_view name);

private:
    std::vector<CControlScheme> m_schemes;
    int m_nSkipped = 0;
};
