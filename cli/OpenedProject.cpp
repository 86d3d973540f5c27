#include "cli/OpenedProject.h"

SOpenedProject::~SOpenedProject() {
    if (compositor) {
        file->LeaveProject();
    }
}

std::string TooLargeToRebuild(const std::string& path, const CDemoProject& project) {
    return path + " claims a recorded area of " + std::to_string(project.m_nWidth) + " x " +
           std::to_string(project.m_nHeight) +
           " pixels, which is no picture that can be rebuilt (at most " +
           std::to_string(CFrameCompositor::kMaxCanvasPixels) + " pixels)";
}

std::unique_ptr<SOpenedProject> OpenProjectForCommand(const std::string& path, std::string& why) {
    auto opened = std::make_unique<SOpenedProject>();
    opened->prompter.SetShowProgress(false);
    SProjectFileHooks hooks;
    hooks.bReadOnly = true;
    // Nobody answers a command's question: it is shown with the size that is used.
    hooks.askRecordingSize = [prompter = &opened->prompter](int32_t& width, int32_t& height) {
        prompter->Message({std::string(kSizeQuestionText) + " Using " + std::to_string(width) +
                               " x " + std::to_string(height) + ".",
                           kSizeQuestionCaption, EMsgIcon::Question});
    };
    opened->file = std::make_unique<CProjectFile>(opened->project, opened->prompter, hooks);
    if (!opened->file->Open(path)) {
        switch (opened->file->OpenFailure()) {
            case EOpenFailure::CannotOpen:
                why = "cannot open " + path;
                break;
            case EOpenFailure::LaterVersion:
                why = path + " was made by a later version";
                break;
            case EOpenFailure::NotAProject:
                why = path + " holds no frame image stream";
                break;
            case EOpenFailure::Damaged:
            case EOpenFailure::None:
                why = path + " is damaged";
                break;
        }
        return nullptr;
    }
    opened->compositor = std::make_unique<CFrameCompositor>(opened->project);
    opened->compositor->SetSources(opened->file->StreamSources());
    RegisterFollowingPictures(opened->project, *opened->compositor);
    return opened;
}
