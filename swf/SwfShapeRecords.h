// The records of a shape outline: style changes (with the pen's move), straight and curved
// edges, and the end. Records are bit-packed one after another.
#pragma once

#include <cstdint>

class CSwfBitWriter;

class CSwfShapeRecord {
public:
    virtual ~CSwfShapeRecord() = default;
    virtual void Write(CSwfBitWriter& writer) const = 0;
    // The bit counts of the style indexes; only a style change uses them.
    virtual void SetFillBits(int) {}
    virtual void SetLineBits(int) {}
};

// Style indexes are 1-based; 0 means none. The move is absolute.
class CSwfStyleChangeRecord : public CSwfShapeRecord {
public:
    CSwfStyleChangeRecord(bool hasLineStyle, bool hasFillStyle1, bool hasFillStyle0, bool hasMoveTo,
                          int32_t moveX, int32_t moveY, uint32_t fillStyle0, uint32_t fillStyle1,
                          uint32_t lineStyle);
    void Write(CSwfBitWriter& writer) const override;
    void SetFillBits(int bits) override { m_nFillBits = bits; }
    void SetLineBits(int bits) override { m_nLineBits = bits; }

private:
    bool m_bHasLineStyle;
    bool m_bHasFillStyle1;
    bool m_bHasFillStyle0;
    bool m_bHasMoveTo;
    int m_nMoveBits;
    int32_t m_nMoveX;
    int32_t m_nMoveY;
    uint32_t m_nFillStyle0;
    uint32_t m_nFillStyle1;
    uint32_t m_nLineStyle;
    int m_nFillBits = 0;
    int m_nLineBits = 0;
};

// dx = 0 makes a vertical line, dy = 0 a horizontal one, anything else a general line.
class CSwfStraightEdgeRecord : public CSwfShapeRecord {
public:
    CSwfStraightEdgeRecord(int32_t dx, int32_t dy);
    void Write(CSwfBitWriter& writer) const override;

private:
    int m_nBits;
    bool m_bGeneralLine;
    bool m_bVerticalLine;
    int32_t m_nDeltaX;
    int32_t m_nDeltaY;
};

class CSwfCurvedEdgeRecord : public CSwfShapeRecord {
public:
    CSwfCurvedEdgeRecord(int32_t controlDx, int32_t controlDy, int32_t anchorDx, int32_t anchorDy);
    void Write(CSwfBitWriter& writer) const override;

private:
    int m_nBits;
    int32_t m_nControlDeltaX;
    int32_t m_nControlDeltaY;
    int32_t m_nAnchorDeltaX;
    int32_t m_nAnchorDeltaY;
};

class CSwfEndShapeRecord : public CSwfShapeRecord {
public:
    void Write(CSwfBitWriter& writer) const override;
};
