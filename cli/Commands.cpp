#include <array>

#include "cli/Command.h"
#include "cli/Subcommands.h"

std::span<const SCommand> AllCommands() {
    static const std::array kCommands = {
        SCommand{"example", "[OUTDIR]",
                 "build the built-in example project and walk every frame", false, RunExample},
        SCommand{"swf-sample", "OUT.swf [--fws] [--all]",
                 "write a movie of every shape geometry and fill (compressed unless --fws); "
                 "--all: bitmaps, sprite, button, text and scripts", true, RunSwfSample},
        SCommand{"record",
                 "DIR [--display D] [--seconds S] [--rect X,Y,W,H] [--fps N] [--mouse-fps N] "
                 "[--no-mouse] [--smooth] [--zlib] [--no-shm]",
                 "record the X display into capture files in DIR until time is up or a signal",
                 false, RunRecord},
        SCommand{"info", "FILE.lumo [--json]",
                 "print the project: version, size, frames, durations, flags and overlays", false,
                 RunInfo},
        SCommand{"frame", "FILE.lumo N OUT.png", "write the full picture of frame N as a PNG file",
                 false, RunFrame},
        SCommand{"check", "FILE.lumo", "open the project, rebuild every frame and report damage",
                 false, RunCheck},
        SCommand{"publish",
                 "FILE.lumo [-o OUTBASE] [--fps N] [--quality small|appearance] [--loop] "
                 "[--no-controls]",
                 "publish the project as the movie OUTBASE.swf", false, RunPublish},
    };
    return kCommands;
}
