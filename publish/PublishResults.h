// What one publish reports to its caller.
#pragma once

#include <cstdint>
#include <string>

#include "publish/MovieGeometry.h"

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
