// The finished tag sequence of a movie or a sprite, and the writing of an uncompressed (FWS)
// SWF 6 file from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/SwfTag.h"

class CSwfBitWriter;
class ISwfProgress;

// Movie files are written beside their target under a temporary name with this prefix.
inline constexpr const char* kSwfTempPrefix = "$wf";

class CSwfTagStream {
public:
    // The header's stage fields hold at most this many units each.
    static constexpr int32_t kMaxStageUnits = 16383;

    // Takes ownership; a ShowFrame tag counts a frame.
    void Add(std::unique_ptr<CSwfTag> tag);

    uint32_t FrameCount() const { return m_nFrameCount; }
    size_t TagCount() const { return m_tags.size(); }
    const CSwfTag& TagAt(size_t index) const { return *m_tags[index]; }

    // Writes every tag in order and then the End tag (a sprite's body ends this way too).
    void WriteTags(CSwfBitWriter& writer);

    // Writes the file: header, tags, End. The stage is `width` × `height` units (at most
    // kMaxStageUnits each) and `rate` frames per second. The file is written beside `path` and
    // renamed over it at the end; on failure Error() says why and an existing file at `path` is
    // left alone. When the user cancels, the tags written so far make a complete, valid file and
    // WasCancelled() is set. The character id counter starts again at 1 afterwards.
    bool Save(const std::string& path, int32_t width, int32_t height, uint8_t rate,
              ISwfProgress* progress = nullptr);

    const std::string& Error() const { return m_strError; }
    bool WasCancelled() const { return m_bCancelled; }

private:
    uint32_t m_nFrameCount = 0;
    std::vector<std::unique_ptr<CSwfTag>> m_tags;
    std::string m_strError;
    bool m_bCancelled = false;
};

// Builds the 21-byte header of an uncompressed SWF 6 file.
std::vector<uint8_t> SwfFileHeader(uint32_t fileLength, int32_t width, int32_t height, uint8_t rate,
                                   uint16_t frameCount);
