#include <signal.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/CommandSocket.h"
#include "platform/ConsolePrompter.h"
#include "platform/DiskSpace.h"
#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/X11CursorSource.h"
#include "platform/X11Display.h"
#include "platform/X11InputSource.h"
#include "platform/X11ScreenSource.h"
#include "platform/X11WindowSource.h"
#include "project/file/ProjectFile.h"
#include "project/file/Recovery.h"
#include "project/model/DemoProject.h"
#include "project/model/FrameTiming.h"
#include "recording/HeadlessCaptureArea.h"
#include "recording/HeadlessRecorder.h"
#include "recording/ScreenGrabber.h"

namespace {

constexpr std::string_view kName = "record";

std::atomic<bool> g_interrupted{false};
// While the recording is saved a signal cancels the save instead; the capture files stay.
std::atomic<CConsolePrompter*> g_pSaving{nullptr};

void OnSignal(int) {
    if (CConsolePrompter* p = g_pSaving.load()) {
        p->RequestCancel();
    } else {
        g_interrupted.store(true);
    }
}

bool ParseInt(std::string_view text, int64_t& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// "X,Y,W,H" with a positive width and height.
bool ParseRect(std::string_view text, SScreenRect& rect) {
    int64_t v[4];
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos || !ParseInt(text.substr(0, comma), v[i]) ||
            v[i] < INT16_MIN || v[i] > INT16_MAX) {
            return false;
        }
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    rect = {static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2]),
            static_cast<int32_t>(v[3])};
    return rect.width > 0 && rect.height > 0;
}

const char* EndText(CHeadlessRecorder::EEnd end) {
    switch (end) {
        case CHeadlessRecorder::EEnd::TimeUp:
            return "time up";
        case CHeadlessRecorder::EEnd::Interrupted:
            return "interrupted";
        case CHeadlessRecorder::EEnd::Stopped:
            return "stopped";
        case CHeadlessRecorder::EEnd::DiskFull:
            return "disk full";
        case CHeadlessRecorder::EEnd::Failed:
            return "failed";
    }
    return "";
}

// Names the capture files that stay behind and how to make a project of them; `bWhole` when
// every byte of the recording reached them.
std::string KeptText(const SCaptureFiles& files, bool bWhole) {
    return std::string(bWhole ? "it is kept" : "what reached the disk is kept") +
           " in the capture files " + files.dataPath + " and " + files.indexPath + "; " +
           RecoverCommand(files.dataPath) + " [OUT.lumo] makes a project of it";
}

}  // namespace

