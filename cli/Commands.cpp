#include <array>

#include "cli/Command.h"
#include "cli/Subcommands.h"

std::span<const SCommand> AllCommands() {
    static const std::array kCommands = {
        SCommand{"example", "[OUTDIR]", "build the built-in example project and walk every frame",
                 false, RunExample},
        SCommand{
            "record",
            "OUT.lumo [--display D] [--seconds S] [--rect X,Y,W,H | --monitor N | --area X,Y,W,H "
            "[--pan]] [--follow-active] [--fps N] [--mouse-fps N] [--no-mouse] [--smooth] "
            "[--zlib] [--no-shm] [--temp DIR]",
            "record the X display until time is up or a signal and save it as a project; "
            "the capture files are made in DIR (the project's folder by default)",
            false, RunRecord},
        SCommand{"stop", "[--code N] [--socket PATH]",
                 "stop the user's running recording (--code sends another recorder command: "
                 "19 pause or resume, 67 chapter, 72 tray icon of the desktop program); fails with "
                 "the reason when the recording refuses the command",
                 false, RunStop},
        SCommand{"recover", "FILE [OUT.lumo] [--size WxH] [--no-mouse] [--project]",
                 "rebuild a project from a damaged capture file or project file (a project "
                 "file is named .lumo, or read as one with --project)",
                 false, RunRecover},
        SCommand{"info", "FILE.lumo [--json]",
                 "print the project: version, size, frames, durations, flags and overlays", false,
                 RunInfo},
        SCommand{"frame", "FILE.lumo N OUT.png [--overlays]",
                 "write the full picture of frame N as a PNG file (--overlays: with its talk "
                 "bubble as the editor shows it)",
                 false, RunFrame},
        SCommand{"check", "FILE.lumo", "open the project, rebuild every frame and report damage",
                 false, RunCheck},
        SCommand{"remove-deleted", "IN.lumo OUT.lumo",
                 "write the project without its deleted frames", false, RunRemoveDeleted},
        SCommand{"combine", "OUT.lumo IN1.lumo IN2.lumo ... [--editing-only]",
                 "combine projects into one (--editing-only: pictures stay in the sources)", false,
                 RunCombine},
        SCommand{"import-video", "VIDEO OUT.lumo", "make a project from a video file", false,
                 RunImportVideo},
        SCommand{"export-timing", "FILE.lumo",
                 "write the timing data file (durations, deleted marks, texts) beside the project",
                 false, RunExportTiming},
        SCommand{"import-timing", "FILE.lumo",
                 "read the timing data file beside the project into it and save", false,
                 RunImportTiming},
        SCommand{"edit",
                 "FILE.lumo --frame N [--bubble TEXT [--style S] [--at X,Y]] [--hotspot X,Y,W,H "
                 "[--hotspot-style S] [--goto F | --url U [--target T] | --stop] [--wait]] "
                 "[--chapter TITLE]",
                 "put a talk bubble, a hotspot or a chapter heading on frame N and save the "
                 "project in place; styles by label or number, --wait stops the movie at the "
                 "frame until the hotspot is clicked, an empty --chapter removes the heading",
                 false, RunEdit},
        SCommand{"speak", "TEXT OUT.wav [--voice V] [--markup]",
                 "render TEXT as speech into a WAV file (--markup: TEXT is marked-up speech)",
                 false, RunSpeak},
        SCommand{"spell", "TEXT [--lang L]",
                 "spell-check a talk-bubble text: each unknown word with its suggestions (exit "
                 "status 1), or \"No spelling errors found.\"",
                 false, RunSpell},
        SCommand{"publish",
                 "FILE.lumo [-o OUTBASE] [--fps N] [--quality small|appearance] [--loop] "
                 "[--no-controls] [--scheme NAME] [--html] [--exe] [--scorm] [--zip]",
                 "publish the project as the movie OUTBASE.swf with its build report OUTBASE.txt; "
                 "--html the page OUTBASE.htm, --exe the executable OUTBASE, --scorm the SCORM "
                 "package OUTBASE_SCORM (--zip with its ZIP file)",
                 false, RunPublish},
        SCommand{"schemes", "",
                 "list the control bar's colour schemes: the built-in ones, then the user's from "
                 "the settings folder, each with its Symbol, Edge, Button, Over, Down and Panel "
                 "colours",
                 false, RunSchemes},
        SCommand{"show", "OUTBASE",
                 "serve the published page OUTBASE.htm on 127.0.0.1 and open it in the default "
                 "browser; serves until interrupted",
                 false, RunShow},
        SCommand{"sound", "info FILE | decode IN OUT.wav [--rate R] [--mono] | play FILE",
                 "describe a sound file, decode it to a 16-bit WAV file (at a movie rate R, in "
                 "mono), or play it on the sound server",
                 false, RunSound},
        SCommand{"swf-sample", "OUT.swf [--fws] [--all]",
                 "write a movie of every shape geometry and fill (compressed unless --fws); "
                 "--all: bitmaps, sprite, button, text and scripts",
                 true, RunSwfSample},
    };
    return kCommands;
}
