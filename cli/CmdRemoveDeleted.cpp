// `quillo remove-deleted IN.lumo OUT.lumo`: writes a copy of the project without its deleted
// frames, every kept picture written again into a new stream.
#include <filesystem>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/Subcommands.h"
#include "project/ops/RemoveDeletedFrames.h"

int RunRemoveDeleted(std::span<const std::string> args) {
    if (args.size() != 2) {
        return UsageError("remove-deleted",
                          args.size() < 2 ? "missing arguments" : "too many arguments");
    }
    std::string why;
    auto opened = OpenProjectForCommand(args[0], why);
    if (!opened) {
        return Failure("remove-deleted", why);
    }
    opened->prompter.SetShowProgress(true);
    SNewProjectOptions options;
    options.tempDir = std::filesystem::temp_directory_path().string();
    options.bZlibPixels = opened->project.m_bZlibPixels;
    options.outputName = args[1];
    if (!RemoveDeletedFrames(opened->project, opened->file->StreamSources(), opened->prompter,
                             options)) {
        return Failure("remove-deleted", "no project was written");
    }
    return kExitOk;
}
