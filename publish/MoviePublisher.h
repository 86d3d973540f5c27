// Turns the open project into one movie: walks the frames once through the compositor, places
// the changed areas as bitmaps at each frame's start time, cuts the movie into segments, adds
// the control sprite and writes the file. Runs on a worker thread or on the caller's.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "publish/MovieGeometry.h"
#include "publish/PublishSettings.h"

class CDemoProject;
class CFrameCompositor;
class IPrompter;

struct SPublishResults {
    int64_t nSizeKB = -1;  // -1 when the build was cancelled or failed
    int32_t nPlayingSeconds = 0;
    int32_t nBuildNumber = 0;
    uint32_t nFrameCount = 0;
    std::string strError;   // the publish error text, empty without errors
    std::string strReport;  // the build report's status line
    bool bCancelled = false;
    std::string strMoviePath;
    std::string strCreatedAt;  // the C library's time text of the start, without a line end
    SMovieGeometry geometry;
};

class CMoviePublisher {
public:
    static constexpr const char* kBusyText = "Publishing in progress.    ";

    // The compositor must have the project's streams as sources. Nothing here may be changed
    // while a publish runs.
    CMoviePublisher(CDemoProject& project, CFrameCompositor& compositor, IPrompter& prompter);
    ~CMoviePublisher();
    CMoviePublisher(const CMoviePublisher&) = delete;
    CMoviePublisher& operator=(const CMoviePublisher&) = delete;

    CPublishSettings& Settings() { return m_settings; }

    // Starts CreateMovie on the worker thread; `done` runs there when it ends. Refused, with a
    // warning, while a publish runs.
    bool Start(const std::string& outputPath, std::function<void(const SPublishResults&)> done);
    bool IsRunning() const { return m_bRunning; }
    void Cancel() { m_bCancel = true; }
    void Wait();

    // The whole pipeline. The movie goes to "<output path>.swf", written beside it under a
    // temporary name and renamed, so a failed or cancelled publish leaves no movie there.
    void CreateMovie(const std::string& outputPath);
    const SPublishResults& Results() const { return m_results; }

private:
    CDemoProject& m_project;
    CFrameCompositor& m_compositor;
    IPrompter& m_prompter;
    CPublishSettings m_settings;
    SPublishResults m_results;
    std::thread m_worker;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bCancel{false};
};
