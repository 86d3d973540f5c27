// The items a frame record owns, as the project file stores them right after the record:
// font, texts, chapter, edited picture, sound names, addresses and targets, pan picture,
// talk-bubble animation and alternate speech text.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "project/model/BubbleAnimation.h"
#include "project/model/FrameInfo.h"

class CStoreReader;
class CStoreWriter;

// Writes the present items of a record whose lengths are up to date (RecomputeLengths). An
// undone edited picture is left out, as its slot in the record is.
void WriteFrameItems(CStoreWriter& out, const CFrameRecord& frame);
// Reads the items whose slots the record image marked present. Files of versions up to 209 keep
// the texts as 8-bit Windows text. False when an item does not fit in what remains.
bool ReadFrameItems(CStoreReader& in, CFrameRecord& frame, bool b8BitTexts);

// A talk-bubble animation as lines, the same text as an effect file holds.
void WriteBubbleAnimation(CStoreWriter& out, const CBubbleAnimation& animation);
bool ReadBubbleAnimation(CStoreReader& in, CBubbleAnimation& animation);

// 8-bit Windows (code page 1252) text as UTF-16.
std::u16string FromWindows1252(std::span<const std::uint8_t> text);
