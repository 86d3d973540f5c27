// Switches of a recording that the controller sets on the user-interface thread and the cursor
// sampling thread reads; single flags with no ordering to other data, so atomics serve.
#pragma once

#include <atomic>

struct SRecorderFlags {
    std::atomic<bool> paused{false};
    // The next tick starts a new timing segment (set by start and resume).
    std::atomic<bool> restart{false};
    // The next grab makes one frame whatever changed (Print Screen).
    std::atomic<bool> snapshot{false};
};
