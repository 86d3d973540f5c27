#include "editor/spell/SpellChecker.h"

#include <hunspell/hunspell.hxx>

#include <QFileInfo>
#include <QLocale>
#include <QStringConverter>
#include <QTextBoundaryFinder>
#include <cstdlib>

namespace {

// Hunspell answers nothing sensible for very long tokens and can take long over them.
constexpr qsizetype kLongestWord = 100;

QStringList DictionaryFolders() {
    QStringList folders;
    if (const char* env = std::getenv("QUILLO_DICTIONARY_PATH"); env != nullptr && *env != 0) {
        folders = QString::fromLocal8Bit(env).split(u':', Qt::SkipEmptyParts);
    }
    folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/share/myspell")
            << QStringLiteral("/usr/share/myspell/dicts");
    return folders;
}

bool HasLetter(QStringView word) {
    for (const QChar c : word) {
        if (c.isLetter()) {
            return true;
        }
    }
    return false;
}

}  // namespace

CSpellChecker::CSpellChecker() = default;

CSpellChecker::~CSpellChecker() = default;

bool CSpellChecker::Open(const std::string& language) {
    m_pHunspell.reset();
    m_strLanguage.clear();
    QStringList names;
    if (!language.empty()) {
        names << QString::fromStdString(language);
    } else {
        names << QLocale::system().name() << QStringLiteral("en_US");
    }
    for (const QString& name : names) {
        for (const QString& folder : DictionaryFolders()) {
            const QString aff = folder + u'/' + name + QStringLiteral(".aff");
            const QString dic = folder + u'/' + name + QStringLiteral(".dic");
            if (!QFileInfo(aff).isReadable() || !QFileInfo(dic).isReadable()) {
                continue;
            }
            m_pHunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(),
                                                     QFile::encodeName(dic).constData());
            const std::string encoding = m_pHunspell->get_dict_encoding();
            m_bUtf8 = encoding == "UTF-8" || encoding == "utf-8";
            m_strLanguage = name.toStdString();
            return true;
        }
    }
    return false;
}

std::string CSpellChecker::Encode(const QString& word) const {
    if (m_bUtf8) {
        return word.toStdString();
    }
    return word.toLatin1().toStdString();
}

QString CSpellChecker::Decode(const std::string& word) const {
    return m_bUtf8 ? QString::fromStdString(word) : QString::fromLatin1(word);
}

bool CSpellChecker::IsKnown(const QString& word) const {
    if (!m_pHunspell || word.size() > kLongestWord) {
        return true;
    }
    // A dictionary in an 8-bit encoding cannot hold words with other characters.
    if (!m_bUtf8 && Decode(Encode(word)) != word) {
        return false;
    }
    return m_pHunspell->spell(Encode(word));
}

QStringList CSpellChecker::Suggest(const QString& word) const {
    QStringList out;
    if (!m_pHunspell || word.size() > kLongestWord) {
        return out;
    }
    for (const std::string& s : m_pHunspell->suggest(Encode(word))) {
        out << Decode(s);
    }
    return out;
}

std::vector<SMisspelling> CSpellChecker::Check(const QString& text) const {
    std::vector<SMisspelling> found;
    if (!m_pHunspell) {
        return found;
    }
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.toStart();
    qsizetype start = -1;
    for (qsizetype at = 0; at != -1; at = words.toNextBoundary()) {
        const QTextBoundaryFinder::BoundaryReasons reasons = words.boundaryReasons();
        if (reasons.testFlag(QTextBoundaryFinder::EndOfItem) && start >= 0) {
            const QString word = text.mid(start, at - start);
            if (HasLetter(word) && !IsKnown(word)) {
                found.push_back({start, word.size(), word, Suggest(word)});
            }
            start = -1;
        }
        if (reasons.testFlag(QTextBoundaryFinder::StartOfItem)) {
            start = at;
        }
    }
    return found;
}
