#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/AtomicFile.h"
#include "settings/AppSettings.h"
#include "tests/support/TempDir.h"

namespace {

struct SParseCase {
    const char* name;
    std::string text;
    std::function<void(const CAppSettings&)> check;
};

TEST(AppSettings, WritesEveryKeyInOrderWithTheHeader) {
    CAppSettings s;
    s.m_strTempDirectory = "/var/tmp/";
    s.m_fDelayScale = 0.5;
    s.m_bExportTimingData = true;
    const std::string expected =
        "Orvane_v7.53.47\r\n"
        "temp_directory=/var/tmp/\r\n"
        "delay_scale=0.500000\r\n"
        "delay_minimum=300\r\n"
        "fixed_fps=0\r\n"
        "export_timing_data=Y\r\n"
        "record_auto_detect=Y\r\n"
        "record_frequency=11025\r\n"
        "record_channels=1\r\n"
        "record_bits=16\r\n"
        "continue_playing=N\r\n"
        "enable_sync_sound=N\r\n"
        "continuous_recording=N\r\n"
        "search_long_delays=N\r\n"
        "long_delay_minimum=50\r\n"
        "allow_resync=N\r\n"
        "noise_filter=0\r\n"
        "alternate_pause=N\r\n"
        "zoom_pan_rate=200\r\n"
        "use_custom_defaults=N\r\n";
    EXPECT_EQ(s.Serialize(), expected);
    s.m_bSecureLoad = true;
    EXPECT_EQ(s.Serialize(), expected + "secure_load=Y\r\n");
}

TEST(AppSettings, ReadsLinesLeniently) {
    CTempDir dir;
    const std::string folder = dir.Path().string();
    const std::string missing = folder + "/not-there";
    const SParseCase cases[] = {
        {"half delay scale", "delay_scale=0.5\n",
         [](const CAppSettings& s) { EXPECT_DOUBLE_EQ(s.m_fDelayScale, 0.5); }},
        {"non-numeric delay scale reads as 0", "delay_scale=fast\n",
         [](const CAppSettings& s) { EXPECT_DOUBLE_EQ(s.m_fDelayScale, 0.0); }},
        {"leading digits of an integer", "delay_minimum=250ms\r\n",
         [](const CAppSettings& s) { EXPECT_EQ(s.m_nDelayMinimum, 250); }},
        {"only the first letter of a switch counts", "export_timing_data=yes\n",
         [](const CAppSettings& s) { EXPECT_TRUE(s.m_bExportTimingData); }},
        {"a switch without value is off", "export_timing_data=Y\nexport_timing_data=\n",
         [](const CAppSettings& s) { EXPECT_FALSE(s.m_bExportTimingData); }},
        {"sound values are truncated", "record_frequency=22050.9\nrecord_bits=8.5\n",
         [](const CAppSettings& s) {
             EXPECT_EQ(s.m_nRecordFrequency, 22050);
             EXPECT_EQ(s.m_nRecordBits, 8);
         }},
        {"a temporary folder that exists", "temp_directory=" + folder + "\r\n",
         [&](const CAppSettings& s) { EXPECT_EQ(s.m_strTempDirectory, folder); }},
        {"a temporary folder that does not exist is ignored", "temp_directory=" + missing + "\n",
         [](const CAppSettings& s) { EXPECT_EQ(s.m_strTempDirectory, SystemTempFolder()); }},
        {"an old file names the folder alone",
         "Orvane_v7.53.47\r\n" + folder + "\r\ndelay_minimum=5\r\n",
         [&](const CAppSettings& s) {
             EXPECT_EQ(s.m_strTempDirectory, folder);
             EXPECT_EQ(s.m_nDelayMinimum, 5);
         }},
        {"unknown lines are ignored", "colour=blue\nnoise_filter=7",
         [](const CAppSettings& s) { EXPECT_EQ(s.m_nNoiseFilter, 7); }},
        {"secure_load is read", "secure_load=Y\n",
         [](const CAppSettings& s) { EXPECT_TRUE(s.m_bSecureLoad); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CAppSettings s;
        s.Parse(c.text);
        c.check(s);
    }
}

TEST(AppSettings, SurvivesWriteAndReadUnderAGermanLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old != nullptr ? old : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    }
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 1.0);
    EXPECT_STREQ(probe, "1,000000") << "the locale should really use a decimal comma";

    CTempDir dir;
    CAppSettings s;
    s.m_fDelayScale = 1.25;
    s.m_nDelayMinimum = 1234567;
    s.m_nZoomPanRate = -3;
    s.m_bAllowResync = true;
    s.m_strTempDirectory = dir.Path().string();
    ASSERT_TRUE(s.SaveConfig(dir.Path().string()));
    std::string text;
    ASSERT_TRUE(ReadSmallFile(dir.File("config.txt"), text));
    EXPECT_NE(text.find("delay_scale=1.250000\r\n"), std::string::npos);
    CAppSettings back;
    back.Parse(text);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_DOUBLE_EQ(back.m_fDelayScale, 1.25);
    EXPECT_EQ(back.m_nDelayMinimum, 1234567);
    EXPECT_EQ(back.m_nZoomPanRate, -3);
    EXPECT_TRUE(back.m_bAllowResync);
    EXPECT_EQ(back.m_strTempDirectory, dir.Path().string());
}

TEST(AtomicFile, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    CTempDir dir;
    const std::string path = dir.File("config.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    ASSERT_TRUE(WriteFileAtomically(path, "new content"));
    std::string text;
    ASSERT_TRUE(ReadSmallFile(path, text));
    EXPECT_EQ(text, "new content");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/config.txt"), "x"));
}

}  // namespace
