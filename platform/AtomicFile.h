// Replaces a file's content in one step: the bytes go to a temporary file beside it, are
// flushed to the disk and then renamed over the old file, so a crash leaves either the old or
// the new file, never half of one.
#pragma once

#include <string>
#include <string_view>

bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// The whole content of a small file; false when it cannot be read or exceeds `maxSize`.
bool ReadSmallFile(const std::string& path, std::string& bytes, std::size_t maxSize = 16 << 20);
