// The DefineShape3 tag and its SHAPEWITHSTYLE: style arrays, style index bit counts and the
// outline records.
#pragma once

#include <memory>
#include <vector>

#include "swf/SwfRect.h"
#include "swf/SwfShapeRecords.h"
#include "swf/SwfStyles.h"
#include "swf/SwfTag.h"

class CSwfShapeWithStyle {
public:
    // Each returns the new style's 1-based index.
    uint32_t AddFillStyle(std::unique_ptr<CSwfFillStyle> style);
    uint32_t AddLineStyle(std::unique_ptr<CSwfLineStyle> style);
    // Computes the index bit counts from the style counts; call before adding records.
    void FinishStyles();
    void AddRecord(std::unique_ptr<CSwfShapeRecord> record);

    int FillBits() const { return m_nFillBits; }
    int LineBits() const { return m_nLineBits; }
    size_t RecordCount() const { return m_records.size(); }

    void Write(CSwfBitWriter& writer) const;

private:
    std::vector<std::unique_ptr<CSwfFillStyle>> m_fillStyles;
    std::vector<std::unique_ptr<CSwfLineStyle>> m_lineStyles;
    int m_nFillBits = 0;
    int m_nLineBits = 0;
    std::vector<std::unique_ptr<CSwfShapeRecord>> m_records;
};

class CSwfDefineShape : public CSwfCharacterTag {
public:
    CSwfDefineShape(CSwfRect bounds, std::unique_ptr<CSwfShapeWithStyle> shape);
    void Write(CSwfBitWriter& writer) override;

    CSwfShapeWithStyle& Shape() { return *m_pShape; }

private:
    CSwfRect m_rcBounds;
    std::unique_ptr<CSwfShapeWithStyle> m_pShape;
};
