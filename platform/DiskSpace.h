// The room left on the disk that holds a folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Bytes an ordinary user may still write in the folder's file system ("" is the current
// folder); nothing when the system cannot say.
std::optional<uint64_t> FreeDiskSpace(const std::string& folder);

// The same for checks that go on when the system cannot say: unknown room counts as unlimited
// (INT64_MAX).
int64_t FreeDiskBytes(const std::string& folder);
