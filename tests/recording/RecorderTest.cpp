// The recording controller on an in-memory screen with a clock that moves only when told: its
// codes and keys in every state, pause and snapshot timing, chapters, and the four answers of
// the stop dialog down to the files they leave behind.
#include "recording/Recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/InputEvents.h"
#include "platform/RecordingClock.h"
#include "platform/ScriptedPrompter.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "recording/ScreenGrabber.h"
#include "tests/recording/FakeCursorSource.h"
#include "tests/recording/FakeScreen.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class CFakeRecorderWindow : public IRecorderWindow {
public:
    void PrepareRecording(SRecorderSetup&) override { ++m_nPrepared; }
    void Post(std::function<void()> task) override { m_posted.push_back(std::move(task)); }
    bool ArmTimer(uint32_t ms) override {
        m_bArmed = true;
        m_nArmedMs = ms;
        return true;
    }
    void KillTimer() override { m_bArmed = false; }
    void Beep() override { ++m_nBeeps; }
    void PlaySnapshotSound() override { ++m_nSnapshotSounds; }
    void FocusStartButton() override { ++m_nFocusStart; }
    bool EditorOpen() const override { return m_bEditorOpen; }
    void ShowHint(EHint hint) override { m_hints.push_back(hint); }
    void MinimiseToTray() override { m_strLook = "tray"; }
    void HideWindow() override { m_strLook = "hidden"; }
    void RestoreWindow() override { m_strLook = "shown"; }
    void SetOnTop(bool bOnTop) override { m_nOnTop += bOnTop ? 1 : 0; }
    EStopAnswer AskStop() override {
        ++m_nStopDialogs;
        if (m_answers.empty()) {
            ADD_FAILURE() << "the stop dialog was not expected";
            return EStopAnswer::ContinueRecording;
        }
        const EStopAnswer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    bool OpenRecordedProject(const std::string& fileName) override {
        m_opened.push_back(fileName);
        return m_bOpenWorks;
    }
    void SaveSettings() override { ++m_nSettingsSaved; }
    void StartNewInstance() override { ++m_nNewInstances; }
    void CloseProgram() override { ++m_nCloses; }
    void CloseProgramUnsaved() override {
        ++m_nCloses;
        ++m_nUnsavedCloses;
    }

    // Handles the posted messages, as the event loop would.
    void RunPosted() {
        while (!m_posted.empty()) {
            auto task = std::move(m_posted.front());
            m_posted.pop_front();
            task();
        }
    }

    int m_nPrepared = 0;
    std::deque<std::function<void()>> m_posted;
    bool m_bArmed = false;
    uint32_t m_nArmedMs = 0;
    int m_nBeeps = 0;
    int m_nSnapshotSounds = 0;
    int m_nFocusStart = 0;
    bool m_bEditorOpen = false;
    std::vector<EHint> m_hints;
    std::string m_strLook = "shown";
    int m_nOnTop = 0;
    std::deque<EStopAnswer> m_answers;
    int m_nStopDialogs = 0;
    std::vector<std::string> m_opened;
    bool m_bOpenWorks = true;
    int m_nSettingsSaved = 0;
    int m_nNewInstances = 0;
    int m_nCloses = 0;
    int m_nUnsavedCloses = 0;
};

class CFakeTray : public ITray {
public:
    void Show(ETrayIcon icon) override { m_shown = icon; }
    ETrayIcon Shown() const override { return m_shown; }
    ETrayIcon m_shown = ETrayIcon::None;
};

class CFakeFrame : public ICaptureFrame {
public:
    SScreenRect WindowRect() const override { return m_rect; }
    void SetRecordingLook(bool bPaused) override { m_bPausedLook = bPaused; }
    void StopTracking() override { ++m_nTrackingStops; }
    void ShowFrame() override { m_bVisible = true; }
    void HideFrame() override { m_bVisible = false; }
    bool RaiseTrackedWindow() override {
        ++m_nRaises;
        return true;
    }

    SScreenRect m_rect{17, 7, 106, 86};  // a 100 × 80 capture at (20, 10)
    bool m_bPausedLook = false;
    bool m_bVisible = true;
    int m_nTrackingStops = 0;
    int m_nRaises = 0;
};

