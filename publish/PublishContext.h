// What the steps of one publish share: its inputs, the movie's sizes and clock, where the walk
// has got to, and the timelines with the objects they show. Anything only one step needs stays
// in that step.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "publish/MovieGeometry.h"
#include "publish/MovieSegments.h"
#include "swf/SwfObject.h"

class CDemoProject;
class CFrameCompositor;
struct CPublishSettings;
class IPrompter;

// Where the recorded area lies in a panned recording's larger picture, for the frame being laid
// out and for the one before it; always (0, 0) without panning.
struct SAreaPosition {
    int32_t nX = 0;
    int32_t nY = 0;
    int32_t nPrevX = 0;
    int32_t nPrevY = 0;

    bool Moved() const { return nX != nPrevX || nY != nPrevY; }
};

struct SPublishContext {
    SPublishContext(CDemoProject& project, CFrameCompositor& compositor, IPrompter& prompter,
                    const CPublishSettings& settings, std::atomic<bool>& cancel);

    bool Cancelled() const;
    CSwfFrame& Frame(uint32_t absolute) { return segments.Frame(absolute); }
    // The object stays alive until the movie has been written.
    template <class T>
    T& Keep(std::unique_ptr<T> object) {
        T& kept = *object;
        objects.push_back(std::move(object));
        return kept;
    }

    CDemoProject& project;
    CFrameCompositor& compositor;
    IPrompter& prompter;
    const CPublishSettings& settings;
    std::atomic<bool>& cancel;

    SMovieGeometry geometry;
    double fMovieFrameMs = 100.0;  // the length of one movie frame
    // The pictures the frames show: the recorded area, or a panned recording's whole desktop.
    int32_t nPictureWidth = 0;
    int32_t nPictureHeight = 0;
    bool bPanned = false;
    SAreaPosition area;
    // The movie frame where the frame being laid out puts its next content; once the walk is
    // over, the movie's length.
    uint32_t nNextFrame = 0;
    uint32_t nLastEffectFrame = 0;  // the last movie frame an effect draws on
    // Lines for the publish error text: parts of the movie that had to be left out.
    std::string strErrors;

    // Declared before the timelines, which refer to them, so that they go after them.
    std::vector<std::unique_ptr<CSwfObject>> objects;
    CMovieSegments segments;
};
