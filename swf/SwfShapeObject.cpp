#include "swf/SwfShapeObject.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "swf/SwfDefineShape.h"
#include "swf/SwfMovie.h"
#include "swf/SwfShapeRecords.h"
#include "swf/SwfTag.h"
#include "swf/SwfTagList.h"

CSwfShapeObject::CSwfShapeObject(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    : m_rcBounds(x1, y1, x2, y2) {}

CSwfShapeObject::~CSwfShapeObject() = default;

void CSwfShapeObject::SetFillColor(CSwfColor rgba) {
    m_crFill = rgba;
    m_crFill.m_bHasAlpha = true;
    m_bDefined = false;
}

void CSwfShapeObject::SetLineColor(CSwfColor rgba) {
    m_crLine = rgba;
    m_crLine.m_bHasAlpha = true;
    m_bDefined = false;
}

void CSwfShapeObject::SetLineWidth(int32_t width) {
    m_nLineWidth = width;
    m_bDefined = false;
}

void CSwfShapeObject::SetFillKind(int kind) {
    m_nFillKind = kind;
    m_bDefined = false;
}

void CSwfShapeObject::SetLinearGradient(CSwfColor color0, CSwfColor color1) {
    const CSwfRect& b = m_rcBounds;
    m_nFillKind = kSwfFillLinearGradient;
    m_gradientMatrix = CSwfMatrix(true, b.m_nXMax - b.m_nXMin + 1, b.m_nYMax - b.m_nYMin + 1, false,
                                  0, 0, (b.m_nXMin + b.m_nXMax) / 2, (b.m_nYMin + b.m_nYMax) / 2);
    m_gradient = CSwfGradient();
    m_gradient.Add(0, color0);
    m_gradient.Add(255, color1);
    m_bDefined = false;
}

void CSwfShapeObject::SetRadialGradient(CSwfColor color0, CSwfColor color1) {
    const CSwfRect& b = m_rcBounds;
    const double w = static_cast<double>(b.m_nXMax) - b.m_nXMin + 1;
    const double h = static_cast<double>(b.m_nYMax) - b.m_nYMin + 1;
    const auto scale = static_cast<int32_t>(2.0 * std::sqrt(h * h + w * w));
    m_nFillKind = kSwfFillRadialGradient;
    m_gradientMatrix = CSwfMatrix(true, scale, scale, false, 0, 0, (b.m_nXMin + b.m_nXMax) / 2,
                                  (b.m_nYMin + b.m_nYMax) / 2);
    m_gradient = CSwfGradient();
    m_gradient.Add(0, color0);
    m_gradient.Add(255, color1);
    m_bDefined = false;
}

void CSwfShapeObject::SetBitmapFill(std::unique_ptr<CSwfCharacterTag> bitmap, int32_t width,
                                    int32_t height) {
    m_nFillKind = kSwfFillBitmap;
    m_pBitmapTag = std::move(bitmap);
    m_pBitmapOwner = nullptr;
    m_nBitmapId = -1;
    m_nBitmapWidth = width;
    m_nBitmapHeight = height;
    m_bDefined = false;
}

void CSwfShapeObject::SetSharedBitmapFill(const CSwfShapeObject& owner, int32_t width,
                                          int32_t height) {
    m_nFillKind = kSwfFillBitmap;
    m_pBitmapTag.reset();
    m_pBitmapOwner = &owner;
    m_nBitmapId = -1;
    m_nBitmapWidth = width;
    m_nBitmapHeight = height;
    m_bDefined = false;
}

void CSwfShapeObject::SetTranslate(int32_t x, int32_t y) {
    m_nTranslateX = x;
    m_nTranslateY = y;
}

void CSwfShapeObject::SetRotation(int32_t degrees16) {
    m_nRotation = degrees16;
}

void CSwfShapeObject::SetScale(int32_t scaleX16, int32_t scaleY16) {
    m_nScaleX = scaleX16;
    m_nScaleY = scaleY16;
}

bool CSwfShapeObject::HasMatrix() const {
    return m_nTranslateX != 0 || m_nTranslateY != 0 || m_nRotation != 0 || m_nScaleX != 0x10000 ||
           m_nScaleY != 0x10000;
}

CSwfMatrix CSwfShapeObject::GetMatrix() const {
    return CentredTransform(m_rcBounds, m_nTranslateX, m_nTranslateY, m_nRotation, m_nScaleX,
                            m_nScaleY);
}

void CSwfShapeObject::AddToFrame(CSwfTagList& frame, CSwfMovie& movie) {
    if (!m_bDefined) {
        Define(frame, movie);
    }
    if (!m_bDefineOnly) {
        Place(frame, movie);
    }
}

void CSwfShapeObject::AddFill(CSwfTagList& frame, CSwfMovie& movie, CSwfShapeWithStyle& shape) {
    const CSwfRect& b = m_rcBounds;
    std::unique_ptr<CSwfFillStyle> fill;
    switch (m_nFillKind) {
        case kSwfFillSolid:
            fill = std::make_unique<CSwfSolidFillStyle>(m_crFill);
            break;
        case kSwfFillLinearGradient:
        case kSwfFillRadialGradient:
            fill = std::make_unique<CSwfGradientFillStyle>(m_nFillKind == kSwfFillRadialGradient,
                                                           m_gradientMatrix, m_gradient);
            break;
        case kSwfFillBitmap: {
            if (m_nBitmapWidth <= 0 || m_nBitmapHeight <= 0) {
                break;
            }
            if (m_pBitmapOwner != nullptr) {
                m_nBitmapId = m_pBitmapOwner->m_nBitmapId;
            }
            if (m_pBitmapTag) {
                // Later definitions refer to the bitmap this one emits.
                m_pBitmapTag->SetCharacterId(movie.NextCharacterId());
                m_nBitmapId = m_pBitmapTag->GetCharacterId();
                frame.Add(std::move(m_pBitmapTag));
            }
            if (m_nBitmapId < 0) {
                break;
            }
            const int64_t scaleX =
                (static_cast<int64_t>(b.m_nXMax) - b.m_nXMin + 1) * 65536 / m_nBitmapWidth;
            const int64_t scaleY =
                (static_cast<int64_t>(b.m_nYMax) - b.m_nYMin + 1) * 65536 / m_nBitmapHeight;
            fill = std::make_unique<CSwfBitmapFillStyle>(
                static_cast<uint16_t>(m_nBitmapId),
                CSwfMatrix(true, static_cast<int32_t>(scaleX), static_cast<int32_t>(scaleY), false,
                           0, 0, b.m_nXMin, b.m_nYMin));
            break;
        }
        default:
            break;
    }
    m_nFillStyleIndex = fill ? shape.AddFillStyle(std::move(fill)) : 0;
}

void CSwfShapeObject::Define(CSwfTagList& frame, CSwfMovie& movie) {
    auto shape = std::make_unique<CSwfShapeWithStyle>();
    AddFill(frame, movie, *shape);
    m_nLineStyleIndex = 0;
    if (m_nLineWidth > 0) {
        m_nLineStyleIndex = shape->AddLineStyle(std::make_unique<CSwfLineStyle>(
            static_cast<uint16_t>(std::min<int32_t>(m_nLineWidth, 0xFFFF)), m_crLine));
    }
    shape->FinishStyles();
    int32_t x = 0;
    int32_t y = 0;
    StartPoint(x, y);
    shape->AddRecord(std::make_unique<CSwfStyleChangeRecord>(true, true, false, true, x, y, 0,
                                                             m_nFillStyleIndex, m_nLineStyleIndex));
    AddEdges(*shape);
    shape->AddRecord(std::make_unique<CSwfEndShapeRecord>());
    auto tag = std::make_unique<CSwfDefineShape>(m_rcBounds, std::move(shape));
    TakeCharacterId(*tag, movie);
    frame.Add(std::move(tag));
    m_bDefined = true;
}

namespace {
// The largest delta an edge record can hold: its bit count is stored in 4 bits, plus 2.
constexpr int64_t kMaxEdgeDelta = 65535;
}  // namespace

void CSwfShapeObject::AddStraight(CSwfShapeWithStyle& shape, int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) {
        return;
    }
    // An edge record holds deltas of at most 17 bits: a longer edge goes out in equal pieces
    // that end exactly where it does.
    const int64_t longest = std::max(std::abs(int64_t(dx)), std::abs(int64_t(dy)));
    const int64_t pieces = (longest + kMaxEdgeDelta - 1) / kMaxEdgeDelta;
    int64_t x = 0, y = 0;
    for (int64_t k = 1; k <= pieces; ++k) {
        const int64_t nx = dx * k / pieces, ny = dy * k / pieces;
        shape.AddRecord(std::make_unique<CSwfStraightEdgeRecord>(int32_t(nx - x), int32_t(ny - y)));
        x = nx;
        y = ny;
    }
}