class CFakeInput : public IInputSource {
public:
    bool Start() override {
        ++m_nStarts;
        return m_bWorks;
    }
    void Stop() override { ++m_nStops; }
    bool m_bWorks = true;
    int m_nStarts = 0;
    int m_nStops = 0;
};

class RecorderTest : public ::testing::Test {
protected:
    void Make(SRecorderSetup setup = {}) {
        if (setup.tempDir.empty()) {
            setup.tempDir = m_dir.Path().string();
        }
        setup.pFrame = m_bFullScreen ? nullptr : &m_frame;
        setup.saveHooks.freeSpace = [](const std::string&) { return std::nullopt; };
        m_recorder = std::make_unique<CRecorder>(
            SRecorderServices{*m_pProject, m_window, m_tray, m_prompter, m_events, m_flags,
                              &m_inputSource, m_narration},
            std::move(setup));
        m_grabber = std::make_unique<CScreenGrabber>(
            CScreenGrabber::SServices{*m_pProject, m_screen, m_cursor, m_events, m_clock,
                                      m_prompter, *m_recorder},
            m_flags);
        CRecordingOptions options;
        options.m_bRecordMouse = 0;
        m_grabber->SetOptions(options);
        m_recorder->AttachGrabber(*m_grabber);
    }

    // The capture timer fires once ms after the last tick, then the posted messages run.
    void Tick(uint32_t ms = 50) {
        m_clock.Advance(ms);
        if (m_window.m_bArmed) {
            m_window.m_bArmed = false;
            m_grabber->OnCaptureTick(false);
        }
        m_window.RunPosted();
    }
    void Ticks(int n, uint32_t ms = 50) {
        for (int i = 0; i < n; ++i) {
            Tick(ms);
        }
    }
    void Code(int code) {
        m_recorder->OnRecorderCommand(code);
        m_window.RunPosted();
    }
    void Change(uint32_t colour) { m_screen.Fill(40, 30, 20, 20, colour); }
    // Starts and runs until the first frame exists.
    void StartAndGrab() {
        Code(kHotkeyPause);
        Tick(200);
        ASSERT_EQ(m_pProject->FrameCount(), 1u);
    }

    std::vector<std::string> TempFiles() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir.Path())) {
            const std::string name = e.path().filename().string();
            if (name.starts_with("DMO") || name.starts_with("DIX")) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::u16string ChapterOf(uint32_t index) const {
        const CFrameInfo* f = m_pProject->FrameAt(index);
        return f != nullptr && f->HasChapter() ? std::u16string(CChapter(*f).Title())
                                               : std::u16string();
    }

    CTempDir m_dir;
    CFakeScreen m_screen{160, 120};
    CFakeCursorSource m_cursor;
    CInputEvents m_events;
    CManualClock m_clock{100000};
    CScriptedPrompter m_prompter;
    std::unique_ptr<CDemoProject> m_pProject = std::make_unique<CDemoProject>();
    SRecorderFlags m_flags;
    CFakeRecorderWindow m_window;
    CFakeTray m_tray;
    CFakeFrame m_frame;
    CFakeInput m_input;
    CInputEventSource m_inputSource{m_input};
    CNoNarration m_narration;
    bool m_bFullScreen = false;
    std::unique_ptr<CRecorder> m_recorder;
    std::unique_ptr<CScreenGrabber> m_grabber;
};

