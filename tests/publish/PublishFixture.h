// Projects recorded in memory through the real capture stream, published, and the helpers that
// compare the movie's screenshots with the compositor's pictures.
#pragma once

#include <QImage>
#include <QJsonArray>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "project/model/DemoProject.h"
#include "project/stream/CaptureStream.h"
#include "project/stream/FrameCompositor.h"
#include "project/stream/StreamFile.h"
#include "publish/MoviePublisher.h"
#include "tests/swf/SwfJudges.h"

// A screen that the test draws on; every Capture() appends a frame with the rectangle that
// changed since the last one.
class CMemoryRecording {
public:
    CMemoryRecording(const std::string& dir, int width, int height);
    ~CMemoryRecording();

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    uint32_t& At(int x, int y) { return m_Screen[size_t(y) * m_nWidth + x]; }
    void Fill(int l, int t, int r, int b, uint32_t colour);
    // Draws with `paint(x, y)` over the rectangle.
    void Paint(int l, int t, int r, int b, const std::function<uint32_t(int, int)>& paint);
    // Appends a frame of `duration` 1/100 s whose changes lie in (l, t)-(r, b).
    CFrameInfo& Capture(int l, int t, int r, int b, int32_t duration);
    // Ends the recording and opens the compositor on it.
    bool Finish();

    CDemoProject& Project() { return m_Project; }
    CFrameCompositor& Compositor() { return *m_pCompositor; }
    // The picture of frame `index` as the compositor rebuilds it.
    std::vector<uint32_t> Picture(uint32_t index);

private:
    int m_nWidth;
    int m_nHeight;
    CDemoProject m_Project;
    CCaptureStream m_Stream;
    CStreamFile m_File;
    std::unique_ptr<CFrameCompositor> m_pCompositor;
    std::vector<uint32_t> m_Screen;
    std::vector<uint32_t> m_Before;
    std::string m_strData;
    std::string m_strIndex;
};

struct SPublished {
    SPublishResults results;
    std::string movie;
};

// Publishes to DIR/BASE.swf with the settings `edit` leaves.
SPublished Publish(CMemoryRecording& recording, CScriptedPrompter& prompter,
                   const std::string& outBase,
                   const std::function<void(CPublishSettings&)>& edit = {});

// The structural judge accepted the movie, read every tag and warned of nothing unknown.
void ExpectCleanParse(const SJudgeRun& parsed);

// The texts pushed by the movie's scripts, sprites included, in tag order.
std::vector<QString> PushedTexts(const QJsonArray& tags);

struct SPictureDiff {
    int nMaxChannel = 0;  // largest difference of one channel
    double fMean = 0;     // mean absolute channel difference
    int nDiffering = 0;   // pixels that differ at all
};
SPictureDiff Compare(const QImage& shot, const std::vector<uint32_t>& picture, int width,
                     int height);
