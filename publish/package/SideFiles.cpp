#include "publish/package/SideFiles.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ProgramData.h"
#include "platform/Prompter.h"
#include "project/model/DemoProject.h"
#include "publish/MoviePublisher.h"
#include "publish/PublishSettings.h"
#include "publish/package/BuildReport.h"
#include "publish/package/ExecutablePackage.h"
#include "publish/package/HtmlPage.h"
#include "publish/package/PackageText.h"
#include "publish/package/ScormPackage.h"
#include "publish/package/SupportFiles.h"

namespace fs = std::filesystem;

namespace {

bool WriteTextFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    return bool(out);
}

bool MoveFile(const fs::path& from, const fs::path& to, std::string& why) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        // Across file systems: copy, then remove the original.
        fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
        if (!ec) {
            fs::remove(from, ec);
        }
    }
    if (ec) {
        why = "cannot move " + from.string() + " to " + to.parent_path().string() + ": " +
              ec.message();
        return false;
    }
    return true;
}

void AddError(SPublishResults& results, const std::string& text) {
    if (!results.strError.empty()) {
        results.strError += "\n";
    }
    results.strError += text;
}

class CSideFiles {
public:
    CSideFiles(const CDemoProject& project, const CPublishSettings& settings,
               SPublishResults& results, IPrompter& prompter)
        : m_project(project), m_settings(settings), m_results(results), m_prompter(prompter) {
        const fs::path out(settings.m_strOutputPath);
        m_base = out.filename().string();
        m_folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
        m_movie = m_results.strMoviePath.empty() ? m_folder / (m_base + ".swf")
                                                 : fs::path(m_results.strMoviePath);
    }

    void Run() {
        Report();
        std::error_code ec;
        if (!fs::is_regular_file(m_movie, ec)) {
            return;
        }
        m_support = HotspotMovieFiles(m_project);
        m_page = PageText();
        if (m_settings.m_bCreateWebPage) {
            WebPage();
        }
        if (m_settings.m_bCreateExe) {
            Executable();
        }
        if (m_settings.m_bScorm) {
            Scorm();
        }
    }

private:
    fs::path Beside(const std::string& extension) const { return m_folder / (m_base + extension); }

    void Report() {
        SBuildReport report;
        report.strMoviePath = m_movie.string();
        report.nBuildNumber = m_results.nBuildNumber;
        report.bCancelled = m_results.bCancelled;
        report.strCreatedAt = m_results.strCreatedAt;
        report.nSizeKB = m_results.nSizeKB;
        report.nFrameRate = m_settings.m_nFrameRate;
        report.nPlayingSeconds = m_results.nPlayingSeconds;
        report.transcript = TalkBubbleTranscript(m_project);
        const fs::path path = Beside(".txt");
        if (!WriteTextFile(path, BuildReportText(report))) {
            AddError(m_results, "Unable to write " + path.string());
        }
    }

    std::string PageText() const {
        const SMovieGeometry& g = m_results.geometry;
        SWebPage page;
        page.strBaseName = m_base;
        page.nBuildNumber = m_results.nBuildNumber;
        page.nWidth = g.nDisplayWidth + g.nPanelWidth;
        page.nHeight = g.nDisplayHeight + g.nBarHeight;
        page.crPage = m_settings.m_crWebPage;
        page.crBackground = m_settings.m_crBackground;
        page.nBorderWidth = m_settings.m_nBorderWidth;
        page.bKeepAspect = m_settings.m_bKeepAspect;
        return HtmlPageText(page);
    }

    // The page, the web player and the hotspot movies in `folder`.
    bool PageFolder(const fs::path& folder) {
        const fs::path page = folder / (m_base + ".htm");
        std::string why;
        if (!WriteTextFile(page, m_page)) {
            AddError(m_results, "Unable to write " + page.string());
            return false;
        }
        if (!CopyWebPlayer(WebPlayerSource(), folder, why) ||
            !CopySupportFiles(m_support, folder, why)) {
            AddError(m_results,
                     "Unable to copy the files of the page into " + folder.string() + ": " + why);
            return false;
        }
        return true;
    }

    void WebPage() { PageFolder(m_folder); }

    // Relative names of the page's folder: page, movie, web player, hotspot movies.
    std::vector<std::string> FolderNames(const fs::path& player) const {
        std::vector<std::string> names = {m_base + ".htm", m_base + ".swf"};
        for (const fs::path& file : WebPlayerFiles(player)) {
            names.push_back(std::string(kWebPlayerFolder) + "/" + file.filename().string());
        }
        for (const std::string& file : m_support) {
            names.push_back(fs::path(file).filename().string());
        }
        return names;
    }

