#include "cli/OpenedProject.h"

std::unique_ptr<SOpenedProject> OpenProjectForCommand(const std::string& path, std::string& why) {
    auto opened = std::make_unique<SOpenedProject>();
    opened->prompter.SetShowProgress(false);
    SProjectFileHooks hooks;
    hooks.bReadOnly = true;
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
