// What happens when memory runs out: the handler of failed allocations removes itself, runs the
// emergency save (or tells the user that the program closes) and ends the process with -1.
#pragma once

#include <functional>

// `onLowMemory` hides the window, tells the user and saves; it runs at most once.
void InstallEmergencySave(std::function<void()> onLowMemory);
