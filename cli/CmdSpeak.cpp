// `quillo speak TEXT OUT.wav [--voice V] [--markup]`: the speech of a text as the publisher
// renders it for a talk bubble.
#include <QString>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "sound/speech/SpeechService.h"

int RunSpeak(std::span<const std::string> args) {
    std::string voice;
    bool bMarkup = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--voice") {
            if (i + 1 >= args.size()) {
                return UsageError("speak", "--voice needs a voice name");
            }
            voice = args[++i];
        } else if (args[i] == "--markup") {
            bMarkup = true;
        } else if (args[i].starts_with("--")) {
            return UsageError("speak", "unknown option '" + args[i] + "'");
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        return UsageError("speak",
                          positional.size() < 2 ? "missing arguments" : "too many arguments");
    }
    const std::string& out = positional[1];
    switch (RenderSpeechText(
        SpeechTextFrom(QString::fromStdString(positional[0]).toStdU16String(), bMarkup), out,
        voice)) {
        case ESpeechResult::kOk:
            return kExitOk;
        case ESpeechResult::kUnavailable:
            return Failure("speak", kSpeechStartError);
        case ESpeechResult::kFailed:
            break;
    }
    return Failure("speak",
                   "nothing was spoken into " + out +
                       (voice.empty() ? "" : " (is the voice '" + voice + "' installed?)"));
}
