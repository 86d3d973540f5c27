#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <QSettings>

#include "settings/RegistryValues.h"
#include "settings/SettingsFolder.h"
#include "tests/support/TempDir.h"

namespace {

// Sets environment variables for one test and puts the old values back afterwards.
class CEnvironment {
public:
    void Set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        m_saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~CEnvironment() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second) {
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                ::unsetenv(it->first.c_str());
            }
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

void SetLocation(const std::string& file, const std::string& value) {
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue("Location", QString::fromStdString(value));
}

TEST(SettingsFolder, SearchOrder) {
    CTempDir dir;
    CEnvironment env;
    env.Set(CSettingsFolder::kEnvironmentOverride, std::nullopt);
    env.Set("XDG_CONFIG_HOME", dir.File("config"));
    const std::string docs = dir.File("Documents");
    std::filesystem::create_directories(docs);
    CRegistryValues registry(dir.File("user.ini"), dir.File("machine.ini"));

    env.Set("XDG_DOCUMENTS_DIR", docs);
    EXPECT_EQ(CSettingsFolder("", &registry).Path(), docs + "/Quillomatic/");
    EXPECT_TRUE(std::filesystem::is_directory(docs + "/Quillomatic"));

    // Without a documents folder the home folder holds it.
    env.Set("XDG_DOCUMENTS_DIR", std::nullopt);
    env.Set("HOME", dir.File("home"));
    std::filesystem::create_directories(dir.File("home"));
    EXPECT_EQ(CSettingsFolder("", &registry).Path(), dir.File("home") + "/Quillomatic/");

    // The documents entry of user-dirs.dirs counts as the documents folder.
    std::filesystem::create_directories(dir.File("config"));
    {
        std::FILE* f = std::fopen(dir.File("config/user-dirs.dirs").c_str(), "w");
        std::fputs("XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", f);
        std::fclose(f);
    }
    EXPECT_EQ(CSettingsFolder("", &registry).Path(), dir.File("home") + "/Docs/Quillomatic/");

    // Neither can be made: the program folder when it holds the program, else "Location".
    env.Set("XDG_DOCUMENTS_DIR", "/proc/no-documents");
    env.Set("HOME", "/proc/no-home");
    std::filesystem::remove(dir.File("config/user-dirs.dirs"));
    const std::string program = dir.File("program");
    std::filesystem::create_directories(program);
    EXPECT_EQ(CSettingsFolder(program, &registry).Path(), "");
    SetLocation(dir.File("machine.ini"), dir.Path().string());
    EXPECT_EQ(CSettingsFolder(program, &registry).Path(), dir.Path().string() + "/");
    std::FILE* exe = std::fopen((program + "/quillomatic").c_str(), "w");
    std::fclose(exe);
    EXPECT_EQ(CSettingsFolder(program, &registry).Path(), program + "/");

    // An explicit folder, or the environment's, replaces the search.
    EXPECT_EQ(CSettingsFolder(program, &registry, dir.File("given")).Path(),
              dir.File("given") + "/");
    env.Set(CSettingsFolder::kEnvironmentOverride, dir.File("env"));
    EXPECT_EQ(CSettingsFolder(program, &registry).Path(), dir.File("env") + "/");
}

TEST(RegistryValues, LocationOfTheUserFirstAndVersionAtExit) {
    CTempDir dir;
    CRegistryValues registry(dir.File("user.ini"), dir.File("machine.ini"));
    EXPECT_EQ(registry.Location(), std::nullopt);
    SetLocation(dir.File("machine.ini"), "/machine");
    EXPECT_EQ(registry.Location(), "/machine");
    SetLocation(dir.File("user.ini"), std::string(300, 'u'));
    EXPECT_EQ(registry.Location(), std::string(259, 'u'));
    ASSERT_TRUE(registry.WriteVersion());
    EXPECT_EQ(registry.Version(), "t 7 47 53");
    EXPECT_EQ(registry.Location(), std::string(259, 'u'));
}

}  // namespace
