#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/ScriptedPrompter.h"
#include "project/store/StoreReader.h"
#include "settings/CustomDefaults.h"
#include "settings/SettingsFiles.h"
#include "tests/project/file/ProjectFileTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

class SettingsFilesTest : public ::testing::Test {
protected:
    CSettingsFiles Make() {
        return CSettingsFiles(CRegistryValues(m_dir.File("user.ini"), m_dir.File("machine.ini")),
                              m_dir.File("program"), m_dir.File("settings"));
    }
    std::string Settings(const std::string& name) { return m_dir.File("settings/" + name); }

    CTempDir m_dir;
};

CProgramState ChangedState() {
    CProgramState s;
    s.m_rcCaptureFrame = {10, 20, 30, 40};
    s.m_nCaptureMode = 2;
    s.m_strLastProjectFolder = "/home/user/My Projects/";
    s.m_nMouseFps = 7;
    s.m_bVideoHardware = 1;
    s.m_strMovieOutputName = "first demo";
    s.m_strMovieOutputFolder = "";
    s.m_strMovieOutputFile = "/out/first demo.lumo";
    s.m_bHidePanRectangle = 1;
    s.m_bZoomBeforeFrame = 0;
    s.m_recentFiles = {"/a/one.lumo", "/b/two words.lumo"};
    s.m_rcMainWindow = {5, 6, 700, 800};
    s.m_block.m_crBubble = 0x123456;
    s.m_block.m_strAboutText = "About this demo";
    s.m_defaultStyle.m_bSet = 1;
    s.m_defaultStyle.m_font[0] = '\n';
    s.m_defaultStyle.m_crBubble = 0xABCDEF;
    s.m_bExtraCompression = 1;
    s.m_strTempVideoDir = "/var/tmp/video";
    return s;
}

CProgramState ReadState(const std::string& bytes, const CTempDir& dir) {
    const std::string path = dir.File("state.ini");
    EXPECT_TRUE(WriteFileAtomically(path, bytes));
    CProgramState s;
    EXPECT_TRUE(s.ReadFile(path));
    return s;
}

TEST_F(SettingsFilesTest, FirstStartWritesConfigAndStateWithDefaults) {
    CSettingsFiles files = Make();
    files.Start();
    std::string config;
    ASSERT_TRUE(ReadSmallFile(Settings("config.txt"), config));
    EXPECT_EQ(config, CAppSettings().Serialize());
    EXPECT_EQ(config.rfind("Orvane_v7.53.47\r\n", 0), 0u);

    CProgramState expected;
    expected.m_strLastProjectFolder = Settings("Projects/");
    EXPECT_TRUE(std::filesystem::is_directory(Settings("Projects")));
    CProgramState state;
    ASSERT_TRUE(state.ReadFile(Settings("Quillomatic.ini")));
    EXPECT_EQ(state, expected);
    EXPECT_EQ(files.m_state, expected);

    files.m_settings.m_nNoiseFilter = 9;
    files.m_state.m_recentFiles = {"/x/demo.lumo"};
    ASSERT_TRUE(files.Exit());
    EXPECT_EQ(files.Registry().Version(), "t 7 47 53");

    CSettingsFiles again = Make();
    again.Start();
    EXPECT_EQ(again.m_settings.m_nNoiseFilter, 9);
    EXPECT_EQ(again.m_state.m_recentFiles, files.m_state.m_recentFiles);
}

TEST_F(SettingsFilesTest, ConfigFromTheProgramFolderIsUsedWhenTheSettingsFolderHasNone) {
    std::filesystem::create_directories(m_dir.File("program"));
    ASSERT_TRUE(WriteFileAtomically(m_dir.File("program/config.txt"), "fixed_fps=12\n"));
    CSettingsFiles files = Make();
    files.Start();
    EXPECT_EQ(files.m_settings.m_nFixedFps, 12);
    EXPECT_FALSE(std::filesystem::exists(Settings("config.txt")));
}