TEST_F(RecorderTest, CodesBeforeAnyRecordingBeepOrStartOne) {
    struct SCase {
        const char* name;
        bool bEditorOpen;
        int code;  // 0: Print Screen
        bool bStarts;
        int nBeeps;
        int nFocusStart;
    };
    const SCase cases[] = {
        {"stop", false, kHotkeyStop, false, 1, 1},
        {"chapter", false, kHotkeyChapter, false, 1, 0},
        {"tray", false, kHotkeyTray, false, 0, 0},
        {"unknown", false, 5, false, 1, 0},
        {"pause", false, kHotkeyPause, true, 0, 0},
        {"print screen", false, 0, true, 0, 0},
        // A recording never writes into a project open in the editor.
        {"pause with a project open", true, kHotkeyPause, false, 1, 0},
        {"print screen with a project open", true, 0, false, 1, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_window = CFakeRecorderWindow();
        m_window.m_bEditorOpen = c.bEditorOpen;
        m_flags.snapshot = false;
        Make();
        if (c.code == 0) {
            m_recorder->OnPrintScreen();
        } else {
            Code(c.code);
        }
        EXPECT_EQ(m_recorder->Started(), c.bStarts);
        EXPECT_EQ(m_window.m_bArmed, c.bStarts);
        EXPECT_EQ(m_window.m_nBeeps, c.nBeeps);
        EXPECT_EQ(m_window.m_nFocusStart, c.nFocusStart);
        EXPECT_EQ(m_tray.Shown(), c.bStarts ? ETrayIcon::Recording : ETrayIcon::None);
        EXPECT_EQ(m_flags.snapshot.load(), c.bStarts && c.code == 0);
        m_recorder.reset();
        m_grabber.reset();
        m_tray.m_shown = ETrayIcon::None;
    }
}

TEST_F(RecorderTest, StartMovesTheWindowAwayAndCapturesInsideTheFrame) {
    Make();
    m_recorder->StartRecording();
    EXPECT_EQ(m_window.m_hints, std::vector<EHint>{EHint::Recording});
    EXPECT_EQ(m_window.m_strLook, "tray");
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::Recording);
    EXPECT_EQ(m_window.m_nArmedMs, CScreenGrabber::kFirstTickDelayMs);
    EXPECT_TRUE(m_recorder->InputActive());
    EXPECT_EQ(m_frame.m_nTrackingStops, 1);
    EXPECT_FALSE(m_frame.m_bPausedLook);
    const SScreenRect r = m_grabber->CaptureRect();
    EXPECT_EQ(r.x, 20);
    EXPECT_EQ(r.y, 10);
    EXPECT_EQ(r.width, 100);
    EXPECT_EQ(r.height, 80);
    // A second start changes nothing.
    m_recorder->StartRecording();
    EXPECT_EQ(m_window.m_hints.size(), 1u);
}

TEST_F(RecorderTest, HiddenRecordingShowsNoTrayIconInAnyState) {
    Make({.bHidden = true});
    StartAndGrab();
    EXPECT_EQ(m_window.m_strLook, "hidden");
    Code(kHotkeyPause);
    Code(kHotkeyTray);
    Code(kHotkeyTray);
    Code(kHotkeyPause);
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::None);
}

TEST_F(RecorderTest, PauseSwapsIconsAndResumeCapturesWhereTheFrameWasMoved) {
    Make();
    StartAndGrab();
    Code(kHotkeyPause);
    EXPECT_TRUE(m_recorder->Paused());
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::Paused);
    EXPECT_TRUE(m_frame.m_bPausedLook);
    // The user drags the frame while paused.
    m_frame.m_rect.x = 47;
    m_frame.m_rect.y = 27;
    Ticks(3);
    Code(kHotkeyPause);
    EXPECT_FALSE(m_recorder->Paused());
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::Recording);
    EXPECT_FALSE(m_frame.m_bPausedLook);
    // Without narration the pause is part of the timing: no new segment.
    EXPECT_FALSE(m_flags.restart.load());
    const SScreenRect r = m_grabber->CaptureRect();
    EXPECT_EQ(r.x, 50);
    EXPECT_EQ(r.y, 30);
    EXPECT_EQ(r.width, 100);
    EXPECT_EQ(r.height, 80);
}

TEST_F(RecorderTest, TrayKeyWhilePausedHidesTheIconAndTheFlagOutlivesTheResume) {
    Make();
    StartAndGrab();
    Code(kHotkeyPause);
    Code(kHotkeyTray);
    EXPECT_FALSE(m_recorder->TrayVisible());
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::None);
    Code(kHotkeyPause);
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::None);
    Code(kHotkeyTray);
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::Recording);
}

