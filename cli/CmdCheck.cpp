// `quillo check FILE.lumo`: opens the project, rebuilds every frame forward and again backward,
// and reports any frame whose picture is damaged, missing or differs between the two walks.
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/Subcommands.h"

namespace {

uint32_t Checksum(const CPixelPicture& picture) {
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0),
                                       reinterpret_cast<const Bytef*>(picture.m_Pixels.data()),
                                       static_cast<uInt>(picture.m_Pixels.size() * 4)));
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
    CFrameCompositor& compositor = *opened->compositor;
    const uint32_t frames = p.FrameCount();
    std::vector<uint32_t> forward(frames);
    std::vector<bool> bad(frames, false);
    int problems = 0;
    auto report = [&](uint32_t i, const char* what) {
        if (!bad[i]) {
            std::fprintf(stderr, "quillo check: %s: frame %u %s\n", args[0].c_str(), i + 1, what);
            bad[i] = true;
            ++problems;
        }
    };
    for (uint32_t i = 0; i < frames; ++i) {
        compositor.GoToFrame(i);
        forward[i] = Checksum(compositor.Picture());
        if (compositor.PictureMissing()) {
            report(i, "takes its picture from a source project that is missing");
        } else if (compositor.Damaged()) {
            report(i, "has damaged stream data");
        }
    }
    for (uint32_t i = frames; i-- > 0;) {
        compositor.GoToFrame(i);
        if (Checksum(compositor.Picture()) != forward[i]) {
            report(i, "differs when rebuilt backward");
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
        std::printf("%s: %u frames, %d problems\n", args[0].c_str(), frames, problems);
        return kExitFailure;
    }
    std::printf("%s: %u frames, all rebuilt\n", args[0].c_str(), frames);
    return kExitOk;
}