void CSwfShapeObject::AddCurve(CSwfShapeWithStyle& shape, int32_t controlDx, int32_t controlDy,
                               int32_t anchorDx, int32_t anchorDy) {
    if (controlDx == 0 && controlDy == 0 && anchorDx == 0 && anchorDy == 0) {
        return;
    }
    const int64_t longest = std::max({std::abs(int64_t(controlDx)), std::abs(int64_t(controlDy)),
                                      std::abs(int64_t(anchorDx)), std::abs(int64_t(anchorDy))});
    if (longest <= kMaxEdgeDelta) {
        shape.AddRecord(
            std::make_unique<CSwfCurvedEdgeRecord>(controlDx, controlDy, anchorDx, anchorDy));
        return;
    }
    // Too long for one record: the two halves of the curve, meeting at its middle point.
    const int64_t cx = controlDx, cy = controlDy;
    const int64_t ex = cx + anchorDx, ey = cy + anchorDy;
    const int64_t mx = (2 * cx + ex) / 4, my = (2 * cy + ey) / 4;
    const int64_t c1x = cx / 2, c1y = cy / 2;
    const int64_t c2x = (cx + ex) / 2, c2y = (cy + ey) / 2;
    AddCurve(shape, int32_t(c1x), int32_t(c1y), int32_t(mx - c1x), int32_t(my - c1y));
    AddCurve(shape, int32_t(c2x - mx), int32_t(c2y - my), int32_t(ex - c2x), int32_t(ey - c2y));
}

