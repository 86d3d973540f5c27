// The build report "<base>.txt" written beside the movie after every publish, a cancelled one
// too: the movie's path, the build's outcome, its figures and the transcript of the talk
// bubbles. Lines end in CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDemoProject;

struct SBuildReport {
    std::string strMoviePath;
    int32_t nBuildNumber = 0;
    bool bCancelled = false;
    std::string strCreatedAt;
    int64_t nSizeKB = 0;
    int32_t nFrameRate = 0;
    int32_t nPlayingSeconds = 0;
    std::vector<std::string> transcript;  // talk-bubble texts in frame order, UTF-8
};

// "Build %d terminated by user" or "Build %d successfully completed".
std::string BuildStatusLine(int32_t buildNumber, bool cancelled);

std::string BuildReportText(const SBuildReport& report);

// The texts of the talk bubbles of the frames the movie shows, in project order, each at most
// 4096 bytes (cut at a character boundary).
std::vector<std::string> TalkBubbleTranscript(const CDemoProject& project);
