// Effect files (".lumo_effect"): one talk-bubble animation as lines of numbers, the same text a
// frame's animation takes inside the project file, so effects can be kept and shared.
#pragma once

#include <string>

#include "project/model/BubbleAnimation.h"

class IPrompter;

inline constexpr const char* kEffectFilter = "Quillo Effects (*.lumo_effect)";
inline constexpr const char* kEffectExtension = "lumo_effect";

bool WriteEffectFile(const std::string& fileName, const CBubbleAnimation& animation);
// Leaves `animation` as it was when the file cannot be read.
bool ReadEffectFile(const std::string& fileName, CBubbleAnimation& animation);

// "Save Effect": asks for a file (starting in `lastFolder`, which is updated) and writes the
// settings; "Unable to save effect." when that fails. False on cancel or failure.
bool SaveEffect(IPrompter& prompter, const CBubbleAnimation& animation, std::string& lastFolder);
// "Load Effect": asks for a file and reads the settings into `animation`; "Unable to load
// effect." when that fails.
bool LoadEffect(IPrompter& prompter, CBubbleAnimation& animation, std::string& lastFolder);
