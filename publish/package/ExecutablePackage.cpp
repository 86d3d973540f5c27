#include "publish/package/ExecutablePackage.h"

#include <functional>

#include "publish/package/ExecutablePayload.h"

namespace fs = std::filesystem;

namespace {

bool WriteExecutable(const fs::path& launcher, const fs::path& target,
                     const std::function<bool(CPayloadWriter&)>& fill, std::string& why) {
    std::error_code ec;
    if (launcher.empty() || !fs::is_regular_file(launcher, ec)) {
        why = "the launcher program is missing" +
              (launcher.empty() ? std::string() : ": " + launcher.string());
        return false;
    }
    fs::path temp = target;
    temp += ".part";
    fs::copy_file(launcher, temp, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        why = "cannot write " + temp.string() + ": " + ec.message();
        return false;
    }
    bool ok = false;
    {
        CPayloadWriter writer(temp);
        ok = fill(writer) && writer.Finish();
        if (!ok) {
            why = writer.Error();
        }
    }
    if (ok) {
        fs::permissions(temp, fs::perms(0755), fs::perm_options::replace, ec);
        if (fs::is_directory(target, ec)) {
            why = target.string() + " is a folder";
            ok = false;
        } else {
            fs::rename(temp, target, ec);
            if (ec) {
                why = "cannot rename " + temp.string() + ": " + ec.message();
                ok = false;
            }
        }
    }
    if (!ok) {
        fs::remove(temp, ec);
    }
    return ok;
}

}  // namespace

std::string PlayerSettingsText(const SPlayerSettings& settings,
                               const std::vector<std::string>& supportFiles) {
    std::string text;
    for (int32_t n :
         {settings.nWidth, settings.nHeight, settings.nScaleDivisor, int32_t(settings.bFullScreen),
          int32_t(settings.bRightClickHotspots), int32_t(supportFiles.size())}) {
        text += std::to_string(n) + "\n";
    }
    text += settings.strAboutText + "\n";
    text += settings.strPlayUrl + "\n";
    for (const std::string& file : supportFiles) {
        text += file + "\n";
    }
    return text;
}

bool WriteBrowserExecutable(const fs::path& launcher, const fs::path& target,
                            const std::string& baseName, const std::vector<SPackagedFile>& files,
                            std::string& why) {
    for (const SPackagedFile& file : files) {
        if (!IsSafeRelativeName(file.strName)) {
            why = "not a relative file name: " + file.strName;
            return false;
        }
    }
    return WriteExecutable(
        launcher, target,
        [&](CPayloadWriter& out) {
            if (!out.Add(EPayloadKind::Name, baseName, {})) {
                return false;
            }
            for (const SPackagedFile& file : files) {
                const bool ok = file.data
                                    ? out.Add(EPayloadKind::File, file.strName, *file.data)
                                    : out.AddFile(EPayloadKind::File, file.strName, file.source);
                if (!ok) {
                    return false;
                }
            }
            return true;
        },
        why);
}

bool WritePlayerExecutable(const fs::path& player, const fs::path& target,
                           const SPlayerSettings& settings, const fs::path& movie,
                           const std::vector<std::string>& supportFiles, std::string& why) {
    return WriteExecutable(
        player, target,
        [&](CPayloadWriter& out) {
            if (!out.Add(EPayloadKind::Settings, {}, PlayerSettingsText(settings, supportFiles))) {
                return false;
            }
            if (settings.strPlayUrl.empty() && !out.AddFile(EPayloadKind::Movie, {}, movie)) {
                return false;
            }
            for (size_t i = 0; i < supportFiles.size(); ++i) {
                std::error_code ec;
                if (!fs::is_regular_file(supportFiles[i], ec)) {
                    continue;
                }
                if (!out.AddFile(EPayloadKind::SupportFile, "supportfile" + std::to_string(i),
                                 supportFiles[i])) {
                    return false;
                }
            }
            return true;
        },
        why);
}
