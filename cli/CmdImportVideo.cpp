// `quillo import-video VIDEO OUT.lumo`: a new project from a video file, decoded by the video
// frame grabber plug-in beside the program.
#include <filesystem>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/ConsolePrompter.h"
#include "project/ops/VideoImport.h"
#include "video/VideoGrabber.h"

int RunImportVideo(std::span<const std::string> args) {
    if (args.size() != 2) {
        return UsageError("import-video",
                          args.size() < 2 ? "missing arguments" : "too many arguments");
    }
    CVideoGrabber grabber;
    if (!grabber.LoadFromProgramFolder()) {
        return Failure("import-video", std::string("the video frame grabber ") + kVideoGrabberFile +
                                           " is missing from " + CVideoGrabber::ProgramFolder());
    }
    CConsolePrompter prompter;
    SNewProjectOptions options;
    options.tempDir = std::filesystem::temp_directory_path().string();
    options.outputName = args[1];
    if (ImportVideo(args[0], grabber, prompter, options) != EVideoImport::Saved) {
        return Failure("import-video", "no project was written");
    }
    return kExitOk;
}
