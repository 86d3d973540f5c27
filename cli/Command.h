// The subcommands of the headless `quillo` command. Each lives in its own Cmd*.cpp file and is
// listed once in Commands.cpp.
#pragma once

#include <span>
#include <string>
#include <string_view>

enum EExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

struct SCommand {
    std::string_view name;
    std::string_view usage;    // arguments after the name, e.g. "FILE.lumo [--json]"
    std::string_view summary;  // one line for `quillo --help`
    bool diagnostic = false;   // a developer's tool, listed apart
    int (*run)(std::span<const std::string> args) = nullptr;
};

std::span<const SCommand> AllCommands();

// Prints "quillo NAME: MESSAGE" and the command's usage to stderr; returns kExitUsage.
int UsageError(std::string_view command, std::string_view message);
// Prints "quillo NAME: MESSAGE" to stderr; returns kExitFailure.
int Failure(std::string_view command, std::string_view message);
