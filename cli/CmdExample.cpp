#include <cstdio>

#include "cli/Command.h"
#include "cli/Subcommands.h"

int RunExample(std::span<const std::string> args) {
    if (args.size() > 1) {
        return UsageError("example", "too many arguments");
    }
    std::printf("The example project arrives with the frame image stream.\n");
    return kExitOk;
}
