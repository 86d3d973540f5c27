// Fill and line styles of a DefineShape3; every colour in them is RGBA.
#pragma once

#include <cstdint>
#include <vector>

#include "swf/SwfColor.h"
#include "swf/SwfMatrix.h"

class CSwfBitWriter;

// A style array count: one byte below 255, else the byte 0xFF and a u16.
void WriteStyleCount(CSwfBitWriter& writer, uint32_t count);

class CSwfFillStyle {
public:
    virtual ~CSwfFillStyle() = default;
    virtual void Write(CSwfBitWriter& writer) const = 0;
};

class CSwfSolidFillStyle : public CSwfFillStyle {
public:
    explicit CSwfSolidFillStyle(CSwfColor color);
    void Write(CSwfBitWriter& writer) const override;

private:
    CSwfColor m_crColor;
};

class CSwfGradient {
public:
    struct SRecord {
        uint8_t m_nRatio;
        CSwfColor m_crColor;
    };

    void Add(uint8_t ratio, CSwfColor color);
    bool Empty() const { return m_records.empty(); }
    const std::vector<SRecord>& Records() const { return m_records; }
    void Write(CSwfBitWriter& writer) const;

private:
    std::vector<SRecord> m_records;
};

class CSwfGradientFillStyle : public CSwfFillStyle {
public:
    CSwfGradientFillStyle(bool radial, CSwfMatrix matrix, CSwfGradient gradient);
    void Write(CSwfBitWriter& writer) const override;

private:
    bool m_bRadial;
    CSwfMatrix m_matrix;
    CSwfGradient m_gradient;
};

// A bitmap fill: clipped (type 0x41), or repeating (0x40) with `repeat`.
class CSwfBitmapFillStyle : public CSwfFillStyle {
public:
    CSwfBitmapFillStyle(uint16_t bitmapId, CSwfMatrix matrix, bool repeat = false);
    void Write(CSwfBitWriter& writer) const override;

private:
    uint16_t m_nBitmapId;
    CSwfMatrix m_matrix;
    bool m_bRepeat;
};

class CSwfLineStyle {
public:
    CSwfLineStyle(uint16_t width, CSwfColor color);
    virtual ~CSwfLineStyle() = default;
    virtual void Write(CSwfBitWriter& writer) const;

private:
    uint16_t m_nWidth;
    CSwfColor m_crColor;
};
