#include "publish/FrameBitmaps.h"

#include <algorithm>
#include <unordered_map>

#include "platform/Prompter.h"
#include "publish/ColorTable.h"
#include "swf/JpegFile.h"
#include "swf/SwfOctreeQuantizer.h"

namespace {

constexpr uint32_t kRgb = 0xFFFFFF;

uint32_t Packed(uint32_t pixel) {
    return PackSwfColor(uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel));
}

// Palette indexes of the pixels whose mask is set; false when there are more than 255 colours.
bool MapColours(const std::vector<uint32_t>& pixels, const std::vector<uint8_t>* mask,
                std::vector<uint32_t>& palette, std::vector<uint8_t>& indexes, uint8_t other) {
    std::unordered_map<uint32_t, uint8_t> table;
    table.reserve(512);
    palette.clear();
    indexes.assign(pixels.size(), other);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (mask != nullptr && (*mask)[i] == 0) {
            continue;
        }
        const uint32_t colour = pixels[i] & kRgb;
        auto [it, added] = table.try_emplace(colour, uint8_t(palette.size()));
        if (added) {
            if (palette.size() == 255) {
                return false;
            }
            palette.push_back(Packed(colour) | (mask != nullptr ? 0xFF000000u : 0u));
        }
        indexes[i] = it->second;
    }
    return true;
}

}  // namespace

void SPublishCanvas::Allocate(int32_t width, int32_t height) {
    nWidth = width;
    nHeight = height;
    const size_t n = size_t(width) * size_t(height);
    current.assign(n, 0);
    previous.assign(n, 0xFFFFFFFFu);
    repeats.assign(n, 0);
}

CFrameBitmaps::CFrameBitmaps(int32_t twips, int32_t jpegQuality, IPrompter& prompter)
    : m_nTwips(twips), m_nJpegQuality(jpegQuality), m_prompter(prompter) {}

void CFrameBitmaps::ClearCaches() {
    m_opaque.clear();
    m_transparent.clear();
    m_shapes.clear();
}

SMadeBitmap CFrameBitmaps::Make(const SRect& rc, SPublishCanvas& canvas, bool transparency,
                                CPublishRandom& random, bool shareShape) {
    const int32_t w = rc.right - rc.left + 1;
    const int32_t h = rc.bottom - rc.top + 1;
    m_pixels.resize(size_t(w) * h);
    m_mask.assign(size_t(w) * h, 1);

    const uint32_t resume = random.Next();
    random.Seed(13);
    uint64_t keyA = 0;
    uint64_t keyB = 0;
    bool anyTransparent = false;
    size_t k = 0;
    for (int32_t y = rc.top; y <= rc.bottom; ++y) {
        const size_t row = size_t(y) * canvas.nWidth;
        for (int32_t x = rc.left; x <= rc.right; ++x, ++k) {
            const size_t i = row + x;
            const uint32_t pixel = canvas.current[i];
            const uint64_t r = random.Next() + 1;
            const uint64_t weighted = (uint64_t(pixel & kRgb) + 1) * r;
            keyA += weighted;
            m_pixels[k] = pixel;
            if (transparency) {
                if (pixel == canvas.previous[i] && canvas.repeats[i] < kMaxRepeats) {
                    m_mask[k] = 0;
                    anyTransparent = true;
                    ++canvas.repeats[i];
                } else {
                    canvas.repeats[i] = 0;
                    keyB += weighted;
                }
            }
            canvas.previous[i] = pixel;
        }
    }
    random.Seed(resume);

    const int32_t x1 = rc.left * m_nTwips;
    const int32_t y1 = rc.top * m_nTwips;
    const int32_t x2 = x1 + w * m_nTwips - 1;
    const int32_t y2 = y1 + h * m_nTwips - 1;
    auto& cache = anyTransparent ? m_transparent : m_opaque;
    const TKey key{w, h, keyA, anyTransparent ? keyB : 0};
    SMadeBitmap made;
    const CSwfBitmapRect* pOwner = nullptr;
    if (auto it = cache.find(key); it != cache.end()) {
        ++m_figures.nReused;
        pOwner = it->second;
        if (shareShape) {
            if (auto shape = m_shapes.find({pOwner, x1, y1}); shape != m_shapes.end()) {
                made.pShared = shape->second;
                return made;
            }
        }
        made.pNew = std::make_unique<CSwfBitmapRect>(x1, y1, x2, y2, *pOwner);
    } else {
        made.pNew = Encode(x1, y1, x2, y2, uint16_t(w), uint16_t(h), anyTransparent);
        pOwner = made.pNew.get();
        cache.emplace(key, pOwner);
    }
    if (shareShape) {
        m_shapes.emplace(std::tuple{pOwner, x1, y1}, made.pNew.get());
    }
    return made;
}

