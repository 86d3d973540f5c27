// A project file opened for a headless command, with the compositor on its streams.
#pragma once

#include <memory>
#include <string>

#include "platform/ConsolePrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"

struct SOpenedProject {
    CConsolePrompter prompter;
    CDemoProject project;
    std::unique_ptr<CProjectFile> file;
    std::unique_ptr<CFrameCompositor> compositor;
};

// Opens `path`; on failure returns null and sets `why` to a sentence for the user.
std::unique_ptr<SOpenedProject> OpenProjectForCommand(const std::string& path, std::string& why);
