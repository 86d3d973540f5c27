#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <clocale>
#include <filesystem>
#include <string>

#include "tests/project/file/ProjectFileTestSupport.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class ProjectFileSaveTest : public ::testing::Test {
protected:
    // Records, decorates and saves a project under `name` with a preset name.
    std::string SaveRecording(const std::string& name = "demo.lumo", int nFrames = 5) {
        STestRecording rec = Record(m_project, m_dir.Path().string(), nFrames);
        m_files = rec.files;
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(m_file.SaveNewRecording(rec.files, path));
        return path;
    }

    std::unique_ptr<CDemoProject> Reopen(const std::string& path) {
        auto project = std::make_unique<CDemoProject>();
        CProjectFile file(*project, m_prompter);
        EXPECT_TRUE(file.Open(path)) << static_cast<int>(file.OpenFailure());
        return project;
    }

    CTempDir m_dir;
    CDemoProject m_project;
    CScriptedPrompter m_prompter;
    std::vector<std::string> m_recent;
    CProjectFile m_file{m_project, m_prompter,
                        SProjectFileHooks{.addRecentFile = [this](const std::string& name) {
                            m_recent.push_back(name);
                        }}};
    SCaptureFiles m_files;
};

TEST_F(ProjectFileSaveTest, NewRecordingOpensAgainWithEveryItem) {
    const std::string path = SaveRecording("demo");
    EXPECT_EQ(m_prompter.Transcript(), "");
    ASSERT_TRUE(fs::exists(m_dir.File("demo.lumo")));
    EXPECT_FALSE(fs::exists(m_files.dataPath));
    EXPECT_FALSE(fs::exists(m_files.indexPath));
    EXPECT_EQ(m_project.m_Settings.m_strOutputName, "demo");
    EXPECT_EQ(m_project.m_Settings.m_strOutputFile, m_dir.File("demo.lumo"));
    EXPECT_EQ(m_recent, std::vector<std::string>{m_dir.File("demo.lumo")});
    EXPECT_EQ(m_prompter.ProgressCaptions(), std::vector<std::string>{"Saving Quillo demo"});

    auto back = Reopen(m_dir.File("demo.lumo"));
    ExpectSameProject(m_project, *back);
    EXPECT_FALSE(back->m_bCorrupted);
    EXPECT_EQ(back->m_nStreamFrames, 5u);
    EXPECT_TRUE(back->m_bWideOffsets);
}

TEST_F(ProjectFileSaveTest, OneStreamPictureGivesATableOfThreeEntries) {
    const std::string path = SaveRecording("one.lumo", 1);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 32u);
    EXPECT_EQ(bytes[7], 0xFF);
    EXPECT_EQ(bytes[0], 22);  // the first picture starts after the stream header
    uint64_t end = 0;
    uint64_t zero = 1;
    uint64_t trailer = 0;
    for (int i = 7; i >= 0; --i) {
        end = (end << 8) | bytes[8 + i];
        zero = (i == 7 ? 0 : zero << 8) | bytes[16 + i];
        trailer = (trailer << 8) | bytes[24 + i];
    }
    EXPECT_EQ(zero, 0u);
    EXPECT_EQ(trailer, 32 + end);  // the trailer follows the stream right away
    auto back = Reopen(path);
    EXPECT_EQ(back->FrameCount(), 1u);
}

TEST_F(ProjectFileSaveTest, SaveInPlaceAfterEditsKeepsNothingOfTheLongerOldTrailer) {
    const std::string path = SaveRecording();
    ASSERT_TRUE(m_file.Open(path));
    const auto sizeBefore = fs::file_size(path);
    // Edits that shorten the trailer: fewer owned items, a shorter text, new reserved bytes.
    CFrameInfo* f = m_project.FrameAt(1);
    f->m_pSpeech.reset();
    f->m_pPicture.reset();
    f->m_pText = u"Hi";
    f->m_Reserved[5] = 0x11;
    m_project.FrameAt(3)->m_pBubbleAnimation.reset();
    m_project.m_Settings.m_strProjectFolder = "/elsewhere/";
    ASSERT_TRUE(m_file.Save());
    EXPECT_LT(fs::file_size(path), sizeBefore);

    // Whatever lies after the trailer is never read.
    std::vector<uint8_t> bytes = ReadBytes(path);
    bytes.resize(bytes.size() + 3000, 0x0A);
    WriteBytes(path, bytes);
    auto back = Reopen(path);
    ExpectSameProject(m_project, *back);

    // A longer trailer goes behind the old one and is found there.
    m_project.FrameAt(0)->m_pSpeech = std::u16string(5000, u'x');
    ASSERT_TRUE(m_file.Save());
    auto longer = Reopen(path);
    ExpectSameProject(m_project, *longer);
}

TEST_F(ProjectFileSaveTest, AnUndoneEditedPictureIsNotSaved) {
    const std::string path = SaveRecording();
    ASSERT_TRUE(m_file.Open(path));
    m_project.FrameAt(1)->m_bPictureUndone = 1;
    ASSERT_TRUE(m_file.Save());
    auto back = Reopen(path);
    EXPECT_FALSE(back->FrameAt(1)->m_pPicture.has_value());
    EXPECT_TRUE(back->FrameAt(3)->m_pPicture.has_value());
}

