#include "project/model/SettingsBlock.h"

#include <cstring>

#include "project/model/LogFont.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"

TFontImage DefaultTalkBubbleFont() {
    TFontImage font{};
    CLogFont::Default().Write(font);
    return font;
}

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& v, std::size_t at) {
    return static_cast<std::uint32_t>(v[at]) | (static_cast<std::uint32_t>(v[at + 1]) << 8) |
           (static_cast<std::uint32_t>(v[at + 2]) << 16) |
           (static_cast<std::uint32_t>(v[at + 3]) << 24);
}

void SetLe32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        v[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

// The record with its two blocks, and lengths that match the bytes that follow it.
std::vector<std::uint8_t> NormalizedVideoOptions(const std::vector<std::uint8_t>& stored) {
    std::vector<std::uint8_t> out(stored);
    if (out.size() < kVideoOptionsSize) {
        out.assign(kVideoOptionsSize, 0);
        return out;
    }
    std::uint64_t format = Le32(out, kVideoOptionsFormatLen);
    std::uint64_t params = Le32(out, kVideoOptionsParamsLen);
    if (kVideoOptionsSize + format + params != out.size()) {
        SetLe32(out, kVideoOptionsFormatLen,
                static_cast<std::uint32_t>(out.size() - kVideoOptionsSize));
        SetLe32(out, kVideoOptionsParamsLen, 0);
    }
    return out;
}

void WriteSound(CStoreWriter& out, const SSoundPage& s) {
    for (std::int32_t v :
         {s.m_nValue1, s.m_nValue2, s.m_nVolume, s.m_nCompression, s.m_nQuality, s.m_nSampleBits,
          s.m_nChannels, s.m_nIgnored, s.m_nFrequency, s.m_nValue3, s.m_nValue4}) {
        out.Int(v);
    }
}

bool ReadSound(CStoreReader& in, SSoundPage& s) {
    for (std::int32_t* v : {&s.m_nValue1, &s.m_nValue2, &s.m_nVolume, &s.m_nCompression,
                            &s.m_nQuality, &s.m_nSampleBits, &s.m_nChannels, &s.m_nIgnored,
                            &s.m_nFrequency, &s.m_nValue3, &s.m_nValue4}) {
        in.Int(*v);
    }
    return in.Ok();
}

// "%s\n" lines that must not replace a value when they are empty.
void ReadNonEmpty(CStoreReader& in, std::string& value) {
    std::string line;
    if (in.Line(line) && !line.empty()) {
        value = line;
    }
}

}  // namespace

