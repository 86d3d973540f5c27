// `quillo spell TEXT [--lang L]`: the talk-bubble spell check without the editor.
#include <QString>
#include <iostream>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "editor/spell/SpellChecker.h"

int RunSpell(std::span<const std::string> args) {
    std::string language;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--lang") {
            if (i + 1 >= args.size()) {
                return UsageError("spell", "--lang needs a dictionary name such as en_US");
            }
            language = args[++i];
        } else if (args[i].starts_with("--")) {
            return UsageError("spell", "unknown option '" + args[i] + "'");
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) {
        return UsageError("spell",
                          positional.empty() ? "the text is missing" : "too many arguments");
    }
    CSpellChecker checker;
    if (!checker.Open(language)) {
        return Failure("spell", CSpellChecker::kUnavailable);
    }
    const std::vector<SMisspelling> found = checker.Check(QString::fromStdString(positional[0]));
    if (found.empty()) {
        std::cout << CSpellChecker::kNoErrors << '\n';
        return kExitOk;
    }
    for (const SMisspelling& m : found) {
        std::cout << m.strWord.toStdString() << ": " << m.suggestions.join(", ").toStdString()
                  << '\n';
    }
    return kExitFailure;
}
