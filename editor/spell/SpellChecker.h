// Spell checking of talk-bubble text with a Hunspell dictionary of the system.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class Hunspell;

// A word of the text that the dictionary does not know, with its place in the text (UTF-16 code
// units) and the dictionary's suggestions, best first.
struct SMisspelling {
    qsizetype nStart = 0;
    qsizetype nLength = 0;
    QString strWord;
    QStringList suggestions;
};

class CSpellChecker {
public:
    // The message shown when no dictionary can be loaded.
    static constexpr const char* kUnavailable = "Spell check not available.";
    // The message shown when the text has no unknown word.
    static constexpr const char* kNoErrors = "No spelling errors found.";

    CSpellChecker();
    ~CSpellChecker();
    CSpellChecker(const CSpellChecker&) = delete;
    CSpellChecker& operator=(const CSpellChecker&) = delete;

    // Loads the dictionary `language` ("en_US"); an empty name takes the user's locale and falls
    // back to "en_US". Dictionaries are looked for in QUILLO_DICTIONARY_PATH (folders separated by
    // ':') and then in the system's hunspell and myspell folders.
    bool Open(const std::string& language = {});
    bool IsOpen() const { return m_pHunspell != nullptr; }
    // The dictionary in use ("en_US"), empty when none is open.
    const std::string& Language() const { return m_strLanguage; }

    // The unknown words of `text` in order. Words without a letter (numbers, symbols) are not
    // checked. Empty when no dictionary is open.
    std::vector<SMisspelling> Check(const QString& text) const;
    bool IsKnown(const QString& word) const;
    QStringList Suggest(const QString& word) const;

private:
    std::string Encode(const QString& word) const;
    QString Decode(const std::string& word) const;

    std::unique_ptr<Hunspell> m_pHunspell;
    std::string m_strLanguage;
    bool m_bUtf8 = true;
};
