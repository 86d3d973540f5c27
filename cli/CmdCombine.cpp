// `quillo combine OUT.lumo IN1.lumo IN2.lumo ... [--editing-only]`: one project from several,
// their pictures written into a new stream or, with --editing-only, read from the files.
#include <filesystem>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/ConsolePrompter.h"
#include "project/ops/CombineProjects.h"

int RunCombine(std::span<const std::string> args) {
    bool bEditingOnly = false;
    std::vector<std::string> names;
    for (const std::string& arg : args) {
        if (arg == "--editing-only") {
            bEditingOnly = true;
        } else if (arg.starts_with("--")) {
            return UsageError("combine", "unknown option " + arg);
        } else {
            names.push_back(arg);
        }
    }
    if (names.empty()) {
        return UsageError("combine", "missing arguments");
    }
    CConsolePrompter prompter;
    SNewProjectOptions options;
    options.tempDir = std::filesystem::temp_directory_path().string();
    options.outputName = names.front();
    const std::vector<std::string> inputs(names.begin() + 1, names.end());
    if (!CombineProjects(inputs, bEditingOnly, prompter, options)) {
        return inputs.size() < 2 ? kExitUsage : Failure("combine", "no project was written");
    }
    return kExitOk;
}