void CSettingsBlock::Write(CStoreWriter& out, ESettingsForm form) const {
    const bool project = form == ESettingsForm::Project;
    out.Int(m_crText);
    out.Int(m_crBubble);
    out.Int(m_crHotspot);
    out.Int(m_crShadow);
    out.Bytes(m_font);
    out.Int(m_bUnderline);
    out.Int(m_bShadow);
    for (std::int32_t v : m_nFontCarried) {
        out.Int(v);
    }
    out.Int(m_nHotspotThickness);
    if (project) {
        for (std::int32_t v : m_rcHotspot) {
            out.Int(v);
        }
        out.Int(m_bHideDeleted);
    }
    out.Int(m_crFrameEffect);
    if (project) {
        out.Int(m_b24BitColor);
        out.Int(m_nEditorSwitch);
        for (const auto& name : m_editHistory) {
            for (std::uint8_t b : name) {
                out.Int(static_cast<std::int8_t>(b));
            }
        }
    }
    out.Int(m_nHotspotLevel);
    out.Int(m_nClickSize);
    out.Int(m_crClick);
    out.Int(m_nFrameEffectDuration);
    out.Text(m_strFolder);
    out.Int(m_bHighlightMouse);
    out.Int(m_nEditorNumber1);
    out.Text(m_strEditorFile1);
    out.Int(m_nEditorNumber2);
    out.Text(m_strEditorFile2);

    for (std::int32_t v :
         {m_bZoomInAtStart, m_bZoomOutAtEnd, m_bFadeInAtStart, m_bFadeOutAtEnd, m_bLoopMovie,
          m_bFadeInText, m_bDisplayMouse, m_bAnimatedClick, m_bMouseShadow, m_bCreateWebPage}) {
        out.Int(v);
    }
    out.Text(m_strMovieTitle);
    for (const auto& s : m_strPublish) {
        out.Text(s);
    }
    out.Int(m_nControlBar1);
    out.Int(m_nControlBar2);
    out.Int(m_bClickSound);
    out.Int(m_bKeySound);
    WriteSound(out, m_sound);
    out.Int(m_bFlash6Compression);

    WriteSound(out, m_sound2);
    out.Int(m_nVideoValue);
    out.Text(m_strVideoCodec);
    out.Bytes(NormalizedVideoOptions(m_videoOptions));

    if (project) {
        for (std::int32_t v : m_nEditorValues) {
            out.Int(v);
        }
    }
    out.Int(m_crMovieBackground);
    out.Int(m_nControlBar3);
    out.Int(m_bControlsAtTop);
    out.Int(m_bShowHiddenActivity);

    out.Int(m_nOutputValue);
    out.Int(m_nPlayUsing);
    out.Int(m_bFullScreen);
    out.Int(m_bRightClickHotspots);
    out.Int(m_bPlayFromUrl);
    out.Text(m_strAboutText);
    out.Text(m_strPlayUrl);

    out.Int(2);
    out.Text(m_strRemoteFile);
    out.Text(m_strRemoteSite);
    out.Text(m_strProxyServer);
    out.Text(m_strUser);
    for (std::int32_t v : m_nUploadValues) {
        out.Int(v);
    }
    out.Int(m_bSavePassword);
    if (m_bSavePassword != 0) {
        out.Text(m_strScrambledPassword);
    }
}

