// How long frames are shown: the natural and effective durations, the rounding of recorded
// durations, the single-frame sound length and the durations the editor proposes.
#pragma once

#include <cstdint>
#include <optional>

#include "project/model/FrameInfo.h"

class CDemoProject;

// The editor's reading-time settings ("delay_scale", "delay_minimum").
struct SReadingTimeSettings {
    float fDelayScale = 1.0f;
    int32_t nDelayMinimum = 300;
};

// The duration a frame returns to when its custom duration is cleared.
int32_t NaturalDuration(const CFrameRecord& frame);

// The time a frame is shown when the movie plays: its duration (or natural duration when 0),
// scaled by fSwfDelayScale while it shows a timed talk bubble, plus the time of a fade or sweep.
int32_t EffectiveDuration(const CFrameRecord& frame, float fSwfDelayScale);

// Rounds the recorded durations of a fresh recording to multiples of 5 hundredths, carrying the
// rounding error forward. With narration, each frame's offset into it becomes the sum of the
// rounded durations before it.
void QuantiseRecordedDurations(CDemoProject& project, bool bNarration);

// Gives every frame the time at which the movie shows it: the effective durations of the
// frames before it that are not deleted.
void UpdateStartTimes(CDemoProject& project);

// The length of a frame's single-frame sound in 1/100 s, rounded up: non-zero only with
// "Single frame", "Play sound file" and a sound of known length (nSoundLengthMs).
int32_t SingleFrameSoundLength(const CFrameRecord& frame, std::optional<int64_t> nSoundLengthMs);
void UpdateSingleFrameSoundLength(CFrameRecord& frame, std::optional<int64_t> nSoundLengthMs);

// The showing time the editor proposes for a talk bubble of nChars characters.
int32_t TextReadingTime(int64_t nChars, const SReadingTimeSettings& settings);

// The duration the editor proposes for a frame: 0 when its hotspot waits for a click, otherwise
// the longest of its recorded and natural durations, its bubble's reading time and its
// single-frame sound.
int32_t ProposedDuration(const CFrameRecord& frame, const SReadingTimeSettings& settings);
// Gives a frame its proposed duration unless the user set one.
void ApplyProposedDuration(CFrameRecord& frame, const SReadingTimeSettings& settings);

// The 1-based frame number that "Show until frame" proposes for the talk bubble of pFrame: the
// first later non-deleted frame at whose start the effective durations summed from pFrame reach
// the reading time. When the movie ends first, the number after the last frame.
int32_t ProposedBubbleUntilFrame(const CDemoProject& project, const CFrameInfo& frame,
                                 const SReadingTimeSettings& settings);

// Where a background sound with "Synchronize to end of demo" starts, in milliseconds, so that it
// ends with the movie or where the next background sound starts. A sound shorter than that time
// starts at its beginning (0).
int64_t BackgroundSoundStartOffset(const CDemoProject& project, const CFrameInfo& frame,
                                   int64_t nSoundLengthMs);
