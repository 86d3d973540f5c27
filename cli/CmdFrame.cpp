// `quillo frame FILE.lumo N OUT.png`: the full picture of frame N (1-based) as the compositor
// rebuilds it, edited pictures and cursor included.
#include <charconv>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/PngFile.h"
#include "cli/Subcommands.h"
#include "project/file/FrameCheck.h"

int RunFrame(std::span<const std::string> args) {
    if (args.size() != 3) {
        return UsageError("frame", args.size() < 3 ? "missing arguments" : "too many arguments");
    }
    uint32_t number = 0;
    const std::string& n = args[1];
    auto res = std::from_chars(n.data(), n.data() + n.size(), number);
    if (res.ec != std::errc() || res.ptr != n.data() + n.size() || number == 0) {
        return UsageError("frame", "the frame number must be 1 or more, not '" + n + "'");
    }
    if (IsSameFile(args[2], args[0])) {
        return Failure("frame", "will not write the picture over the project file " + args[0]);
    }
    std::string why;
    auto opened = OpenProjectForCommand(args[0], why);
    if (!opened) {
        return Failure("frame", why);
    }
    if (number > opened->project.FrameCount()) {
        return Failure("frame", "the project has " + std::to_string(opened->project.FrameCount()) +
                                    " frames, not " + std::to_string(number));
    }
    CFrameCompositor& compositor = *opened->compositor;
    compositor.GoToFrame(number - 1);
    if (PictureRefused(opened->project, compositor)) {
        return Failure("frame", TooLargeToRebuild(args[0], opened->project));
    }
    const CPixelPicture& picture = compositor.ShownPicture();
    if (!WritePngFile(args[2], picture.m_Pixels, picture.m_nWidth, picture.m_nHeight)) {
        return Failure("frame", "cannot write " + args[2]);
    }
    if (compositor.Damaged() || compositor.PictureMissing()) {
        return Failure("frame", "frame " + n + " could not be rebuilt completely; " + args[2] +
                                    " shows what could");
    }
    return kExitOk;
}
