#include "publish/MoviePublisher.h"

#include <ctime>

#include "editor/bubble/BubbleGui.h"
#include "platform/Prompter.h"
#include "publish/PublishRun.h"
#include "publish/package/BuildReport.h"
#include "publish/package/SideFiles.h"

namespace {

// The C library's time text of now, without its line end.
std::string CreationTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (localtime_r(&now, &local) == nullptr || asctime_r(&local, text) == nullptr) {
        return {};
    }
    std::string created = text;
    while (!created.empty() && (created.back() == '\n' || created.back() == '\r')) {
        created.pop_back();
    }
    return created;
}

}  // namespace

CMoviePublisher::CMoviePublisher(CDemoProject& project, CFrameCompositor& compositor,
                                 IPrompter& prompter)
    : m_project(project), m_compositor(compositor), m_prompter(prompter) {}

CMoviePublisher::~CMoviePublisher() {
    Wait();
}

bool CMoviePublisher::Start(const std::string& outputPath,
                            std::function<void(const SPublishResults&)> done) {
    if (m_bRunning.exchange(true)) {
        m_prompter.Message({kBusyText, "Quillo Warning", EMsgIcon::Warning});
        return false;
    }
    if (m_worker.joinable()) {
        m_worker.join();
    }
    // Bubbles are laid out with the preview's font engine, whose application object must be
    // made on this thread, not on the worker.
    EnsureBubbleGui();
    m_worker = std::thread([this, outputPath, done = std::move(done)] {
        CreateMovie(outputPath);
        if (done) {
            done(m_results);
        }
        m_bRunning = false;
    });
    return true;
}

void CMoviePublisher::Wait() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CMoviePublisher::CreateMovie(const std::string& outputPath) {
    m_bCancel = false;
    m_settings.m_strOutputPath = outputPath;
    m_settings.m_bFlash6Compression = true;
    m_results = SPublishResults();
    m_results.nBuildNumber = ++m_settings.m_nBuildNumber;
    m_results.strCreatedAt = CreationTime();
    CPublishRun run(m_project, m_compositor, m_prompter, m_settings, m_bCancel);
    run.Run(outputPath + ".swf", m_results);
    m_results.strReport = BuildStatusLine(m_results.nBuildNumber, m_results.bCancelled);
    WriteSideFiles(m_project, m_settings, m_results, m_prompter);
}