TEST_F(ProjectFileSaveTest, SaveAsCopiesAndTakesOverTheProject) {
    const std::string path = SaveRecording();
    ASSERT_TRUE(m_file.Open(path));
    m_project.FrameAt(2)->m_nDuration = 123;
    const std::string copy = m_dir.File("copy.lumo");
    ASSERT_TRUE(m_file.SaveAs(copy));
    EXPECT_EQ(m_project.m_pszFileName, copy);
    EXPECT_EQ(m_prompter.ProgressCaptions().back(), "Saving Quillo");
    auto back = Reopen(copy);
    ExpectSameProject(m_project, *back);
    EXPECT_EQ(back->FrameAt(2)->m_nDuration, 123);
    // The original is untouched by the copy's edits.
    EXPECT_NE(Reopen(path)->FrameAt(2)->m_nDuration, 123);

    // Saving in place now writes the copy.
    m_project.FrameAt(0)->m_nDuration = 77;
    ASSERT_TRUE(m_file.Save());
    EXPECT_EQ(Reopen(copy)->FrameAt(0)->m_nDuration, 77);

    // While removing frames the copy does not become the project.
    ASSERT_TRUE(m_file.SaveAs(m_dir.File("removed.lumo"), true));
    EXPECT_EQ(m_project.m_pszFileName, copy);
}

TEST_F(ProjectFileSaveTest, RelativeSoundNamesFollowAProjectWithSources) {
    const std::string path = SaveRecording();
    ASSERT_TRUE(m_file.Open(path));
    fs::create_directories(m_dir.Path() / "sub");
    CFrameInfo& f = *m_project.FrameAt(1);
    f.m_pszSound = m_dir.File("sounds/voice.wav");
    f.m_pszSoundRel = "elsewhere/voice.wav";

    // A project with its own pictures keeps the names it was given.
    ASSERT_TRUE(m_file.SaveAs(m_dir.File("sub/own.lumo")));
    EXPECT_EQ(Reopen(m_dir.File("sub/own.lumo"))->FrameAt(1)->m_pszSoundRel, "elsewhere/voice.wav");

    // One that reads pictures from source projects names its sounds from its new folder.
    m_project.m_Settings.m_sources = {{path, "../demo.lumo"}};
    ASSERT_TRUE(m_file.SaveAs(m_dir.File("sub/combined.lumo")));
    EXPECT_EQ(Reopen(m_dir.File("sub/combined.lumo"))->FrameAt(1)->m_pszSoundRel,
              "../sounds/voice.wav");
    m_project.FrameAt(1)->m_pszSoundRel = "stale";
    ASSERT_TRUE(m_file.Save());
    EXPECT_EQ(Reopen(m_dir.File("sub/combined.lumo"))->FrameAt(1)->m_pszSoundRel,
              "../sounds/voice.wav");
}

TEST_F(ProjectFileSaveTest, SaveAsRefusals) {
    const std::string path = SaveRecording();
    ASSERT_TRUE(m_file.Open(path));
    // Onto its own file, also under another name for the same file.
    fs::create_hard_link(path, m_dir.File("link.lumo"));
    for (const std::string& target : {path, m_dir.File("link.lumo")}) {
        EXPECT_FALSE(m_file.SaveAs(target));
    }
    EXPECT_FALSE(m_file.SaveAs(m_dir.File("missing/x.lumo")));
    ASSERT_EQ(m_prompter.Messages().size(), 3u);
    EXPECT_EQ(m_prompter.Messages()[0].text,
              "Selected file is currently in use.  Please select a different file name.   ");
    EXPECT_EQ(m_prompter.Messages()[2].text,
              "Cannot save to selected file.  Save operation aborted.   ");
    for (const auto& m : m_prompter.Messages()) {
        EXPECT_EQ(m.caption, "Save Quillo...");
        EXPECT_EQ(m.icon, EMsgIcon::Error);
    }
    ExpectSameProject(m_project, *Reopen(path));

    // A cancelled copy leaves nothing behind.
    m_prompter.CancelAfterSteps(0);
    EXPECT_FALSE(m_file.SaveAs(m_dir.File("cancelled.lumo")));
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find("cancelled"), std::string::npos);
    }
}

TEST_F(ProjectFileSaveTest, AFailedSaveInPlaceLeavesTheOldProjectOpenable) {
    const std::string path = SaveRecording();
    ASSERT_TRUE(m_file.Open(path));
    m_project.FrameAt(0)->m_pSpeech = std::u16string(100000, u'y');
    // The disk is full: nothing more than a few bytes can be added to the file.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = old;
    full.rlim_cur = fs::file_size(path) + 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool saved = m_file.Save();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(m_prompter.Messages().back().text,
              "Unable to save to selected file (disk full?).  Please select another location.    ");
    auto back = Reopen(path);
    EXPECT_FALSE(back->m_bCorrupted);
    EXPECT_FALSE(back->FrameAt(0)->m_pSpeech.has_value());
}