bool CSettingsBlock::Read(CStoreReader& in, int version, ESettingsForm form) {
    const bool project = form == ESettingsForm::Project;
    const int v = version;
    if (v > 104) {
        in.Int(m_crText);
        in.Int(m_crBubble);
        in.Int(m_crHotspot);
        in.Int(m_crShadow);
        in.Bytes(m_font.data(), m_font.size());
        in.Int(m_bUnderline);
        in.Int(m_bShadow);
        for (std::int32_t& x : m_nFontCarried) {
            in.Int(x);
        }
        in.Int(m_nHotspotThickness);
        if (project) {
            for (std::int32_t& x : m_rcHotspot) {
                in.Int(x);
            }
        }
    }
    if (v > 205) {
        if (project) {
            in.Int(m_bHideDeleted);
        }
        in.Int(m_crFrameEffect);
    } else {
        m_crFrameEffect = 0xFFFFFF;
    }
    if (project) {
        if (v > 207) {
            in.Int(m_b24BitColor);
        } else {
            m_b24BitColor = 0;
        }
        if (v > 299) {
            in.Int(m_nEditorSwitch);
        }
        if (v > 301) {
            for (auto& name : m_editHistory) {
                for (std::uint8_t& b : name) {
                    std::int32_t x = 0;
                    in.Int(x);
                    b = static_cast<std::uint8_t>(x);
                }
            }
        }
    }
    if (v > 304) {
        in.Int(m_nHotspotLevel);
    }
    if (v > 309) {
        in.Int(m_nClickSize);
        in.Int(m_crClick);
    }
    if (v > 310) {
        in.Int(m_nFrameEffectDuration);
        ReadNonEmpty(in, m_strFolder);
    }
    if (v > 312) {
        in.Int(m_bHighlightMouse);
    }
    if (v > 423) {
        in.Int(m_nEditorNumber1);
        in.Line(m_strEditorFile1);
        in.Int(m_nEditorNumber2);
        in.Line(m_strEditorFile2);
    }
    if (v > 427) {
        for (std::int32_t* x : {&m_bZoomInAtStart, &m_bZoomOutAtEnd, &m_bFadeInAtStart,
                                &m_bFadeOutAtEnd, &m_bLoopMovie, &m_bFadeInText, &m_bDisplayMouse,
                                &m_bAnimatedClick, &m_bMouseShadow, &m_bCreateWebPage}) {
            in.Int(*x);
        }
        std::string title;
        in.Line(title);
        m_strMovieTitle = "Quillo";
        for (auto& s : m_strPublish) {
            in.Line(s);
        }
        in.Int(m_nControlBar1);
        in.Int(m_nControlBar2);
        m_nControlBar2 = 1;
        in.Int(m_bClickSound);
        in.Int(m_bKeySound);
        ReadSound(in, m_sound);
        in.Int(m_bFlash6Compression);
        if (in.Ok() && v <= 674 && m_sound.m_nCompression == kSoundCompressionMp3) {
            ++m_sound.m_nFrequency;
        }
    }
    if (v > 511) {
        ReadSound(in, m_sound2);
        const SSoundPage defaults;
        if (m_sound2.m_nQuality < 0)
            m_sound2.m_nQuality = defaults.m_nQuality;
        if (m_sound2.m_nSampleBits < 0)
            m_sound2.m_nSampleBits = defaults.m_nSampleBits;
        if (m_sound2.m_nChannels < 0)
            m_sound2.m_nChannels = defaults.m_nChannels;
        if (m_sound2.m_nIgnored < 0)
            m_sound2.m_nIgnored = defaults.m_nIgnored;
        if (m_sound2.m_nFrequency < 0)
            m_sound2.m_nFrequency = defaults.m_nFrequency;

        in.Int(m_nVideoValue);
        in.Line(m_strVideoCodec);
        std::vector<std::uint8_t> options;
        if (in.Bytes(options, kVideoOptionsSize)) {
            std::uint64_t format = Le32(options, kVideoOptionsFormatLen);
            std::uint64_t params = Le32(options, kVideoOptionsParamsLen);
            if (format + params > in.Remaining()) {
                in.Fail();
            } else {
                std::vector<std::uint8_t> blocks;
                in.Bytes(blocks, static_cast<std::size_t>(format + params));
                options.insert(options.end(), blocks.begin(), blocks.end());
            }
        }
        if (in.Ok()) {
            m_videoOptions = std::move(options);
            if (v < 678 &&
                std::memcmp(m_videoOptions.data() + kVideoOptionsHandler, "DIB ", 4) == 0) {
                m_nVideoValue = 0;
                m_videoOptions.assign(kVideoOptionsSize, 0);
                m_strVideoCodec = "Microsoft Video 1";
            }
        }
    }
    if (project && v > 513) {
        for (std::int32_t& x : m_nEditorValues) {
            in.Int(x);
        }
    }
    if (v > 518) {
        in.Int(m_crMovieBackground);
    }
    if (v > 530) {
        in.Int(m_nControlBar3);
    }
    if (v > 532) {
        in.Int(m_bControlsAtTop);
    }
    if (v > 613) {
        in.Int(m_bShowHiddenActivity);
    }
    if (v > 617) {
        in.Int(m_nOutputValue);
        in.Int(m_nPlayUsing);
        in.Int(m_bFullScreen);
        in.Int(m_bRightClickHotspots);
        in.Int(m_bPlayFromUrl);
        in.Line(m_strAboutText);
        in.Line(m_strPlayUrl);
    }
    if (v > 639) {
        std::int32_t marker = 0;
        in.Int(marker);
        in.Line(m_strRemoteFile);
        in.Line(m_strRemoteSite);
        in.Line(m_strProxyServer);
        in.Line(m_strUser);
        for (std::int32_t& x : m_nUploadValues) {
            in.Int(x);
        }
        in.Int(m_bSavePassword);
        if (m_bSavePassword != 0) {
            in.Line(m_strScrambledPassword);
        } else {
            m_strScrambledPassword.clear();
        }
    }
    return in.Ok();
}
