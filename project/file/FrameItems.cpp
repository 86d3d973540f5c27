#include "project/file/FrameItems.h"

#include <algorithm>
#include <array>
#include <vector>

#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"

namespace {

constexpr int kAnimationFormat = 3;

// Code page 1252 at 0x80 to 0x9F; the other bytes are their own code points.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void WriteUtf16(CStoreWriter& out, const std::u16string& text, std::int64_t units) {
    for (std::int64_t i = 0; i < units && i < static_cast<std::int64_t>(text.size()); ++i) {
        out.I16(static_cast<std::int16_t>(text[static_cast<std::size_t>(i)]));
    }
}

void WriteBytes(CStoreWriter& out, const std::string& text, std::int64_t bytes) {
    std::size_t n = static_cast<std::size_t>(std::max<std::int64_t>(0, bytes));
    out.Bytes(text.data(), std::min(n, text.size()));
}

void WriteBlock(CStoreWriter& out, const std::vector<std::uint8_t>& block) {
    // The block carries its own length prefix; the stored prefix is always the true length.
    std::size_t body = block.size() >= 4 ? block.size() - 4 : 0;
    out.U32(static_cast<std::uint32_t>(body));
    if (body > 0) {
        out.Bytes(block.data() + 4, body);
    }
}

bool ReadUtf16(CStoreReader& in, std::int64_t units, bool b8Bit, std::u16string& text) {
    if (units < 0) {
        in.Fail();
        return false;
    }
    std::uint64_t bytes = static_cast<std::uint64_t>(units) * (b8Bit ? 1 : 2);
    if (bytes > in.Remaining()) {
        in.Fail();
        return false;
    }
    std::vector<std::uint8_t> raw;
    if (!in.Bytes(raw, static_cast<std::size_t>(bytes))) {
        return false;
    }
    if (b8Bit) {
        text = FromWindows1252(raw);
        return true;
    }
    text.resize(static_cast<std::size_t>(units));
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    }
    return true;
}

bool ReadText(CStoreReader& in, std::int64_t bytes, std::string& text) {
    if (bytes < 0 || static_cast<std::uint64_t>(bytes) > in.Remaining()) {
        in.Fail();
        return false;
    }
    text.resize(static_cast<std::size_t>(bytes));
    return in.Bytes(text.data(), text.size());
}

bool ReadBlock(CStoreReader& in, std::vector<std::uint8_t>& block) {
    std::uint32_t length = 0;
    if (!in.U32(length) || length > in.Remaining()) {
        in.Fail();
        return false;
    }
    block.assign(4, 0);
    for (int i = 0; i < 4; ++i) {
        block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    block.resize(4 + static_cast<std::size_t>(length));
    return in.Bytes(block.data() + 4, length);
}

}  // namespace

std::u16string FromWindows1252(std::span<const std::uint8_t> text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::uint8_t c : text) {
        out.push_back(c >= 0x80 && c < 0xA0 ? k1252High[c - 0x80] : static_cast<char16_t>(c));
    }
    return out;
}

void WriteBubbleAnimation(CStoreWriter& out, const CBubbleAnimation& a) {
    out.Int(kAnimationFormat);
    for (std::int32_t v : a.m_nSettings) {
        out.Int(v);
    }
    for (const auto& c : a.m_Channels) {
        out.Int(1);
        out.Int(c.m_nValues[0]);
        out.Int(c.m_nValues[1]);
        out.Float(c.m_fValue);
        out.Int(c.m_nValues[2]);
        out.Int(c.m_nValues[3]);
    }
    for (std::int32_t v : a.m_nFurther) {
        out.Int(v);
    }
}

bool ReadBubbleAnimation(CStoreReader& in, CBubbleAnimation& a) {
    std::int32_t format = 0;
    if (!in.Int(format)) {
        return false;
    }
    if (format >= 1) {
        for (std::int32_t& v : a.m_nSettings) {
            in.Int(v);
        }
        for (auto& c : a.m_Channels) {
            std::int32_t present = 0;
            if (in.Int(present) && present > 0) {
                double factor = 0;
                in.Int(c.m_nValues[0]);
                in.Int(c.m_nValues[1]);
                in.Float(factor);
                in.Int(c.m_nValues[2]);
                in.Int(c.m_nValues[3]);
                c.m_fValue = static_cast<float>(factor);
            }
        }
    }
    if (format >= 2) {
        in.Int(a.m_nFurther[0]);
        in.Int(a.m_nFurther[1]);
    }
    if (format >= 3) {
        in.Int(a.m_nFurther[2]);
    }
    return in.Ok();
}