TEST_F(RecorderTest, TenSecondPauseLengthensTheFrameShownWhenItBegan) {
    Make();
    StartAndGrab();
    Change(0xFF0000);
    Tick();
    ASSERT_EQ(m_pProject->FrameCount(), 2u);
    Ticks(4);
    Code(kHotkeyPause);
    Ticks(200);  // 10 s paused
    Code(kHotkeyPause);
    Tick();
    Change(0x00FF00);
    Tick();
    ASSERT_EQ(m_pProject->FrameCount(), 3u);
    // 4 ticks before, 10 s paused, 2 ticks after: about 1000 hundredths more than the ticks.
    const int32_t d = m_pProject->FrameAt(1)->m_nDuration;
    EXPECT_GE(d, 1000);
    EXPECT_LE(d, 1040);
}

TEST_F(RecorderTest, ChapterKeyHeadsTheLastFrameAndCountsOn) {
    Make();
    Code(kHotkeyPause);
    // Before the first frame there is nothing to head.
    Code(kHotkeyChapter);
    EXPECT_EQ(m_window.m_nBeeps, 1);
    EXPECT_EQ(m_recorder->Chapters(), 0);
    Tick(200);
    Code(kHotkeyChapter);
    Change(0xFF0000);
    Tick();
    Code(kHotkeyChapter);
    EXPECT_EQ(ChapterOf(0), u"Chapter 1");
    EXPECT_EQ(ChapterOf(1), u"Chapter 2");
    EXPECT_EQ(m_pProject->FrameAt(1)->m_nChapterLen, 9);
    // Twice on the same frame: the later number stays.
    Code(kHotkeyChapter);
    EXPECT_EQ(ChapterOf(1), u"Chapter 3");
    EXPECT_EQ(m_window.m_nSnapshotSounds, 3);
    EXPECT_EQ(m_window.m_nBeeps, 1);
    // While the options dialog is open the key only beeps.
    m_recorder->SetBusy(true);
    Code(kHotkeyChapter);
    Code(kHotkeyPause);
    EXPECT_EQ(m_window.m_nBeeps, 3);
    EXPECT_FALSE(m_recorder->Paused());
}

TEST_F(RecorderTest, EachPrintScreenWhilePausedAddsExactlyOneFrame) {
    Make();
    StartAndGrab();
    Code(kHotkeyPause);
    Ticks(3);
    for (uint32_t n = 2; n <= 4; ++n) {
        m_recorder->OnPrintScreen();
        EXPECT_FALSE(m_recorder->Paused());
        Ticks(4);
        EXPECT_TRUE(m_recorder->Paused());
        EXPECT_EQ(m_pProject->FrameCount(), n);
    }
}

TEST_F(RecorderTest, PrintScreenWhileIdleRecordsOneFrameAndPauses) {
    Make();
    m_recorder->OnPrintScreen();
    EXPECT_TRUE(m_recorder->Started());
    Tick(200);
    Ticks(5);
    EXPECT_TRUE(m_recorder->Paused());
    EXPECT_EQ(m_pProject->FrameCount(), 1u);
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::Paused);
}

TEST_F(RecorderTest, StopAndSaveWritesTheProjectAndOpensIt) {
    Make();
    StartAndGrab();
    Change(0xFF0000);
    Ticks(2);
    const std::string saved = m_dir.File("made.lumo");
    m_prompter.QueueFileName(saved);
    m_window.m_answers = {EStopAnswer::StopAndSave};
    m_recorder->OnUserMessage(kUserStop);  // the tray icon's click
    EXPECT_FALSE(m_window.m_bArmed);
    EXPECT_EQ(m_input.m_nStops, 1);
    EXPECT_FALSE(m_recorder->Running());
    EXPECT_EQ(m_window.m_opened, std::vector<std::string>{saved});
    EXPECT_EQ(m_window.m_strLook, "shown");
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::None);
    EXPECT_EQ(m_window.m_hints.back(), EHint::Creating);
    EXPECT_EQ(m_window.m_nOnTop, 1);
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(m_window.m_nCloses, 0);
    // The final tick adds the last picture as a frame.
    EXPECT_EQ(m_pProject->FrameCount(), 3u);
}

