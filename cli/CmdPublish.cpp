// `quillo publish FILE.lumo [-o OUTBASE] [--fps N] [--quality small|appearance] [--loop]
// [--no-controls] [--scheme NAME] [--html] [--exe] [--scorm] [--zip]`: publishes the project as a
// movie OUTBASE.swf (by default beside the project, named after it) with the project's stored
// publish settings and those of "config.txt" and the program state file in the settings folder, the
// flags overriding the common ones: --no-controls leaves the control bar out, --scheme colours it
// with a built-in or user colour scheme. Beside the movie go the build report and, as the settings
// and flags say, the page (--html), the executable (--exe) and the SCORM package (--scorm; --zip
// adds its ZIP file). Progress goes to stderr, the results to stdout.
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/Subcommands.h"
#include "publish/MoviePublisher.h"
#include "publish/ProjectPublishSettings.h"
#include "settings/AppSettings.h"
#include "settings/ControlScheme.h"
#include "settings/ProgramState.h"
#include "settings/PublishOptions.h"
#include "settings/RegistryValues.h"
#include "settings/SettingsFolder.h"

int RunPublish(std::span<const std::string> args) {
    std::string project;
    std::string outBase;
    CPublishSettings flags;
    bool fps = false;
    bool quality = false;
    bool loop = false;
    bool noControls = false;
    std::string scheme;
    bool html = false;
    bool exe = false;
    bool scorm = false;
    bool zip = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue) {
            outBase = args[++i];
        } else if (a == "--fps" && hasValue) {
            const std::string& v = args[++i];
            auto res = std::from_chars(v.data(), v.data() + v.size(), flags.m_nFrameRate);
            if (res.ec != std::errc() || res.ptr != v.data() + v.size() || flags.m_nFrameRate < 1 ||
                flags.m_nFrameRate > 120) {
                return UsageError("publish", "the frame rate must be 1 to 120, not '" + v + "'");
            }
            fps = true;
        } else if (a == "--quality" && hasValue) {
            const std::string& v = args[++i];
            if (v == "small") {
                flags.m_nPictureQuality = kQualitySmallFile;
            } else if (v == "appearance") {
                flags.m_nPictureQuality = kQualityAppearance;
            } else {
                return UsageError("publish", "the quality is small or appearance, not '" + v + "'");
            }
            quality = true;
        } else if (a == "--loop") {
            loop = true;
        } else if (a == "--no-controls") {
            noControls = true;
        } else if (a == "--scheme" && hasValue) {
            scheme = args[++i];
        } else if (a == "--html") {
            html = true;
        } else if (a == "--exe") {
            exe = true;
        } else if (a == "--scorm") {
            scorm = true;
        } else if (a == "--zip") {
            scorm = zip = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("publish", "unknown option or missing value: " + a);
        } else if (project.empty()) {
            project = a;
        } else {
            return UsageError("publish", "too many arguments");
        }
    }
    if (project.empty()) {
        return UsageError("publish", "the project file is missing");
    }
    if (outBase.empty()) {
        std::filesystem::path p(project);
        outBase = (p.parent_path() / p.stem()).string();
    } else if (outBase.size() > 4 && outBase.ends_with(".swf")) {
        outBase.resize(outBase.size() - 4);
    }

    if (IsSameFile(outBase + ".swf", project)) {
        return Failure("publish", "will not write the movie over the project file " + project);
    }
    std::string why;
    auto opened = OpenProjectForCommand(project, why);
    if (!opened) {
        return Failure("publish", why);
    }
    opened->compositor->Options().bOutputRunning = true;
    opened->prompter.SetShowProgress(true);
    CMoviePublisher publisher(opened->project, *opened->compositor, opened->prompter);
    CPublishSettings& settings = publisher.Settings();
    ApplyProjectPublishSettings(opened->project.m_Settings, settings);
    const CRegistryValues registry;
    const CSettingsFolder folder(RunningProgramFolder(), &registry);
    CAppSettings config;
    CProgramState state;
    if (!folder.Path().empty()) {
        config.LoadConfig(folder);
        state.ReadFile(folder.File(CProgramState::kFileName));
    }
    ApplyProgramPublishSettings(config, state, settings);
    if (fps) {
        settings.m_nFrameRate = flags.m_nFrameRate;
    }
    if (quality) {
        settings.m_nPictureQuality = flags.m_nPictureQuality;
    }
    settings.m_bLoopMovie = settings.m_bLoopMovie || loop;
    settings.m_bControlBar = settings.m_bControlBar && !noControls;
    if (!scheme.empty()) {
        CControlSchemeList schemes;
        if (!folder.Path().empty()) {
            schemes.Load(folder.File(CControlSchemeList::kFileName));
        }
        const CControlScheme* pScheme = schemes.Find(scheme);
        if (pScheme == nullptr) {
            return Failure("publish", "there is no colour scheme named '" + scheme +
                                          "' (quillo schemes lists them)");
        }
        settings.m_crControlBar = pScheme->m_cr;
    }
    settings.m_bCreateWebPage = settings.m_bCreateWebPage || html;
    settings.m_bCreateExe = settings.m_bCreateExe || exe;
    settings.m_bScorm = settings.m_bScorm || scorm;
    settings.m_bScormZip = settings.m_bScormZip || zip;

    publisher.Start(outBase, {});
    publisher.Wait();
    const SPublishResults& r = publisher.Results();
    if (!r.strError.empty()) {
        return Failure("publish", r.strError);
    }
    if (r.bCancelled) {
        return Failure("publish", r.strReport);
    }
    std::printf("movie %s\nsize %lld KB\nplaying time %d s\nframes %u\nbuild %d\nreport %s.txt\n",
                r.strMoviePath.c_str(), static_cast<long long>(r.nSizeKB), r.nPlayingSeconds,
                r.nFrameCount, r.nBuildNumber, outBase.c_str());
    return kExitOk;
}