void CSwfRectangle::StartPoint(int32_t& x, int32_t& y) const {
    x = Bounds().m_nXMin;
    y = Bounds().m_nYMin;
}

void CSwfRectangle::AddEdges(CSwfShapeWithStyle& shape) const {
    const int32_t w = Bounds().m_nXMax - Bounds().m_nXMin;
    const int32_t h = Bounds().m_nYMax - Bounds().m_nYMin;
    AddStraight(shape, w + 1, 0);
    AddStraight(shape, 0, h + 1);
    AddStraight(shape, -(w + 1), 0);
    AddStraight(shape, 0, -(h + 1));
}

CSwfRoundRect::CSwfRoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius)
    : CSwfShapeObject(x1, y1, x2, y2), m_nRadius(radius) {
    m_nRadius = std::min(m_nRadius, (x2 - x1 + 1) / 2);
    m_nRadius = std::min(m_nRadius, (y2 - y1 + 1) / 2);
}

void CSwfRoundRect::StartPoint(int32_t& x, int32_t& y) const {
    x = Bounds().m_nXMin + m_nRadius;
    y = Bounds().m_nYMin;
}

void CSwfRoundRect::AddEdges(CSwfShapeWithStyle& shape) const {
    const int32_t r = m_nRadius;
    const int32_t w = Bounds().m_nXMax - Bounds().m_nXMin;
    const int32_t h = Bounds().m_nYMax - Bounds().m_nYMin;
    const int32_t hl = w - 2 * r >= 0 ? w - 2 * r + 1 : 1;
    const int32_t vl = h - 2 * r + 1 > 0 ? h - 2 * r + 1 : 1;
    AddStraight(shape, hl, 0);
    AddCurve(shape, r, 0, 0, r);
    AddStraight(shape, 0, vl);
    AddCurve(shape, 0, r, -r, 0);
    AddStraight(shape, -hl, 0);
    AddCurve(shape, -r, 0, 0, -r);
    AddStraight(shape, 0, -vl);
    AddCurve(shape, 0, -r, r, 0);
}