TEST_F(RecorderTest, CancelledSaveOffersTheDialogAgainAndTheRecordingCanGoOn) {
    Make();
    StartAndGrab();
    m_prompter.QueueFileName(std::nullopt);
    m_window.m_answers = {EStopAnswer::StopAndSave, EStopAnswer::ContinueRecording};
    Code(kHotkeyPause);  // paused when stopped: "Continue Recording" resumes
    Code(kHotkeyStop);
    EXPECT_EQ(m_window.m_nStopDialogs, 2);
    EXPECT_TRUE(m_recorder->Running());
    EXPECT_FALSE(m_recorder->Stopping());
    EXPECT_FALSE(m_recorder->Paused());
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::Recording);
    EXPECT_TRUE(m_flags.restart.load());
    EXPECT_EQ(m_input.m_nStarts, 2);
    EXPECT_EQ(TempFiles().size(), 2u);
    // The same files take the rest of the recording, and the project has all of it.
    Tick(200);
    Change(0x0000FF);
    Ticks(2);
    const uint32_t frames = m_pProject->FrameCount();
    const std::string saved = m_dir.File("continued.lumo");
    m_prompter.QueueFileName(saved);
    m_window.m_answers = {EStopAnswer::StopAndSave};
    Code(kHotkeyStop);
    ASSERT_EQ(m_window.m_opened, std::vector<std::string>{saved});
    CDemoProject reopened;
    CScriptedPrompter quiet;
    CProjectFile file(reopened, quiet, {.bReadOnly = true});
    ASSERT_TRUE(file.Open(saved)) << quiet.Transcript();
    EXPECT_EQ(reopened.FrameCount(), frames + 1);
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(RecorderTest, AnswersThatThrowTheRecordingAway) {
    struct SCase {
        const char* name;
        std::deque<EStopAnswer> answers;
        std::vector<EMsgAnswer> replies;
        int nNewInstances;
        int nCloses;
    };
    const SCase cases[] = {
        {"new recording, no, then yes",
         {EStopAnswer::NewRecording, EStopAnswer::NewRecording},
         {EMsgAnswer::No, EMsgAnswer::Yes},
         1,
         0},
        {"exit without saving", {EStopAnswer::Exit}, {EMsgAnswer::No}, 0, 1},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_window = CFakeRecorderWindow();
        m_pProject = std::make_unique<CDemoProject>();
        m_prompter = CScriptedPrompter();
        m_flags.paused = false;
        Make();
        StartAndGrab();
        m_window.m_answers = c.answers;
        for (EMsgAnswer a : c.replies) {
            m_prompter.QueueAnswer(a);
        }
        Code(kHotkeyStop);
        EXPECT_EQ(m_window.m_nStopDialogs, static_cast<int>(c.answers.size()));
        EXPECT_EQ(m_window.m_nNewInstances, c.nNewInstances);
        EXPECT_EQ(m_window.m_nCloses, c.nCloses);
        EXPECT_EQ(m_window.m_nSettingsSaved, 1);
        EXPECT_TRUE(TempFiles().empty());
        EXPECT_FALSE(m_frame.m_bVisible);
        EXPECT_EQ(m_tray.Shown(), ETrayIcon::None);
        EXPECT_TRUE(m_window.m_opened.empty());
        ASSERT_FALSE(m_prompter.Messages().empty());
        const SPromptMessage& asked = m_prompter.Messages().front();
        if (c.nNewInstances > 0) {
            EXPECT_EQ(asked.text, kDiscardText);
            EXPECT_EQ(asked.caption, kDiscardCaption);
            EXPECT_EQ(asked.defaultAnswer, EMsgAnswer::No);
        } else {
            EXPECT_EQ(asked.text, kSaveBeforeExitText);
            EXPECT_EQ(asked.caption, "Quillo");
        }
        m_recorder.reset();
        m_grabber.reset();
        m_frame.m_bVisible = true;
    }
}

TEST_F(RecorderTest, ExitWithSavingSavesAndCloses) {
    Make();
    StartAndGrab();
    const std::string saved = m_dir.File("exit.lumo");
    m_prompter.QueueFileName(saved);
    m_prompter.QueueAnswer(EMsgAnswer::Yes);
    m_window.m_answers = {EStopAnswer::Exit};
    Code(kHotkeyStop);
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(m_window.m_nCloses, 1);
    EXPECT_EQ(m_tray.Shown(), ETrayIcon::None);
}

