#include "settings/RegistryValues.h"

#include <QSettings>
#include <QString>

namespace {

constexpr const char* kOrganization = "Brindlework";
constexpr const char* kApplication = "Quillo";

std::optional<std::string> ReadValue(const std::string& file, const char* key) {
    if (file.empty()) {
        return std::nullopt;
    }
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    QVariant value = settings.value(QString::fromLatin1(key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

}  // namespace

CRegistryValues::CRegistryValues() {
    m_userFile = QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganization, kApplication)
                     .fileName()
                     .toStdString();
    m_machineFile =
        QSettings(QSettings::IniFormat, QSettings::SystemScope, kOrganization, kApplication)
            .fileName()
            .toStdString();
}

CRegistryValues::CRegistryValues(std::string userFile, std::string machineFile)
    : m_userFile(std::move(userFile)), m_machineFile(std::move(machineFile)) {}

std::optional<std::string> CRegistryValues::Location() const {
    for (const std::string* file : {&m_userFile, &m_machineFile}) {
        if (auto value = ReadValue(*file, "Location"); value && !value->empty()) {
            if (value->size() > kMaxLocation) {
                value->resize(kMaxLocation);
            }
            return value;
        }
    }
    return std::nullopt;
}

bool CRegistryValues::WriteVersion() const {
    if (m_userFile.empty()) {
        return false;
    }
    QSettings settings(QString::fromStdString(m_userFile), QSettings::IniFormat);
    settings.setValue("Version", QString::asprintf("t %d %d %d", 7, 47, 53));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::optional<std::string> CRegistryValues::Version() const {
    return ReadValue(m_userFile, "Version");
}