TEST_F(SettingsFilesTest, StateFileRoundTripsUnderAGermanLocale) {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    CProgramState written = ChangedState();
    CProgramState back = ReadState(written.Serialize(), m_dir);
    CProjectSettings project;
    project.m_fPlaybackSpeed = 0.75;
    project.m_fSwfDelayScale = 2.5;
    project.m_block.m_strMovieTitle = "Quillo";
    std::string custom = CCustomDefaults::Serialize(project);
    std::setlocale(LC_ALL, saved.c_str());

    written.m_block.m_bCreateWebPage = 1;
    EXPECT_EQ(back, written);
    EXPECT_NE(custom.find("\n0.750000\n2.500000\n"), std::string::npos);
}

TEST_F(SettingsFilesTest, StateFileKeepsTheNewestSixRecentFiles) {
    CProgramState s = ChangedState();
    s.m_recentFiles = {"1", "2", "3", "4", "5", "6", "7", "8"};
    CProgramState back = ReadState(s.Serialize(), m_dir);
    EXPECT_EQ(back.m_recentFiles, (std::vector<std::string>{"3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(back.m_defaultStyle, s.m_defaultStyle);
}

TEST_F(SettingsFilesTest, TruncatedStateFileKeepsDefaultsOfTheMissingGroups) {
    const CProgramState written = ChangedState();
    const std::string bytes = written.Serialize();

    // Cut inside the settings block: everything before it is read, the rest stays default.
    std::size_t cut = bytes.find("About this demo");
    ASSERT_NE(cut, std::string::npos);
    CProgramState partial = ReadState(bytes.substr(0, cut), m_dir);
    EXPECT_EQ(partial.m_rcCaptureFrame, written.m_rcCaptureFrame);
    EXPECT_EQ(partial.m_strMovieOutputFile, written.m_strMovieOutputFile);
    EXPECT_EQ(partial.m_recentFiles, written.m_recentFiles);
    EXPECT_EQ(partial.m_rcMainWindow, written.m_rcMainWindow);
    const CProgramState defaults;
    CSettingsBlock defaultBlock;
    EXPECT_EQ(partial.m_block, defaultBlock);
    EXPECT_EQ(partial.m_defaultStyle, defaults.m_defaultStyle);
    EXPECT_EQ(partial.m_strTempVideoDir, defaults.m_strTempVideoDir);

    // At every length the result is a prefix of the groups: once a later group is read, every
    // earlier one is too, and a group is never half read.
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        const std::string path = m_dir.File("cut.ini");
        {
            std::ofstream(path, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(n));
        }
        CProgramState s;
        ASSERT_TRUE(s.ReadFile(path));
        if (s.m_defaultStyle.m_bSet != 0) {
            EXPECT_EQ(s.m_defaultStyle, written.m_defaultStyle) << n;
            EXPECT_EQ(s.m_block.m_strAboutText, written.m_block.m_strAboutText) << n;
        }
        if (s.m_recentFiles.size() == 2) {
            EXPECT_EQ(s.m_bZoomBeforeFrame, 0) << n;
        } else {
            EXPECT_TRUE(s.m_recentFiles.empty()) << n;
        }
        if (s.m_rcCaptureFrame != defaults.m_rcCaptureFrame) {
            EXPECT_EQ(s.m_strMovieOutputFile, written.m_strMovieOutputFile) << n;
        }
        EXPECT_EQ(s.m_block.m_bCreateWebPage, 1);
    }
}

TEST_F(SettingsFilesTest, CustomDefaultsAreSavedOnYesAndAppliedWithoutProjectOnlyItems) {
    CSettingsFiles files = Make();
    CProjectSettings current;
    current.m_crControlBar = {1, 2, 3, 4, 5, 6};
    current.m_block.m_crText = 0x0000FF;
    current.m_block.m_rcHotspot = {1, 2, 3, 4};
    current.m_fPlaybackSpeed = 1.5;
    current.m_nBorderWidth = 3;

    CScriptedPrompter prompter;
    prompter.QueueAnswer(EMsgAnswer::No);
    EXPECT_FALSE(SaveCustomDefaults(prompter, files.Folder(), current));
    EXPECT_FALSE(std::filesystem::exists(Settings("QuillomaticCustom.ini")));
    prompter.QueueAnswer(EMsgAnswer::Yes);
    EXPECT_TRUE(SaveCustomDefaults(prompter, files.Folder(), current));
    ASSERT_EQ(prompter.Messages().size(), 2u);
    EXPECT_EQ(prompter.Messages()[0].text, "Save current Quillo settings as defaults ?    ");
    EXPECT_EQ(prompter.Messages()[0].caption, "Save Custom Defaults...");
    EXPECT_EQ(prompter.Messages()[0].buttons, EMsgButtons::YesNoCancel);

    CProjectSettings opened;
    opened.m_block.m_rcHotspot = {9, 9, 99, 99};
    ASSERT_TRUE(ApplyCustomDefaults(files.Folder(), opened));
    EXPECT_EQ(opened.m_crControlBar, current.m_crControlBar);
    EXPECT_EQ(opened.m_block.m_crText, 0x0000FF);
    EXPECT_DOUBLE_EQ(opened.m_fPlaybackSpeed, 1.5);
    EXPECT_EQ(opened.m_nBorderWidth, 3);
    EXPECT_EQ(opened.m_block.m_rcHotspot, (std::array<std::int32_t, 4>{9, 9, 99, 99}));

    // A damaged file changes nothing.
    std::string bytes;
    ASSERT_TRUE(ReadSmallFile(Settings("QuillomaticCustom.ini"), bytes));
    ASSERT_TRUE(
        WriteFileAtomically(Settings("QuillomaticCustom.ini"), bytes.substr(0, bytes.size() / 2)));
    CProjectSettings untouched;
    EXPECT_FALSE(ApplyCustomDefaults(files.Folder(), untouched));
    EXPECT_EQ(untouched, CProjectSettings());
}

TEST_F(SettingsFilesTest, CustomDefaultsThatCannotBeWrittenSaySo) {
    CSettingsFiles files = Make();
    std::filesystem::remove_all(m_dir.File("settings"));
    CScriptedPrompter prompter;
    prompter.QueueAnswer(EMsgAnswer::Yes);
    EXPECT_FALSE(SaveCustomDefaults(prompter, files.Folder(), CProjectSettings()));
    ASSERT_EQ(prompter.Messages().size(), 2u);
    EXPECT_EQ(prompter.Messages()[1].text, "Unable to save custom defaults    ");
    EXPECT_EQ(prompter.Messages()[1].caption, "Quillo Error");
    EXPECT_EQ(prompter.Messages()[1].icon, EMsgIcon::Error);
}

}  // namespace

namespace {

TEST(SettingsFilesProject, CustomDefaultsAreAppliedWhenAProjectIsOpened) {
    CTempDir dir;
    CSettingsFiles files(CRegistryValues(dir.File("user.ini"), dir.File("machine.ini")), "",
                         dir.File("settings"));
    files.Start();
    CProjectSettings defaults;
    defaults.m_block.m_crText = 0x0000FF;
    defaults.m_fPlaybackSpeed = 2.0;
    CScriptedPrompter prompter;
    prompter.QueueAnswer(EMsgAnswer::Yes);
    ASSERT_TRUE(SaveCustomDefaults(prompter, files.Folder(), defaults));

    CDemoProject recorded;
    STestRecording rec = Record(recorded, dir.Path().string(), 3, false);
    CProjectFile saver(recorded, prompter);
    ASSERT_TRUE(saver.SaveNewRecording(rec.files, dir.File("p.lumo")));

    for (bool use : {false, true}) {
        SCOPED_TRACE(use);
        files.m_settings.m_bUseCustomDefaults = use;
        CDemoProject project;
        CProjectFile file(project, prompter, files.ProjectFileHooks());
        ASSERT_TRUE(file.Open(dir.File("p.lumo")));
        EXPECT_EQ(project.m_crDefaultText, use ? 0x0000FF : 0);
        EXPECT_EQ(project.m_Settings.m_fPlaybackSpeed, use ? 2.0 : 1.5);
    }
}

}  // namespace