int RunRecord(std::span<const std::string> args) {
    std::string out;
    std::string dir;
    std::string display;
    SScreenRect rect;
    SScreenRect area;
    SCaptureChoice choice;
    bool followActive = false;
    int64_t seconds = 0;
    CRecordingOptions options;
    bool sharedMemory = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        int64_t n = 0;
        if (a == "--display" && hasValue) {
            display = args[++i];
        } else if (a == "--temp" && hasValue) {
            dir = args[++i];
        } else if (a == "--seconds" && hasValue) {
            if (!ParseInt(args[++i], seconds) || seconds < 1 || seconds > 86400) {
                return UsageError(kName, "--seconds takes 1 to 86400");
            }
        } else if (a == "--rect" && hasValue) {
            if (!ParseRect(args[++i], rect)) {
                return UsageError(kName, "--rect takes X,Y,WIDTH,HEIGHT");
            }
        } else if (a == "--area" && hasValue) {
            if (!ParseRect(args[++i], area)) {
                return UsageError(kName, "--area takes X,Y,WIDTH,HEIGHT");
            }
            choice.mode = ECaptureMode::SelectedArea;
        } else if (a == "--monitor" && hasValue) {
            if (!ParseInt(args[++i], n) || n < 1 || n > 64) {
                return UsageError(kName, "--monitor takes 1 to 64");
            }
            choice.nMonitor = static_cast<int32_t>(n);
        } else if (a == "--pan") {
            choice.bPan = true;
        } else if (a == "--follow-active") {
            followActive = true;
        } else if ((a == "--fps" || a == "--mouse-fps") && hasValue) {
            if (!ParseInt(args[++i], n) || n < 1 || n > 100) {
                return UsageError(kName, a + " takes 1 to 100");
            }
            options.m_bCustomRates = 1;
            (a == "--fps" ? options.m_nScreenFps : options.m_nMouseFps) = static_cast<uint32_t>(n);
        } else if (a == "--no-mouse") {
            options.m_bRecordMouse = 0;
        } else if (a == "--smooth") {
            options.m_bSmoothMovement = 1;
        } else if (a == "--zlib") {
            options.m_bExtraCompression = 1;
        } else if (a == "--no-shm") {
            sharedMemory = false;
        } else if (!a.starts_with("--") && out.empty()) {
            out = a;
        } else {
            return UsageError(kName, "unknown argument " + a);
        }
    }
    if (out.empty()) {
        return UsageError(kName, "no project file given");
    }
    if (rect.width > 0 && (area.width > 0 || choice.nMonitor > 0 || followActive)) {
        return UsageError(kName, "--rect goes with none of --area, --monitor and --follow-active");
    }
    if (choice.nMonitor > 0 && (area.width > 0 || followActive)) {
        return UsageError(kName,
                          "--monitor records a whole monitor; leave out --area and "
                          "--follow-active");
    }
    if (choice.bPan && area.width <= 0) {
        return UsageError(kName, "--pan needs --area");
    }
    if (followActive && choice.mode != ECaptureMode::SelectedArea) {
        choice.mode = ECaptureMode::ActiveWindow;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(out, ec)) {
        return UsageError(kName, out + " is a folder; give the project file to write");
    }
    if (!out.ends_with(".lumo")) {
        out += ".lumo";
        if (std::filesystem::is_directory(out, ec)) {
            return UsageError(kName, out + " is a folder; give the project file to write");
        }
    }
    const std::filesystem::path outFolder = std::filesystem::path(out).parent_path();
    if (!outFolder.empty()) {
        std::filesystem::create_directories(outFolder, ec);
        if (!std::filesystem::is_directory(outFolder)) {
            return Failure(kName, "cannot make the folder " + outFolder.string());
        }
    }
    if (dir.empty()) {
        dir = outFolder.empty() ? std::string(".") : outFolder.string();
    }
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) {
        return Failure(kName, "cannot make the folder " + dir);
    }

    CX11Display x11(display);
    if (!x11.IsOpen()) {
        return Failure(kName, x11.Error());
    }
    CX11ScreenSource screen(x11, sharedMemory);
    if (!screen.Readable()) {
        return Failure(kName, "the X display does not hold 24- or 32-bit pixels");
    }
    CX11CursorSource cursor(x11);
    CInputEvents events;
    CX11InputSource input(display, events);
    CInputEventSource eventSource(input);
    CSteadyClock clock;
    SRecorderFlags flags;
    CConsolePrompter prompter;
    CDemoProject project;
    CHeadlessRecorder recorder(clock, events, flags, &eventSource);
    CScreenGrabber grabber({project, screen, cursor, events, clock, prompter, recorder}, flags);
    if (!cursor.Available()) {
        options.m_bRecordMouse = 0;
    }
    // The frame that nobody sees: the area grown by the frame's border, or the active window.
    CX11WindowSource windows(x11);
    const SScreenRect virtualScreen = screen.VirtualScreen();
    const SScreenRect frame =
        area.width > 0 ? SScreenRect{area.x - 3, area.y - 3, area.width + 6, area.height + 6}
                       : SScreenRect{};
    CHeadlessCaptureArea captureArea(frame, virtualScreen, followActive ? &windows : nullptr);
    if (choice.mode == ECaptureMode::ActiveWindow && !captureArea.SnapToActiveWindow()) {
        return Failure(kName, "there is no active window to record");
    }
    options.m_bFollowActiveWindow = followActive ? 1 : 0;
    grabber.SetCaptureArea(choice, &captureArea);
    grabber.SetOptions(options);
    grabber.SetTempDir(dir);
    grabber.SetCaptureRect(rect);
    grabber.SetFreeSpace(FreeDiskBytes(dir));

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // `quillo stop` and its other codes reach the recording through this socket.
    CCommandSocket commands;
    if (!commands.Listen(RecorderSocketPath())) {
        std::fprintf(stderr, "quillo record: %s quillo stop cannot reach this recording.\n",
                     commands.Error().c_str());
    }
    const CHeadlessRecorder::EEnd end =
        recorder.Record(grabber, static_cast<uint32_t>(seconds * 1000), &g_interrupted, &commands);
    commands.Close();
    if (end == CHeadlessRecorder::EEnd::Failed) {
        grabber.Stream().Discard();
        return Failure(kName, "the recording could not be made");
    }
    SCaptureFiles files;
    if (!grabber.Stream().Stop(files)) {
        // A refused write leaves a gap in the capture file, which only a recovery reads.
        return Failure(kName, std::string(end == CHeadlessRecorder::EEnd::DiskFull
                                              ? "the disk is full"
                                              : "the capture files could not be written") +
                                  ": the recording was not saved as " + out + "; " +
                                  KeptText(files, false));
    }

    // Nobody edits a recording of this command: its durations are rounded as the editor
    // rounds those of a fresh recording, before the project is written.
    QuantiseRecordedDurations(project, false);
    g_pSaving.store(&prompter);
    CProjectFile projectFile(project, prompter);
    const bool bSaved = projectFile.SaveNewRecording(files, out);
    g_pSaving.store(nullptr);

    int64_t hundredths = 0;
    uint32_t keyFrames = 0;
    for (const CFrameInfo* f = project.FirstFrame(); f != nullptr; f = f->m_pNext) {
        hundredths += f->m_nDuration;
        keyFrames += f->m_bKeyFrame;
    }
    const SScreenRect& r = grabber.CaptureRect();
    std::printf("recorded   %d,%d %dx%d (%s)\n", r.x, r.y, r.width, r.height, EndText(end));
    if (grabber.Panning() && project.FirstFrame() != nullptr) {
        std::printf("panned     from %u,%u to %u,%u\n", project.FirstFrame()->m_nPanX,
                    project.FirstFrame()->m_nPanY, project.LastFrame()->m_nPanX,
                    project.LastFrame()->m_nPanY);
    }
    std::printf("input      %s\n", recorder.InputWasActive() ? "clicks and keys" : "none");
    std::printf("frames     %u (%u key frames)\n", project.FrameCount(), keyFrames);
    std::printf("duration   %lld.%02lld s\n", static_cast<long long>(hundredths / 100),
                static_cast<long long>(hundredths % 100));
    std::printf("cursors    %zu\n", project.m_CursorImages.m_Images.size());
    std::printf("pictures   %llu bytes\n", static_cast<unsigned long long>(files.nDataBytes));
    if (!bSaved) {
        std::fflush(stdout);
        return Failure(
            kName,
            std::string(end == CHeadlessRecorder::EEnd::DiskFull ? "the disk is full: " : "") +
                "the recording was not saved as " + out + "; " + KeptText(files, true));
    }
    // The saved project is read back, as the editor would open it after a recording.
    CDemoProject saved;
    CProjectFile check(saved, prompter, {.bReadOnly = true});
    if (!check.Open(out)) {
        std::fflush(stdout);
        return Failure(kName, "Unable to open captured demo.");
    }
    std::printf("saved      %s\n", out.c_str());
    if (end == CHeadlessRecorder::EEnd::DiskFull) {
        return Failure(kName,
                       "the disk is full: the recording stopped early; what was recorded "
                       "up to then is saved as " +
                           out);
    }
    return kExitOk;
}
