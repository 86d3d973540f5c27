#include "editor/bubble/BubbleFont.h"

#include <QByteArray>
#include <QFile>
#include <QPainter>
#include <QString>
#include <cmath>
#include <map>
#include <tuple>

#include "editor/bubble/BubbleFontFiles.h"

namespace {

constexpr int kBoldWeight = 600;
constexpr int kBoldUnderlineWeight = 700;
constexpr qreal kReferenceSize = 100.0;
// Sizes beyond this are refused by the rasteriser anyway; a damaged height cannot ask for more.
constexpr qreal kMaxPixelSize = 2000.0;

// Fonts are read once per thread and size: the publisher lays out bubbles on its worker thread.
QRawFont LoadRawFont(const std::string& file, qreal pixelSize) {
    thread_local std::map<std::string, QByteArray> data;
    thread_local std::map<std::tuple<std::string, qreal>, QRawFont> fonts;
    const auto key = std::make_tuple(file, pixelSize);
    if (auto it = fonts.find(key); it != fonts.end()) {
        return it->second;
    }
    auto dataIt = data.find(file);
    if (dataIt == data.end()) {
        QFile in(QString::fromStdString(file));
        QByteArray bytes;
        if (in.open(QIODevice::ReadOnly)) {
            bytes = in.readAll();
        }
        dataIt = data.emplace(file, bytes).first;
    }
    QRawFont font(dataIt->second, pixelSize, QFont::PreferNoHinting);
    if (fonts.size() > 256) {
        fonts.clear();
    }
    fonts.emplace(key, font);
    return font;
}

// The character height for a stored height: a positive height is a cell height, which the
// family's ascent and descent divide into.
qreal PixelSizeFor(const std::string& file, int32_t nHeight) {
    if (nHeight < 0) {
        return std::min<qreal>(-static_cast<qreal>(nHeight), kMaxPixelSize);
    }
    const QRawFont reference = LoadRawFont(file, kReferenceSize);
    const qreal cell = reference.ascent() + reference.descent();
    if (!reference.isValid() || cell <= 0) {
        return 0.0;
    }
    return std::min(static_cast<qreal>(nHeight) * kReferenceSize / cell, kMaxPixelSize);
}

}  // namespace

CBubbleFont::CBubbleFont(const CLogFont& font, int32_t nHeight) : m_nWeight(font.m_nWeight) {
    const EFontKind kind = FontKindOfFace(font.FaceName(), font.m_nPitchAndFamily);
    const bool bBold = font.m_nWeight >= kBoldWeight;
    const bool bItalic = font.m_bItalic != 0;
    m_primaryFile = FontFileOf(PrimaryFamily(kind), bBold, bItalic);
    std::string fallbackFile = FontFileOf(FallbackFamily(kind), bBold, bItalic);
    if (m_primaryFile.empty()) {
        m_primaryFile = fallbackFile;
    }
    if (m_primaryFile.empty()) {
        return;
    }
    // Height 0 asks for the default size.
    const qreal pixelSize =
        PixelSizeFor(m_primaryFile, nHeight != 0 ? nHeight : CLogFont::Default().m_nHeight);
    if (pixelSize <= 0) {
        return;
    }
    m_primary = LoadRawFont(m_primaryFile, pixelSize);
    if (!fallbackFile.empty() && fallbackFile != m_primaryFile) {
        m_fallback = LoadRawFont(fallbackFile, pixelSize);
        m_fallbackFile = fallbackFile;
    }
    m_nAscent = static_cast<int>(std::lround(m_primary.ascent()));
    m_nDescent = static_cast<int>(std::lround(m_primary.descent()));
    m_nLeading = std::max(0, static_cast<int>(std::lround(m_primary.leading())));
}

std::vector<QGlyphRun> CBubbleFont::Runs(std::u16string_view text, qreal* pWidth) const {
    std::vector<QGlyphRun> runs;
    qreal x = 0;
    if (!m_primary.isValid() || text.empty()) {
        *pWidth = 0;
        return runs;
    }
    const QString line = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    const QList<quint32> glyphs = m_primary.glyphIndexesForString(line);
    // One glyph per code point: walk the code points alongside to find missing characters.
    const QList<uint> codePoints = line.toUcs4();
    const qsizetype count = std::min(glyphs.size(), codePoints.size());
    qsizetype i = 0;
    while (i < count) {
        const bool useFallback =
            glyphs[i] == 0 && m_fallback.isValid() && m_fallback.supportsCharacter(codePoints[i]);
        qsizetype end = i + 1;
        while (end < count && (glyphs[end] == 0 && m_fallback.isValid() &&
                               m_fallback.supportsCharacter(codePoints[end])) == useFallback) {
            ++end;
        }
        const QRawFont& font = useFallback ? m_fallback : m_primary;
        QList<quint32> runGlyphs;
        if (useFallback) {
            QString part;
            for (qsizetype k = i; k < end; ++k) {
                part += QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoints[k]), 1);
            }
            runGlyphs = font.glyphIndexesForString(part);
        } else {
            runGlyphs = glyphs.mid(i, end - i);
        }
        const QList<QPointF> advances =
            font.advancesForGlyphIndexes(runGlyphs, QRawFont::UseDesignMetrics);
        QList<QPointF> positions;
        positions.reserve(advances.size());
        for (const QPointF& advance : advances) {
            positions.append(QPointF(x, 0));
            x += advance.x();
        }
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(runGlyphs);
        run.setPositions(positions);
        runs.push_back(run);
        i = end;
    }
    *pWidth = x;
    return runs;
}

bool CBubbleFont::Outline(char32_t code, qreal emSize, QPainterPath* pPath, qreal* pAdvance) const {
    if (!m_primary.isValid()) {
        return false;
    }
    const QString text = QString::fromUcs4(&code, 1);
    QRawFont font = LoadRawFont(m_primaryFile, emSize);
    QList<quint32> glyphs = font.glyphIndexesForString(text);
    if ((glyphs.isEmpty() || glyphs[0] == 0) && m_fallback.isValid() &&
        m_fallback.supportsCharacter(code)) {
        font = LoadRawFont(m_fallbackFile, emSize);
        glyphs = font.glyphIndexesForString(text);
    }
    if (glyphs.isEmpty() || !font.isValid()) {
        return false;
    }
    *pPath = font.pathForGlyph(glyphs[0]);
    *pAdvance = font.advancesForGlyphIndexes(glyphs.mid(0, 1), QRawFont::UseDesignMetrics)[0].x();
    return true;
}

void CBubbleFont::Metrics(qreal emSize, qreal* pAscent, qreal* pDescent, qreal* pLeading) const {
    const QRawFont font = LoadRawFont(m_primaryFile, emSize);
    *pAscent = font.ascent();
    *pDescent = font.descent();
    *pLeading = font.leading();
}

int CBubbleFont::Width(std::u16string_view text) const {
    qreal width = 0;
    Runs(text, &width);
    return static_cast<int>(std::lround(width));
}

void CBubbleFont::Draw(QPainter& painter, int x, int y, std::u16string_view text,
                       const QColor& color) const {
    qreal width = 0;
    const std::vector<QGlyphRun> runs = Runs(text, &width);
    painter.save();
    painter.setPen(color);
    for (const QGlyphRun& run : runs) {
        painter.drawGlyphRun(QPointF(x, y + m_nAscent), run);
    }
    painter.restore();
}

int UnderlineThickness(int nLineHeight, int nWeight) {
    return nLineHeight / (nWeight == kBoldUnderlineWeight ? 19 : 21) + 1;
}
