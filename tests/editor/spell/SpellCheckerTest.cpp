#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/spell/SpellChecker.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<QString> Words(const std::vector<SMisspelling>& found) {
    std::vector<QString> words;
    for (const SMisspelling& m : found) {
        words.push_back(m.strWord);
    }
    return words;
}

// The system's American English dictionary, which the install script provides.
class SystemDictionary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_checker.Open("en_US")) << "hunspell-en-us missing?"; }
    CSpellChecker m_checker;
};

TEST_F(SystemDictionary, FindsUnknownWordsWithTheirPlaceAndSuggestions) {
    struct SCase {
        const char16_t* text;
        std::vector<QString> unknown;
    };
    const SCase cases[] = {
        {u"The quick brown fox", {}},
        {u"Teh quick brwn fox", {"Teh", "brwn"}},
        {u"Don't click here, it's 12:45 on 2026-12-11.", {}},
        {u"Klick\nthe Buton", {"Klick", "Buton"}},
        {u"\u00bfwrold \U0001F600 recieve?", {"wrold", "recieve"}},
        {u"", {}},
        {u"   ...   ", {}},
    };
    for (const SCase& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        const std::vector<SMisspelling> found = m_checker.Check(text);
        EXPECT_EQ(Words(found), c.unknown);
        for (const SMisspelling& m : found) {
            EXPECT_EQ(text.mid(m.nStart, m.nLength), m.strWord) << "the place is in the text";
        }
    }

    const std::vector<SMisspelling> found =
        m_checker.Check(QString::fromUtf16(u"\u00bf \U0001F600 recieve"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].nStart, 5) << "UTF-16 units: the emoji counts two";
    ASSERT_FALSE(found[0].suggestions.isEmpty());
    EXPECT_EQ(found[0].suggestions.front(), "receive");
}

TEST_F(SystemDictionary, AHugeWordIsNotSentToTheDictionary) {
    const QString huge(100000, u'x');
    EXPECT_TRUE(m_checker.Check(huge).empty());
    EXPECT_TRUE(m_checker.Suggest(huge).isEmpty());
}

TEST(SpellChecker, WithoutADictionaryNothingIsChecked) {
    CSpellChecker checker;
    EXPECT_FALSE(checker.Open("xx_NOPE"));
    EXPECT_FALSE(checker.IsOpen());
    EXPECT_TRUE(checker.Language().empty());
    EXPECT_TRUE(checker.Check("Teh wrold").empty());
}

// A dictionary of the user's own in an 8-bit encoding, found through the dictionary path.
TEST(SpellChecker, FindsAnEightBitDictionaryOnTheDictionaryPath) {
    CTempDir dir;
    auto write = [&dir](const char* name, const QByteArray& bytes) {
        QFile file(QString::fromStdString(dir.File(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("xx_TEST.aff", "SET ISO8859-1\nTRY esianrtolcdugmphbyfvkwz\n");
    write("xx_TEST.dic",
          "3\nstra\xDF"
          "e\nweg\nhaus\n");
    const std::string previous = std::getenv("QUILLO_DICTIONARY_PATH") != nullptr
                                     ? std::getenv("QUILLO_DICTIONARY_PATH")
                                     : "";
    setenv("QUILLO_DICTIONARY_PATH", ("/nonexistent:" + dir.Path().string()).c_str(), 1);
    CSpellChecker checker;
    const bool opened = checker.Open("xx_TEST");
    setenv("QUILLO_DICTIONARY_PATH", previous.c_str(), 1);
    ASSERT_TRUE(opened);
    EXPECT_EQ(checker.Language(), "xx_TEST");
    EXPECT_EQ(Words(checker.Check(QString::fromUtf16(u"stra\u00dfe weg hous \u0441\u0442\u0440"))),
              (std::vector<QString>{"hous", QString::fromUtf16(u"\u0441\u0442\u0440")}))
        << "letters the dictionary's encoding cannot hold are unknown, not mangled";
    EXPECT_TRUE(checker.Suggest("hous").contains("haus"));
}

}  // namespace
