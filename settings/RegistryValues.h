// The program's key "SOFTWARE\Brindlework\Quillo", kept in two small INI files: the current
// user's (under the user's configuration folder) and the machine's (the system configuration
// folder). "Location" is only read; "Version" is written at exit.
#pragma once

#include <optional>
#include <string>

class CRegistryValues {
public:
    static constexpr int kMaxLocation = 259;

    // The standard files of the user and of the machine.
    CRegistryValues();
    // Explicit files (tests).
    CRegistryValues(std::string userFile, std::string machineFile);

    // "Location" of the current user, else of the machine; at most 259 characters.
    std::optional<std::string> Location() const;
    // Writes "Version" = "t 7 47 53" for the current user.
    bool WriteVersion() const;
    std::optional<std::string> Version() const;

    const std::string& UserFile() const { return m_userFile; }

private:
    std::string m_userFile;
    std::string m_machineFile;
};
