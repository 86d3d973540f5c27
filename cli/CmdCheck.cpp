// `quillo check FILE.lumo`: opens the project, rebuilds every frame forward and again backward,
// and reports any frame whose picture is damaged, missing or differs between the two walks.
#include <cstdio>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/Subcommands.h"
#include "project/file/FrameCheck.h"

namespace {

const char* Describe(EFrameCheck state) {
    switch (state) {
        case EFrameCheck::Missing:
            return "takes its picture from a source project that is missing";
        case EFrameCheck::Damaged:
            return "has damaged stream data";
        case EFrameCheck::DiffersBackward:
            return "differs when rebuilt backward";
        case EFrameCheck::Good:
            break;
    }
    return "is good";
}

}  // namespace

int RunCheck(std::span<const std::string> args) {
    if (args.size() != 1) {
        return UsageError("check", args.empty() ? "no project file given" : "too many arguments");
    }
    std::string why;
    auto opened = OpenProjectForCommand(args[0], why);
    if (!opened) {
        return Failure("check", why);
    }
    const CDemoProject& p = opened->project;
    const SProjectCheck check = CheckFrames(p, *opened->compositor);
    if (check.bSizeRefused) {
        return Failure("check", TooLargeToRebuild(args[0], p));
    }
    uint32_t problems = check.Problems();
    for (uint32_t i = 0; i < check.frames.size(); ++i) {
        if (check.frames[i] != EFrameCheck::Good) {
            std::fprintf(stderr, "quillo check: %s: frame %u %s\n", args[0].c_str(), i + 1,
                         Describe(check.frames[i]));
        }
    }
    if (p.m_bCorrupted) {
        std::fprintf(stderr,
                     "quillo check: %s: the file was never finished (no trailer); its frames "
                     "have default durations\n",
                     args[0].c_str());
        ++problems;
    }
    if (problems > 0) {
        std::printf("%s: %u frames, %u problems\n", args[0].c_str(), p.FrameCount(), problems);
        return kExitFailure;
    }
    std::printf("%s: %u frames, all rebuilt\n", args[0].c_str(), p.FrameCount());
    return kExitOk;
}
