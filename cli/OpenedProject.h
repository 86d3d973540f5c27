// A project file opened for a headless command, with the compositor on its streams.
#pragma once

#include <memory>
#include <string>

#include "platform/ConsolePrompter.h"
#include "project/file/ProjectFile.h"
#include "project/model/DemoProject.h"
#include "project/stream/FrameCompositor.h"

struct SOpenedProject {
    SOpenedProject() = default;
    // A command leaves the project when it ends.
    ~SOpenedProject();
    SOpenedProject(const SOpenedProject&) = delete;
    SOpenedProject& operator=(const SOpenedProject&) = delete;

    CConsolePrompter prompter;
    CDemoProject project;
    std::unique_ptr<CProjectFile> file;
    std::unique_ptr<CFrameCompositor> compositor;
};

// Says that no picture of the project at `path` can be built because of its recorded size.
std::string TooLargeToRebuild(const std::string& path, const CDemoProject& project);

// Opens `path`; on failure returns null and sets `why` to a sentence for the user.
std::unique_ptr<SOpenedProject> OpenProjectForCommand(const std::string& path, std::string& why);
