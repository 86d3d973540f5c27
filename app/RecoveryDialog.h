// The dialogs of recovery: "Quillo Recovery" with the recovery settings, and the question
// about a leftover capture file.
#pragma once

#include <string>

#include "project/file/Recovery.h"

class QWidget;

// Shows the recovery settings; false when the user cancelled.
bool AskRecoveryOptions(QWidget* pParent, SRecoveryOptions& options);

// Asks for the recording size of a project whose frame records could not be used, prefilled
// with the size found; the values stay when the user cancels.
void AskRecordingSize(QWidget* pParent, int32_t& width, int32_t& height);

// Beeps and asks what to do with a leftover capture file (name without folder).
ELeftoverChoice AskLeftoverChoice(QWidget* pParent, const std::string& name);
