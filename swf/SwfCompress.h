// Re-compression of a finished uncompressed (FWS) movie into the zlib-compressed form (CWS).
#pragma once

#include <string>

// Rewrites the file at `path` in place. The compressed file is written beside it and renamed
// over it, so on failure (reported in `error` when given) the uncompressed movie stays.
bool CompressSwfFile(const std::string& path, std::string* error = nullptr);