TEST_F(RecorderTest, SaveThatCannotReadItsFilesDiscardsAndStartsAfresh) {
    Make();
    StartAndGrab();
    for (const std::string& name : TempFiles()) {
        fs::remove(m_dir.File(name));
    }
    m_window.m_answers = {EStopAnswer::StopAndSave};
    Code(kHotkeyStop);
    EXPECT_EQ(m_window.m_nNewInstances, 1);
    EXPECT_EQ(m_window.m_nStopDialogs, 1);
}

TEST_F(RecorderTest, DiskFullStopsWithItsWarningAndStopsAgainAfterContinue) {
    Make();
    StartAndGrab();
    m_grabber->SetFreeSpace(CScreenGrabber::kDiskReserve - 1);
    m_window.m_answers = {EStopAnswer::ContinueRecording, EStopAnswer::Exit};
    // Both disk-full warnings, then "Save recording before exiting ?" answered with No.
    for (EMsgAnswer a : {EMsgAnswer::Ok, EMsgAnswer::Ok, EMsgAnswer::No}) {
        m_prompter.QueueAnswer(a);
    }
    Tick();
    ASSERT_EQ(m_window.m_nStopDialogs, 1);
    ASSERT_GE(m_prompter.Messages().size(), 1u);
    EXPECT_EQ(m_prompter.Messages()[0].text, kDiskFullText);
    EXPECT_EQ(m_prompter.Messages()[0].caption, kDiskFullCaption);
    EXPECT_EQ(m_prompter.Messages()[0].icon, EMsgIcon::Warning);
    EXPECT_TRUE(m_recorder->Running());
    Tick(200);
    EXPECT_EQ(m_window.m_nStopDialogs, 2);
    EXPECT_EQ(m_window.m_nCloses, 1);
}

TEST_F(RecorderTest, PresetRecordingSavesWithoutAskingThenClosesOrEdits) {
    for (bool bContinue : {false, true}) {
        SCOPED_TRACE(bContinue ? "/c" : "no /c");
        m_window = CFakeRecorderWindow();
        m_pProject = std::make_unique<CDemoProject>();
        m_prompter = CScriptedPrompter();
        const std::string saved = m_dir.File(bContinue ? "edit" : "closed");
        Make({.presetFile = saved, .bContinueToEditor = bContinue});
        m_events.Save().Set();
        StartAndGrab();
        Code(kHotkeyStop);
        EXPECT_EQ(m_window.m_nStopDialogs, 0);
        EXPECT_TRUE(m_prompter.FileRequests().empty());
        EXPECT_EQ(m_window.m_opened, std::vector<std::string>{saved + ".lumo"});
        EXPECT_TRUE(fs::exists(saved + ".lumo"));
        EXPECT_TRUE(TempFiles().empty());
        EXPECT_EQ(m_window.m_nCloses, bContinue ? 0 : 1);
        EXPECT_EQ(m_events.Save().Wait(0), bContinue);
        m_events.Save().Reset();
        m_recorder.reset();
        m_grabber.reset();
    }
}

TEST_F(RecorderTest, PresetSaveThatFailsKeepsTheCaptureFilesForRecovery) {
    Make({.presetFile = m_dir.File("no/such/folder/out.lumo")});
    StartAndGrab();
    Code(kHotkeyStop);
    EXPECT_EQ(m_window.m_nUnsavedCloses, 1);
    EXPECT_TRUE(m_window.m_opened.empty());
    const std::vector<std::string> kept = TempFiles();
    ASSERT_EQ(kept.size(), 2u);
    const std::string transcript = m_prompter.Transcript();
    EXPECT_NE(transcript.find("Unable to open output file."), std::string::npos);
    // The last message says where the recording is and how to get it back.
    ASSERT_FALSE(m_prompter.Messages().empty());
    const std::string& said = m_prompter.Messages().back().text;
    for (const std::string& name : kept) {
        EXPECT_NE(said.find(name), std::string::npos) << said;
    }
    EXPECT_NE(said.find("quillo recover"), std::string::npos) << said;
}