void WriteFrameItems(CStoreWriter& out, const CFrameRecord& f) {
    if (f.m_pFont) {
        std::array<std::uint8_t, kLogFontSize> font{};
        f.m_pFont->Write(font);
        out.Bytes(font.data(), font.size());
    }
    if (f.m_pFormat) {
        WriteUtf16(out, *f.m_pFormat, f.m_nFormatLen);
    }
    if (f.m_pText) {
        WriteUtf16(out, *f.m_pText, f.m_nTextLen);
    }
    if (f.m_pChapter) {
        WriteUtf16(out, *f.m_pChapter, f.m_nChapterLen);
    }
    if (f.m_pPicture && !f.m_bPictureUndone) {
        WriteBlock(out, *f.m_pPicture);
    }
    if (f.m_pszSound) {
        WriteBytes(out, *f.m_pszSound, f.m_nSoundLen);
        if (f.m_pszSoundRel) {
            WriteBytes(out, *f.m_pszSoundRel, f.m_nSoundRelLen);
        }
    }
    if (f.m_pszHotspotUrl) {
        WriteBytes(out, *f.m_pszHotspotUrl, f.m_nHotspotUrlLen);
    }
    if (f.m_pszHotspotTarget) {
        WriteBytes(out, *f.m_pszHotspotTarget, f.m_nHotspotTargetLen);
    }
    if (f.m_pszFrameUrl) {
        WriteBytes(out, *f.m_pszFrameUrl, f.m_nFrameUrlLen);
    }
    if (f.m_pszFrameTarget) {
        WriteBytes(out, *f.m_pszFrameTarget, f.m_nFrameTargetLen);
    }
    if (f.m_pszHotspotImage) {
        WriteBytes(out, *f.m_pszHotspotImage, f.m_nHotspotImageLen);
    }
    if (f.m_pPanPicture) {
        WriteBlock(out, *f.m_pPanPicture);
    }
    if (f.m_pBubbleAnimation) {
        WriteBubbleAnimation(out, *f.m_pBubbleAnimation);
    }
    if (f.m_pSpeech) {
        out.I32(static_cast<std::int32_t>(f.m_pSpeech->size()));
        WriteUtf16(out, *f.m_pSpeech, static_cast<std::int64_t>(f.m_pSpeech->size()));
    }
}

bool ReadFrameItems(CStoreReader& in, CFrameRecord& f, bool b8BitTexts) {
    if (f.m_pFont) {
        std::array<std::uint8_t, kLogFontSize> font{};
        if (in.Bytes(font.data(), font.size())) {
            f.m_pFont = CLogFont::Read(font);
        }
    }
    if (f.m_pFormat) {
        ReadUtf16(in, f.m_nFormatLen, b8BitTexts, *f.m_pFormat);
    }
    if (f.m_pText) {
        ReadUtf16(in, f.m_nTextLen, b8BitTexts, *f.m_pText);
    }
    if (f.m_pChapter) {
        ReadUtf16(in, f.m_nChapterLen, b8BitTexts, *f.m_pChapter);
    }
    if (f.m_pPicture) {
        ReadBlock(in, *f.m_pPicture);
    }
    if (f.m_pszSound) {
        ReadText(in, f.m_nSoundLen, *f.m_pszSound);
        if (f.m_pszSoundRel) {
            ReadText(in, f.m_nSoundRelLen, *f.m_pszSoundRel);
        }
    } else {
        f.m_pszSoundRel.reset();
    }
    if (f.m_pszHotspotUrl) {
        ReadText(in, f.m_nHotspotUrlLen, *f.m_pszHotspotUrl);
    }
    if (f.m_pszHotspotTarget) {
        ReadText(in, f.m_nHotspotTargetLen, *f.m_pszHotspotTarget);
    }
    if (f.m_pszFrameUrl) {
        ReadText(in, f.m_nFrameUrlLen, *f.m_pszFrameUrl);
    }
    if (f.m_pszFrameTarget) {
        ReadText(in, f.m_nFrameTargetLen, *f.m_pszFrameTarget);
    }
    if (f.m_pszHotspotImage) {
        ReadText(in, f.m_nHotspotImageLen, *f.m_pszHotspotImage);
    }
    if (f.m_pPanPicture) {
        ReadBlock(in, *f.m_pPanPicture);
    }
    if (f.m_pBubbleAnimation) {
        ReadBubbleAnimation(in, *f.m_pBubbleAnimation);
    }
    if (f.m_pSpeech) {
        std::int32_t count = 0;
        if (in.I32(count)) {
            ReadUtf16(in, count, false, *f.m_pSpeech);
        }
    }
    return in.Ok();
}
