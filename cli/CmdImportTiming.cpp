// `quillo import-timing FILE.lumo`: reads the timing data file beside the project into its
// frames (durations, deleted marks, talk-bubble texts) and saves the project.
#include <cstdio>
#include <filesystem>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/ConsolePrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/ops/TimingData.h"

int RunImportTiming(std::span<const std::string> args) {
    if (args.size() != 1) {
        return UsageError("import-timing",
                          args.empty() ? "missing arguments" : "too many arguments");
    }
    const std::string name = TimingFileName(args[0]);
    if (!std::filesystem::is_regular_file(name)) {
        return Failure("import-timing", "there is no " + name);
    }
    CConsolePrompter prompter;
    CDemoProject project;
    CProjectFile file(project, prompter);
    if (!file.Open(args[0])) {
        return Failure("import-timing", "cannot open " + args[0]);
    }
    const int nLines = ImportTiming(project, args[0]);
    if (!file.Save()) {
        return Failure("import-timing", "cannot save " + args[0]);
    }
    std::printf("%d frames changed from %s\n", nLines, name.c_str());
    return kExitOk;
}
