#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace {

const SCommand* Find(std::string_view name) {
    for (const auto& c : AllCommands()) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "usage: quillo COMMAND [ARGS]\n\nCommands:\n");
    for (bool diagnostic : {false, true}) {
        if (diagnostic) {
            std::fprintf(out, "\nDiagnostics:\n");
        }
        for (const auto& c : AllCommands()) {
            if (c.diagnostic == diagnostic) {
                std::string head = std::string(c.name) + " " + std::string(c.usage);
                std::fprintf(out, "  %-40s %.*s\n", head.c_str(),
                             static_cast<int>(c.summary.size()), c.summary.data());
            }
        }
    }
    std::fprintf(out, "\nExit status: 0 success, 1 failure, 2 usage error.\n");
}

}  // namespace

int UsageError(std::string_view command, std::string_view message) {
    std::fprintf(stderr, "quillo %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
                 static_cast<int>(message.size()), message.data());
    if (const SCommand* c = Find(command)) {
        std::fprintf(stderr, "usage: quillo %.*s %.*s\n", static_cast<int>(c->name.size()),
                     c->name.data(), static_cast<int>(c->usage.size()), c->usage.data());
    }
    return kExitUsage;
}

int Failure(std::string_view command, std::string_view message) {
    std::fprintf(stderr, "quillo %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
                 static_cast<int>(message.size()), message.data());
    return kExitFailure;
}

int main(int argc, char** argv) {
    // Stored files and movie scripts use the C locale for numbers, whatever the user's.
    std::setlocale(LC_ALL, "C");
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(stdout);
        return kExitOk;
    }
    const SCommand* command = Find(args[0]);
    if (command == nullptr) {
        std::fprintf(stderr, "quillo: unknown command '%s' (see quillo --help)\n", args[0].c_str());
        return kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
        std::printf("usage: quillo %.*s %.*s\n%.*s\n", static_cast<int>(command->name.size()),
                    command->name.data(), static_cast<int>(command->usage.size()),
                    command->usage.data(), static_cast<int>(command->summary.size()),
                    command->summary.data());
        return kExitOk;
    }
    return command->run(rest);
}