    void Executable() {
        const fs::path target = m_folder / m_base;
        std::string why;
        bool ok = false;
        if (m_settings.m_nPlayUsing == 0) {
            // The browser launcher always carries the page: a browser of today cannot open the
            // movie by itself.
            const fs::path player = WebPlayerSource();
            std::vector<SPackagedFile> files = {{m_base + ".htm", {}, m_page},
                                                {m_base + ".swf", m_movie, {}}};
            for (const fs::path& file : WebPlayerFiles(player)) {
                files.push_back(
                    {std::string(kWebPlayerFolder) + "/" + file.filename().string(), file, {}});
            }
            for (const std::string& file : m_support) {
                files.push_back({fs::path(file).filename().string(), file, {}});
            }
            if (files.size() == 2 + m_support.size()) {
                why = "the web player is missing";
            } else {
                ok = WriteBrowserExecutable(FindProgramData(kBrowserLauncherName), target, m_base,
                                            files, why);
            }
        } else {
            const SMovieGeometry& g = m_results.geometry;
            SPlayerSettings player;
            player.nWidth = g.nDisplayWidth + g.nPanelWidth;
            player.nHeight = g.nDisplayHeight + g.nBarHeight;
            player.nScaleDivisor = g.Divisor();
            player.bFullScreen = m_settings.m_bFullScreen;
            player.bRightClickHotspots = m_settings.m_bRightClickHotspots;
            player.strAboutText = m_settings.m_strAboutText;
            player.strPlayUrl = m_settings.m_bPlayFromUrl ? m_settings.m_strPlayUrl : "";
            ok = WritePlayerExecutable(FindProgramData(kOwnPlayerName), target, player, m_movie,
                                       m_support, why);
        }
        if (!ok) {
            m_prompter.Warning("Unable to create " + m_base + "\n" + why, "Quillo Warning");
        }
    }

    void Scorm() {
        const fs::path folder = ScormFolder(m_folder, m_base);
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder, ec)) {
            AddError(m_results, "Unable to create SCORM package directory    \n" + folder.string());
            return;
        }
        std::string why;
        const fs::path page = Beside(".htm");
        if (fs::exists(page, ec)) {
            fs::remove(page, ec);
        }
        if (!PageFolder(folder)) {
            return;
        }
        if (!MoveFile(m_movie, folder / (m_base + ".swf"), why)) {
            AddError(m_results, "Unable to create the SCORM package: " + why);
            return;
        }
        SScormManifest manifest;
        const std::string stored = m_settings.m_strScormIdentifier;
        manifest.strIdentifier = stored.empty() ? DefaultResourceIdentifier(ProjectBaseName())
                                                : CleanResourceIdentifier(stored);
        manifest.strVersion =
            m_settings.m_strScormVersion.empty() ? "1.0" : m_settings.m_strScormVersion;
        manifest.strCreatedAt = m_results.strCreatedAt;
        manifest.strTitle = m_base;
        manifest.strLaunch = m_base + ".htm";
        manifest.files = FolderNames(WebPlayerSource());
        const fs::path manifestPath = folder / "imsmanifest.xml";
        if (!WriteTextFile(manifestPath, ScormManifestText(manifest))) {
            AddError(m_results, "Unable to write " + manifestPath.string());
            return;
        }
        if (m_settings.m_bScormZip &&
            !WriteScormZip(folder, manifest.files, folder / (m_base + ".zip"), why)) {
            AddError(m_results, "Unable to create the SCORM package: " + why);
        }
    }

    std::string ProjectBaseName() const {
        const fs::path file(m_project.m_pszFileName);
        return file.empty() ? m_base : file.stem().string();
    }

    const CDemoProject& m_project;
    const CPublishSettings& m_settings;
    SPublishResults& m_results;
    IPrompter& m_prompter;
    std::string m_base;
    fs::path m_folder;
    fs::path m_movie;
    std::vector<std::string> m_support;
    std::string m_page;
};

}  // namespace

void WriteSideFiles(const CDemoProject& project, const CPublishSettings& settings,
                    SPublishResults& results, IPrompter& prompter) {
    if (settings.m_bVideoExport) {
        return;
    }
    CSideFiles(project, settings, results, prompter).Run();
}