TEST_F(ProjectFileSaveTest, ChoosingTheNameOfANewRecording) {
    STestRecording rec = Record(m_project, m_dir.Path().string());
    bool diskFull = true;
    CProjectFile file(m_project, m_prompter,
                      SProjectFileHooks{.freeSpace = [&](const std::string&) {
                          return std::optional<uint64_t>(diskFull ? 10 : uint64_t{1} << 40);
                      }});
    // Cancelled: the recording stays in its temporary files.
    m_prompter.QueueFileName(std::nullopt);
    EXPECT_FALSE(file.SaveNewRecording(rec.files, std::nullopt));
    EXPECT_TRUE(fs::exists(rec.files.dataPath));
    const auto indexBytes = ReadBytes(rec.files.indexPath);

    // A folder that cannot take the file, a folder's own name, then a full disk, then a good
    // name.
    m_prompter.QueueFileName(m_dir.File("no/such/folder/a.lumo"));
    fs::create_directories(m_dir.File("taken.lumo"));
    m_prompter.QueueFileName(m_dir.File("taken.lumo"));
    m_prompter.QueueFileName(m_dir.File("full"));
    m_prompter.QueueFileName(m_dir.File("good"));
    m_prompter.QueueFileName(std::nullopt);
    EXPECT_FALSE(file.SaveNewRecording(rec.files, std::nullopt));
    ASSERT_EQ(m_prompter.FileRequests().size(), 6u);
    EXPECT_EQ(m_prompter.FileRequests()[0].caption, "Save Quillo movie as...");
    EXPECT_EQ(m_prompter.FileRequests()[0].filter, "Quillo file (*.lumo)");
    const std::string inUse =
        "Save Quillo...: Selected file is currently in use.  Please select a different file name.  "
        " \n";
    EXPECT_EQ(
        m_prompter.Transcript(),
        inUse + inUse +
            "Save Quillo...: Unable to save to selected file (disk full?).  Please select another "
            "location.    \n"
            "Save Quillo...: Unable to save to selected file (disk full?).  Please select another "
            "location.    \n");
    EXPECT_EQ(ReadBytes(rec.files.indexPath), indexBytes);

    // A cancelled copy keeps the temporary files too, and the next save is whole.
    diskFull = false;
    m_prompter.CancelAfterSteps(0);
    m_prompter.QueueFileName(m_dir.File("cancelled.lumo"));
    EXPECT_FALSE(file.SaveNewRecording(rec.files, std::nullopt));
    EXPECT_FALSE(fs::exists(m_dir.File("cancelled.lumo")));
    EXPECT_TRUE(fs::exists(rec.files.dataPath));
    EXPECT_EQ(ReadBytes(rec.files.indexPath), indexBytes);
    m_prompter.CancelAfterSteps(-1);
    m_prompter.QueueFileName(m_dir.File("good"));
    ASSERT_TRUE(file.SaveNewRecording(rec.files, std::nullopt));
    ExpectSameProject(m_project, *Reopen(m_dir.File("good.lumo")));
}

TEST_F(ProjectFileSaveTest, MissingCaptureFileAndOutputFolder) {
    STestRecording rec = Record(m_project, m_dir.Path().string());
    SCaptureFiles missing = rec.files;
    missing.dataPath = m_dir.File("gone.tmp");
    EXPECT_FALSE(m_file.SaveNewRecording(missing, m_dir.File("x.lumo")));
    EXPECT_FALSE(m_file.SaveNewRecording(rec.files, m_dir.File("gone/x.lumo")));
    ASSERT_EQ(m_prompter.Messages().size(), 2u);
    EXPECT_EQ(m_prompter.Messages()[0].text, "Unable to open temporary capture file.");
    EXPECT_EQ(m_prompter.Messages()[1].text, "Unable to open output file.");
    for (const auto& m : m_prompter.Messages()) {
        EXPECT_EQ(m.caption, "Quillo Error");
    }
    EXPECT_TRUE(fs::exists(rec.files.dataPath));
}

}  // namespace

namespace {

TEST(ProjectFileLocale, NumbersAreStoredInTheCLocale) {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    CTempDir dir;
    CDemoProject project;
    CScriptedPrompter prompter;
    STestRecording rec = Record(project, dir.Path().string());
    project.m_Settings.m_fPlaybackSpeed = 1.5;
    project.m_fSwfDelayScale = 0.25f;
    CProjectFile file(project, prompter);
    const bool ok = file.SaveNewRecording(rec.files, dir.File("de.lumo"));
    auto back = std::make_unique<CDemoProject>();
    CProjectFile reader(*back, prompter);
    const bool opened = reader.Open(dir.File("de.lumo"));
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_TRUE(ok);
    ASSERT_TRUE(opened);
    const std::vector<uint8_t> bytes = ReadBytes(dir.File("de.lumo"));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\n1.500000\n0.250000\n"), std::string::npos);
    EXPECT_EQ(back->m_Settings.m_fPlaybackSpeed, 1.5);
    EXPECT_EQ(back->m_fSwfDelayScale, 0.25f);
    ExpectSameProject(project, *back);
}

}  // namespace