TEST_F(RecorderTest, DiskThatRefusesTheCaptureKeepsItsFilesAndSaysHowToRecoverThem) {
    Make({.leftoverDir = m_dir.Path().string()});
    StartAndGrab();
    Tick();
    std::vector<std::string> kept = TempFiles();
    std::sort(kept.begin(), kept.end());  // the index file, then the capture file
    ASSERT_EQ(kept.size(), 2u);
    const std::string data = m_dir.File(kept[1]);
    const auto nWritten = fs::file_size(data);
    ASSERT_GT(nWritten, 0u);
    m_window.m_answers = {EStopAnswer::StopAndSave};
    {
        CFileSizeLimit full(nWritten);
        for (uint32_t colour : {0x102030u, 0x405060u, 0x708090u}) {
            Change(colour);
            Ticks(12);
        }
    }
    EXPECT_EQ(m_window.m_nStopDialogs, 1);
    EXPECT_EQ(m_window.m_nUnsavedCloses, 1);
    EXPECT_EQ(m_window.m_nNewInstances, 0);
    EXPECT_FALSE(m_recorder->Running());
    // Nothing that reached the disk is thrown away.
    std::vector<std::string> left = TempFiles();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, kept);
    EXPECT_EQ(fs::file_size(data), nWritten);
    ASSERT_GE(m_prompter.Messages().size(), 2u);
    EXPECT_EQ(m_prompter.Messages()[0].text, kDiskFullText);
    const SPromptMessage& said = m_prompter.Messages().back();
    EXPECT_EQ(said.caption, kDiskFullCaption);
    EXPECT_NE(said.text.find(data), std::string::npos) << said.text;
    EXPECT_NE(said.text.find(m_dir.File(kept[0])), std::string::npos) << said.text;
    EXPECT_NE(said.text.find("recover them when it next starts"), std::string::npos);
    EXPECT_NE(said.text.find("quillo recover " + data), std::string::npos) << said.text;
    EXPECT_EQ(m_prompter.Transcript().find("Unable to open temporary capture file."),
              std::string::npos);
}

TEST_F(RecorderTest, SavedProjectThatCannotBeOpenedClosesTheProgram) {
    Make();
    StartAndGrab();
    m_prompter.QueueFileName(m_dir.File("unopened.lumo"));
    m_window.m_answers = {EStopAnswer::StopAndSave};
    m_window.m_bOpenWorks = false;
    Code(kHotkeyStop);
    ASSERT_FALSE(m_prompter.Messages().empty());
    EXPECT_EQ(m_prompter.Messages().back().text, kCannotOpenCapturedText);
    EXPECT_EQ(m_prompter.Messages().back().caption, "Quillo");
    EXPECT_EQ(m_window.m_nCloses, 1);
}

TEST_F(RecorderTest, SessionEndSavesAPresetRecordingAndKeepsAnyOtherForRecovery) {
    for (bool bPreset : {true, false}) {
        SCOPED_TRACE(bPreset ? "preset" : "asked");
        m_window = CFakeRecorderWindow();
        m_pProject = std::make_unique<CDemoProject>();
        SRecorderSetup setup;
        const std::string saved = m_dir.File(bPreset ? "ended.lumo" : "never.lumo");
        if (bPreset) {
            setup.presetFile = saved;
        }
        Make(setup);
        StartAndGrab();
        m_recorder->EndSession();
        EXPECT_FALSE(m_recorder->Running());
        EXPECT_EQ(m_window.m_nStopDialogs, 0);
        EXPECT_EQ(fs::exists(saved), bPreset);
        EXPECT_EQ(TempFiles().size(), bPreset ? 0u : 2u);
        m_recorder.reset();
        m_grabber.reset();
    }
}

TEST_F(RecorderTest, HotKeysPostTheirCodesAndPrintScreenActsAtOnce) {
    Make();
    m_recorder->OnHotKey(EHotKey::Pause);
    EXPECT_FALSE(m_recorder->Started());
    m_window.RunPosted();
    EXPECT_TRUE(m_recorder->Started());
    Tick(200);
    m_recorder->OnHotKey(EHotKey::Pause);
    m_recorder->OnHotKey(EHotKey::Snapshot);
    // Print Screen was handled before the posted pause.
    EXPECT_TRUE(m_flags.snapshot.load());
    EXPECT_FALSE(m_recorder->Paused());
    m_window.RunPosted();
    EXPECT_TRUE(m_recorder->Paused());
}

}  // namespace
