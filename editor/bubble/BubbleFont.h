// The talk-bubble font: the stored font description made into installed font files at the size
// of the shown picture, measuring and drawing single lines. Characters the main family lacks are
// taken from the fallback family. Advances use the fonts' design metrics, so widths do not depend
// on the machine's hinting settings.
#pragma once

#include <QColor>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <string>
#include <string_view>
#include <vector>

#include "project/model/LogFont.h"

class QPainter;

class CBubbleFont {
public:
    // `nHeight` is the stored height already scaled to the shown picture: negative for the
    // character height in pixels, positive for the cell height.
    CBubbleFont(const CLogFont& font, int32_t nHeight);

    bool IsValid() const { return m_primary.isValid(); }
    int Ascent() const { return m_nAscent; }
    // The cell height of a line: ascent plus descent.
    int Height() const { return m_nAscent + m_nDescent; }
    int ExternalLeading() const { return m_nLeading; }
    int Weight() const { return m_nWeight; }
    const std::string& PrimaryFile() const { return m_primaryFile; }

    // The character height in pixels the lines are drawn at.
    qreal PixelSize() const { return m_primary.pixelSize(); }
    // A character as the lines draw it (from the main family, or from the fallback family when
    // the main one lacks it) in a font of `emSize` pixels: its outline, y down with the baseline
    // at 0, and its advance. A character neither family has gives the main family's missing-glyph
    // box, as on the preview. False only without a usable font.
    bool Outline(char32_t code, qreal emSize, QPainterPath* pPath, qreal* pAdvance) const;
    // Ascent, descent and leading of the main family in a font of `emSize` pixels.
    void Metrics(qreal emSize, qreal* pAscent, qreal* pDescent, qreal* pLeading) const;

    // Width of a line in whole pixels.
    int Width(std::u16string_view text) const;
    // Draws a line with its cell's top-left corner at (x, y).
    void Draw(QPainter& painter, int x, int y, std::u16string_view text, const QColor& color) const;

private:
    std::vector<QGlyphRun> Runs(std::u16string_view text, qreal* pWidth) const;

    QRawFont m_primary;
    QRawFont m_fallback;
    std::string m_primaryFile;
    std::string m_fallbackFile;
    int m_nAscent = 0;
    int m_nDescent = 0;
    int m_nLeading = 0;
    int m_nWeight = 400;
};

// The height of a line's underline bar for a line of height `nLineHeight`.
int UnderlineThickness(int nLineHeight, int nWeight);