void CSwfEllipse::StartPoint(int32_t& x, int32_t& y) const {
    x = Bounds().m_nXMin + (Bounds().m_nXMax - Bounds().m_nXMin) / 2;
    y = Bounds().m_nYMin;
}

void CSwfEllipse::AddEdges(CSwfShapeWithStyle& shape) const {
    const int32_t rx = (Bounds().m_nXMax - Bounds().m_nXMin) / 2;
    const int32_t ry = (Bounds().m_nYMax - Bounds().m_nYMin) / 2;
    AddCurve(shape, -rx, 0, 0, ry);
    AddCurve(shape, 0, ry, rx, 0);
    AddCurve(shape, rx, 0, 0, -ry);
    AddCurve(shape, 0, -ry, -rx, 0);
}

CSwfPath::CSwfPath(int32_t x, int32_t y) : CSwfShapeObject(x, y, x, y) {
    m_segments.reserve(8);
    m_segments.push_back({true, x, y, 0, 0});
}

CSwfPath::CSwfPath(std::span<const SSwfPoint> points) : CSwfShapeObject(0, 0, 0, 0) {
    if (points.empty()) {
        m_segments.push_back({true, 0, 0, 0, 0});
        return;
    }
    m_segments.reserve(points.size() + 1);
    m_segments.push_back({true, points[0].x, points[0].y, 0, 0});
    for (size_t j = 1; j < points.size(); ++j) {
        m_segments.push_back(
            {true, points[j].x - points[j - 1].x, points[j].y - points[j - 1].y, 0, 0});
    }
    const SSwfPoint& first = points.front();
    const SSwfPoint& last = points.back();
    if (first.x != last.x || first.y != last.y) {
        m_segments.push_back({true, first.x - last.x, first.y - last.y, 0, 0});
    }
    UpdateBounds();
}

void CSwfPath::LineTo(int32_t dx, int32_t dy) {
    m_segments.push_back({true, dx, dy, 0, 0});
    UpdateBounds();
}

void CSwfPath::CurveTo(int32_t controlDx, int32_t controlDy, int32_t anchorDx, int32_t anchorDy) {
    m_segments.push_back({false, anchorDx, anchorDy, controlDx, controlDy});
    UpdateBounds();
}

void CSwfPath::UpdateBounds() {
    int32_t x = m_segments[0].m_nA;
    int32_t y = m_segments[0].m_nB;
    CSwfRect bounds(x, y, x, y);
    for (size_t i = 1; i < m_segments.size(); ++i) {
        const SSegment& s = m_segments[i];
        x += s.m_bStraight ? s.m_nA : s.m_nA + s.m_nC;
        y += s.m_bStraight ? s.m_nB : s.m_nB + s.m_nD;
        bounds.m_nXMin = std::min(bounds.m_nXMin, x);
        bounds.m_nXMax = std::max(bounds.m_nXMax, x);
        bounds.m_nYMin = std::min(bounds.m_nYMin, y);
        bounds.m_nYMax = std::max(bounds.m_nYMax, y);
    }
    SetBounds(bounds);
}

void CSwfPath::StartPoint(int32_t& x, int32_t& y) const {
    x = m_segments[0].m_nA;
    y = m_segments[0].m_nB;
}

void CSwfPath::AddEdges(CSwfShapeWithStyle& shape) const {
    for (size_t i = 1; i < m_segments.size(); ++i) {
        const SSegment& s = m_segments[i];
        if (s.m_bStraight) {
            AddStraight(shape, s.m_nA, s.m_nB);
        } else {
            AddCurve(shape, s.m_nC, s.m_nD, s.m_nA, s.m_nB);
        }
    }
}