std::unique_ptr<CSwfDefineBitsLossless> CFrameBitmaps::EncodeMapped(uint16_t w, uint16_t h,
                                                                    bool anyTransparent) {
    SSwfPalette palette;
    std::vector<uint8_t> indexes;
    if (anyTransparent) {
        m_pColors->Map(m_pixels, m_mask.data(), palette, indexes);
        if (palette.m_colors.size() < SSwfPalette::kMaxSize) {
            const uint8_t clear = uint8_t(palette.m_colors.size());
            for (size_t i = 0; i < indexes.size(); ++i) {
                if (m_mask[i] == 0) {
                    indexes[i] = clear;
                }
            }
            for (uint32_t& colour : palette.m_colors) {
                colour |= 0xFF000000u;
            }
            palette.m_colors.push_back(0);
            return CSwfDefineBitsLossless::ColorMapped(w, h, palette.m_colors, indexes, true);
        }
    }
    m_pColors->Map(m_pixels, nullptr, palette, indexes);
    return CSwfDefineBitsLossless::ColorMapped(w, h, palette.m_colors, indexes, false);
}

std::unique_ptr<CSwfBitmapRect> CFrameBitmaps::Encode(int32_t x1, int32_t y1, int32_t x2,
                                                      int32_t y2, uint16_t w, uint16_t h,
                                                      bool anyTransparent) {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indexes;
    std::unique_ptr<CSwfDefineBitsLossless> lossless;
    if (m_pColors != nullptr) {
        lossless = EncodeMapped(w, h, anyTransparent);
    } else if (anyTransparent) {
        if (MapColours(m_pixels, &m_mask, palette, indexes, 0)) {
            const uint8_t clear = uint8_t(palette.size());
            for (size_t i = 0; i < indexes.size(); ++i) {
                if (m_mask[i] == 0) {
                    indexes[i] = clear;
                }
            }
            palette.push_back(0);
            lossless = CSwfDefineBitsLossless::ColorMapped(w, h, palette, indexes, true);
            std::vector<uint32_t> full;
            std::vector<uint8_t> fullIndexes;
            if (MapColours(m_pixels, nullptr, full, fullIndexes, 0)) {
                auto opaque = CSwfDefineBitsLossless::ColorMapped(w, h, full, fullIndexes, false);
                if (opaque->EncodedSize() <= lossless->EncodedSize()) {
                    lossless = std::move(opaque);
                }
            }
        } else {
            std::vector<uint32_t> argb(m_pixels.size());
            for (size_t i = 0; i < argb.size(); ++i) {
                argb[i] = m_mask[i] != 0 ? (m_pixels[i] & kRgb) | 0xFF000000u : 0;
            }
            lossless = CSwfDefineBitsLossless::TrueColor(w, h, argb, true);
        }
    } else if (MapColours(m_pixels, nullptr, palette, indexes, 0)) {
        lossless = CSwfDefineBitsLossless::ColorMapped(w, h, palette, indexes, false);
    } else {
        lossless = CSwfDefineBitsLossless::TrueColor(w, h, m_pixels, false);
    }

    m_figures.nLastLosslessFormat = lossless->Format();
    if (!lossless->HasAlpha() && lossless->EncodedSize() > kJpegTrialSize) {
        std::vector<uint8_t> rgb(m_pixels.size() * 3);
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            rgb[3 * i] = uint8_t(m_pixels[i] >> 16);
            rgb[3 * i + 1] = uint8_t(m_pixels[i] >> 8);
            rgb[3 * i + 2] = uint8_t(m_pixels[i]);
        }
        SJpegResult encoded = CJpegFile::EncodeJpeg(rgb, w, h, true, m_nJpegQuality);
        if (!encoded.Ok()) {
            m_prompter.Error(encoded.strError, kJpegErrorCaption);
        }
        auto jpeg = std::make_shared<const std::vector<uint8_t>>(std::move(encoded.data));
        if (!jpeg->empty() && jpeg->size() < lossless->EncodedSize()) {
            ++m_figures.nJpeg;
            return std::make_unique<CSwfBitmapRect>(x1, y1, x2, y2, w, h, std::move(jpeg));
        }
    }
    ++m_figures.nLossless;
    if (lossless->HasAlpha()) {
        ++m_figures.nTransparent;
    }
    return std::make_unique<CSwfBitmapRect>(x1, y1, x2, y2, std::move(lossless));
}
