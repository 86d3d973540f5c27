// The raw sound cache: a decoded copy of a sound file as plain PCM behind a 20-byte header, named
// after the source and its modification time so that it is reused until the source changes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

constexpr uint64_t kSoundCacheHeaderSize = 20;

struct SSoundCacheInfo {
    std::string path;
    int nChannels = 0;
    int nRate = 0;
    int nBits = 0;
    uint64_t nDataBytes = 0;  // whole sample frames present after the header
};

// Called with the percentage decoded; returning false cancels the decoding.
using SoundProgress = std::function<bool(int nPercent)>;

// The cache's name for `source` in `folder` (which ends with a separator or is empty).
std::string SoundCacheName(const std::string& folder, const std::string& source);

// Decodes `source` into the cache in `folder`, or reuses the cache made from the same source with
// the same modification time. A cancelled or failed decoding leaves no cache file.
std::optional<SSoundCacheInfo> DecodeToCache(const std::string& folder, const std::string& source,
                                             std::string& why, const SoundProgress& progress = {});

// Reads and checks the header of an existing cache file.
std::optional<SSoundCacheInfo> ReadSoundCacheHeader(const std::string& path);
