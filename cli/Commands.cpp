#include <array>

#include "cli/Command.h"
#include "cli/Subcommands.h"

std::span<const SCommand> AllCommands() {
    static const std::array kCommands = {
        SCommand{"example", "[OUTDIR]",
                 "build the built-in example project and walk every frame", false, RunExample},
    };
    return kCommands;
}
