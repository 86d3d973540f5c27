// `quillo export-timing FILE.lumo`: writes the timing data file beside the project.
#include <cstdio>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/Subcommands.h"
#include "project/ops/TimingData.h"

int RunExportTiming(std::span<const std::string> args) {
    if (args.size() != 1) {
        return UsageError("export-timing",
                          args.empty() ? "missing arguments" : "too many arguments");
    }
    std::string why;
    auto opened = OpenProjectForCommand(args[0], why);
    if (!opened) {
        return Failure("export-timing", why);
    }
    const std::string name = TimingFileName(args[0]);
    if (!ExportTiming(opened->project, args[0])) {
        return Failure("export-timing", "cannot write " + name);
    }
    std::printf("%s\n", name.c_str());
    return kExitOk;
}
