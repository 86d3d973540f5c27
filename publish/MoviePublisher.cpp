#include "publish/MoviePublisher.h"

#include <cstdio>

#include "platform/Prompter.h"
#include "publish/PublishRun.h"

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
    CPublishRun run(m_project, m_compositor, m_prompter, m_settings, m_bCancel);
    run.Run(outputPath + ".swf", m_results);
    char report[64];
    std::snprintf(report, sizeof report,
                  m_results.bCancelled ? "Build %d terminated by user" : "Build %d completed",
                  m_results.nBuildNumber);
    m_results.strReport = report;
}
