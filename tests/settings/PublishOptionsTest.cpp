#include <gtest/gtest.h>

#include <fstream>

#include "publish/PublishSettings.h"
#include "settings/AppSettings.h"
#include "settings/ProgramState.h"
#include "settings/PublishOptions.h"
#include "settings/SettingsFolder.h"
#include "tests/support/TempDir.h"

namespace {

// The values a publish takes from "config.txt" and the program state file, read back from the
// files as the program writes them; absent files leave the publisher's defaults.
TEST(PublishOptions, ConfigAndStateFilesReachThePublishSettings) {
    CTempDir dir;
    const CSettingsFolder folder("", nullptr, dir.Path().string());
    CAppSettings written;
    written.m_nNoiseFilter = 7;
    written.m_nZoomPanRate = 50;
    ASSERT_TRUE(written.SaveConfig(folder.Path()));
    CProgramState state;
    state.m_bControlsOverDemo = 1;
    state.m_bZoomBeforeFrame = 0;
    ASSERT_TRUE(state.WriteFile(folder.File(CProgramState::kFileName)));

    CAppSettings config;
    ASSERT_TRUE(config.LoadConfig(folder));
    CProgramState read;
    ASSERT_TRUE(read.ReadFile(folder.File(CProgramState::kFileName)));
    CPublishSettings settings;
    ApplyProgramPublishSettings(config, read, settings);
    EXPECT_EQ(settings.m_nNoiseFilter, 7u);
    EXPECT_EQ(settings.m_nZoomPanRate, 50);
    EXPECT_TRUE(settings.m_bControlsOverDemo);
    EXPECT_FALSE(settings.m_bZoomBeforeFrame);

    CPublishSettings defaults;
    ApplyProgramPublishSettings(CAppSettings(), CProgramState(), defaults);
    EXPECT_FALSE(defaults.m_bControlsOverDemo);
    EXPECT_TRUE(defaults.m_bZoomBeforeFrame);
    EXPECT_EQ(defaults.m_nZoomPanRate, 200);
    EXPECT_EQ(defaults.m_nNoiseFilter, 0u);
}

}  // namespace
