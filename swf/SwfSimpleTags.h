// The tags without a character: ShowFrame, SetBackgroundColor, FileAttributes and Metadata.
#pragma once

#include <string>

#include "swf/SwfColor.h"
#include "swf/SwfString.h"
#include "swf/SwfTag.h"

class CSwfShowFrame : public CSwfTag {
public:
    void Write(CSwfBitWriter& writer) override;
    bool IsShowFrame() const override { return true; }
};

class CSwfSetBackgroundColor : public CSwfTag {
public:
    explicit CSwfSetBackgroundColor(CSwfColor color);
    void Write(CSwfBitWriter& writer) override;

private:
    CSwfColor m_crColor;
};

// The 32-bit flags word says only that the movie carries a Metadata tag; the ActionScript 3 and
// network flags stay clear so that players run the movie's ActionScript 1 scripts.
class CSwfFileAttributes : public CSwfTag {
public:
    void Write(CSwfBitWriter& writer) override;
};

class CSwfMetadata : public CSwfTag {
public:
    explicit CSwfMetadata(CSwfString text) : m_strText(std::move(text)) {}
    void Write(CSwfBitWriter& writer) override;

private:
    CSwfString m_strText;
};

// The RDF document every movie carries in its Metadata tag.
std::string SwfMetadataDocument();
