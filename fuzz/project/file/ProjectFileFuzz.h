// The project file reader's fuzz entry, shared by the libFuzzer target and the test that
// replays the committed corpus. The input is a whole project file: it is opened, and when that
// succeeds every frame is rebuilt through the compositor.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzProjectOpen(const uint8_t* pData, size_t nSize);
