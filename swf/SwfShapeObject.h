// Display objects drawn as vector shapes: a bounding box, one fill, one outline and an optional
// transform, with four geometries (rectangle, rounded rectangle, ellipse or circle, path). The
// first addition to a frame defines one DefineShape3; a style setter makes the next addition
// define a new one with a new character id.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/SwfColor.h"
#include "swf/SwfMatrix.h"
#include "swf/SwfObject.h"
#include "swf/SwfRect.h"
#include "swf/SwfStyles.h"

class CSwfCharacterTag;
class CSwfShapeWithStyle;

enum ESwfFillKind : int {
    kSwfFillNone = 0,
    kSwfFillSolid = 1,
    kSwfFillLinearGradient = 2,
    kSwfFillRadialGradient = 3,
    kSwfFillBitmap = 4,
};

class CSwfShapeObject : public CSwfObject {
public:
    CSwfShapeObject(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    ~CSwfShapeObject() override;

    void AddToFrame(CSwfTagList& frame, CSwfMovie& movie) override;
    bool HasMatrix() const override;
    CSwfMatrix GetMatrix() const override;

    // Colours are red, green, blue, alpha.
    void SetFillColor(CSwfColor rgba);
    void SetLineColor(CSwfColor rgba);
    // 0 or less draws no outline.
    void SetLineWidth(int32_t width);
    // Any kind outside ESwfFillKind draws no fill.
    void SetFillKind(int kind);
    // A linear gradient from `color0` to `color1`, left to right across the middle of the box.
    void SetLinearGradient(CSwfColor color0, CSwfColor color1);
    // A radial gradient from `color0` at the centre to `color1`.
    void SetRadialGradient(CSwfColor color0, CSwfColor color1);
    // A clipped bitmap fill that stretches a `width` × `height` pixel bitmap over the box. The
    // object emits `bitmap` before its first definition.
    void SetBitmapFill(std::unique_ptr<CSwfCharacterTag> bitmap, int32_t width, int32_t height);
    // The same with the bitmap that `owner` emits; `owner` must be defined first.
    void SetSharedBitmapFill(const CSwfShapeObject& owner, int32_t width, int32_t height);
    // The id of the bitmap this object fills with, −1 until it has been defined.
    int32_t BitmapId() const { return m_nBitmapId; }

    // Placement transform: translation in coordinate units, rotation in 16.16 fixed degrees
    // about the centre of the box, scale in 16.16 fixed (0x10000 = 1).
    void SetTranslate(int32_t x, int32_t y);
    void SetRotation(int32_t degrees16);
    void SetScale(int32_t scaleX16, int32_t scaleY16);

    const CSwfRect& Bounds() const { return m_rcBounds; }
    int FillKind() const { return m_nFillKind; }

protected:
    // The outline: where the pen starts and the edges after it.
    virtual void StartPoint(int32_t& x, int32_t& y) const = 0;
    virtual void AddEdges(CSwfShapeWithStyle& shape) const = 0;
    // Edges whose deltas are all zero draw nothing and are left out.
    static void AddStraight(CSwfShapeWithStyle& shape, int32_t dx, int32_t dy);
    static void AddCurve(CSwfShapeWithStyle& shape, int32_t controlDx, int32_t controlDy,
                         int32_t anchorDx, int32_t anchorDy);

    void SetBounds(const CSwfRect& bounds) { m_rcBounds = bounds; }

private:
    void Define(CSwfTagList& frame, CSwfMovie& movie);
    void AddFill(CSwfTagList& frame, CSwfMovie& movie, CSwfShapeWithStyle& shape);

    CSwfRect m_rcBounds;
    int m_nFillKind = kSwfFillSolid;
    CSwfColor m_crFill{0xFF, 0xFF, 0xFF, 0xFF};
    int32_t m_nLineWidth = 20;
    CSwfColor m_crLine{0, 0, 0, 0xFF};
    uint32_t m_nFillStyleIndex = 1;
    uint32_t m_nLineStyleIndex = 1;
    CSwfMatrix m_gradientMatrix;
    CSwfGradient m_gradient;
    std::unique_ptr<CSwfCharacterTag> m_pBitmapTag;
    const CSwfShapeObject* m_pBitmapOwner = nullptr;
    int32_t m_nBitmapId = -1;
    int32_t m_nBitmapWidth = 0;
    int32_t m_nBitmapHeight = 0;
    int32_t m_nTranslateX = 0;
    int32_t m_nTranslateY = 0;
    int32_t m_nRotation = 0;
    int32_t m_nScaleX = 0x10000;
    int32_t m_nScaleY = 0x10000;
};

// Edges of w + 1 and h + 1 units from (x1, y1), so that the box covers x1..x2 inclusive.
class CSwfRectangle : public CSwfShapeObject {
public:
    CSwfRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
        : CSwfShapeObject(x1, y1, x2, y2) {}

protected:
    void StartPoint(int32_t& x, int32_t& y) const override;
    void AddEdges(CSwfShapeWithStyle& shape) const override;
};

// The radius shrinks to half the width, then to half the height, when larger.
class CSwfRoundRect : public CSwfShapeObject {
public:
    CSwfRoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius);
    int32_t Radius() const { return m_nRadius; }

protected:
    void StartPoint(int32_t& x, int32_t& y) const override;
    void AddEdges(CSwfShapeWithStyle& shape) const override;

private:
    int32_t m_nRadius;
};

// Four quadratic curves whose control points are the corners of the box.
class CSwfEllipse : public CSwfShapeObject {
public:
    CSwfEllipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) : CSwfShapeObject(x1, y1, x2, y2) {}
    // A circle.
    CSwfEllipse(int32_t cx, int32_t cy, int32_t r)
        : CSwfShapeObject(cx - r, cy - r, cx + r, cy + r) {}

protected:
    void StartPoint(int32_t& x, int32_t& y) const override;
    void AddEdges(CSwfShapeWithStyle& shape) const override;
};

struct SSwfPoint {
    int32_t x;
    int32_t y;
};

// A path from a start point through straight and curved segments given as deltas. Its box is
// the range of the points it passes through (control points not included).
class CSwfPath : public CSwfShapeObject {
public:
    CSwfPath(int32_t x, int32_t y);
    // A closed polygon through `points`; a closing side is added unless the last point repeats
    // the first.
    explicit CSwfPath(std::span<const SSwfPoint> points);

    void LineTo(int32_t dx, int32_t dy);
    void CurveTo(int32_t controlDx, int32_t controlDy, int32_t anchorDx, int32_t anchorDy);

    // Entry 0 is the start point; the others are the segments.
    struct SSegment {
        bool m_bStraight;
        int32_t m_nA;
        int32_t m_nB;
        int32_t m_nC;
        int32_t m_nD;
    };
    const std::vector<SSegment>& Segments() const { return m_segments; }

protected:
    void StartPoint(int32_t& x, int32_t& y) const override;
    void AddEdges(CSwfShapeWithStyle& shape) const override;

private:
    void UpdateBounds();

    std::vector<SSegment> m_segments;
};
