#include "project/file/TrailerSettings.h"

#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"

namespace {

// Each of the two lines of a source takes at least its line feed.
constexpr std::uint64_t kMinSourceBytes = 2;

}  // namespace

void WriteSettingsHead(CStoreWriter& out, const CProjectSettings& s) {
    out.I16(s.m_nPreviewWidth);
    out.I16(s.m_nPreviewHeight);
    out.U32(0);
    for (std::int32_t c : s.m_crControlBar) {
        out.I32(c);
    }
    out.Text(s.m_strOutputName);
    out.Text(s.m_strOutputFolder);
    out.Text(s.m_strOutputFile);
}

bool ReadSettingsHead(CStoreReader& in, CProjectSettings& s) {
    in.I16(s.m_nPreviewWidth);
    in.I16(s.m_nPreviewHeight);
    in.Skip(4);
    for (std::int32_t& c : s.m_crControlBar) {
        in.I32(c);
    }
    in.Line(s.m_strOutputName);
    in.Line(s.m_strOutputFolder);
    in.Line(s.m_strOutputFile);
    return in.Ok();
}

void WriteSettingsTail(CStoreWriter& out, const CProjectSettings& s) {
    out.Int(1);
    out.Int(s.m_bSingleFrameSound);
    for (std::int32_t m : s.m_nMarks) {
        out.Int(m);
    }
    s.m_block.Write(out, ESettingsForm::Project);
    for (std::int32_t v : s.m_nVideoExport) {
        out.Int(v);
    }
    for (std::int32_t v : s.m_rcDefaultZoom) {
        out.Int(v);
    }
    for (std::int32_t v : s.m_nWebPage) {
        out.Int(v);
    }
    out.Int(s.m_bSpeakText);
    for (std::uint32_t b : s.m_nBookmarks) {
        out.UInt(b);
    }
    for (const auto& name : s.m_bookmarkNames) {
        for (std::uint8_t c : name) {
            out.Int(static_cast<std::int8_t>(c));
        }
    }
    out.UInt(s.m_nNavigation[0]);
    out.UInt(s.m_nNavigation[1]);
    out.Int(s.m_nNavigationValue);
    out.Int(s.m_nDisplaySizeChoice);
    out.Float(s.m_fPlaybackSpeed);
    out.Float(s.m_fSwfDelayScale);
    out.Int(s.m_nEditorValue1);
    out.Int(s.m_bPlayButtonAtStart);
    for (std::int32_t v : s.m_nControlBarValues) {
        out.Int(v);
    }
    std::array<std::uint8_t, CProjectSettings::kStyleRecordSize> style = s.m_styleClipboard;
    for (std::size_t i = 0; i < 4; ++i) {
        style[kRecordFontSlot + i] = 0;
    }
    style[kRecordFontSlot] = s.m_bStyleClipboardFont ? 1 : 0;
    out.Bytes(style);
    if (s.m_bStyleClipboardFont) {
        out.Bytes(s.m_styleClipboardFont);
    }
    out.Int(s.m_nEditorValue2);
    out.Int(s.m_bChapterIndex);
    out.Int(0);
    out.Int(s.m_nEditorValues[0]);
    out.Int(s.m_nEditorValues[1]);
    out.Int(0);
    out.Int(s.m_crWebPage);
    out.Int(s.m_nBorderWidth);
    out.Text(s.m_strProjectFolder);
    out.Int(static_cast<std::int64_t>(s.m_sources.size()));
    for (const SSourceProject& src : s.m_sources) {
        out.Text(src.m_strPath);
        out.Text(src.m_strRelative);
    }
}

bool ReadSettingsTail(CStoreReader& in, int v, CProjectSettings& s) {
    std::int32_t ignored = 0;
    if (v > 103) {
        in.Int(s.m_nReservedLine);
    } else {
        s.m_nReservedLine = 0;
    }
    if (v > 104) {
        in.Int(s.m_bSingleFrameSound);
        for (std::int32_t& m : s.m_nMarks) {
            in.Int(m);
        }
    } else {
        s.m_nMarks.fill(-1);
    }
    if (!in.Ok() || !s.m_block.Read(in, v, ESettingsForm::Project)) {
        return false;
    }
    if (v > 649) {
        for (std::int32_t& x : s.m_nVideoExport) {
            in.Int(x);
        }
    }
    if (v > 662) {
        for (std::int32_t& x : s.m_rcDefaultZoom) {
            in.Int(x);
        }
    }
    if (v > 663) {
        for (std::size_t i = 0; i < 5; ++i) {
            in.Int(s.m_nWebPage[i]);
        }
    }
    if (v > 669) {
        in.Int(s.m_nWebPage[5]);
    }
    if (v > 670) {
        in.Int(s.m_bSpeakText);
    }
    if (v > 671) {
        for (std::uint32_t& b : s.m_nBookmarks) {
            in.UInt(b);
        }
        for (auto& name : s.m_bookmarkNames) {
            for (std::uint8_t& c : name) {
                std::int32_t x = 0;
                in.Int(x);
                c = static_cast<std::uint8_t>(x);
            }
        }
        in.UInt(s.m_nNavigation[0]);
        in.UInt(s.m_nNavigation[1]);
        in.Int(s.m_nNavigationValue);
    } else {
        s.m_nBookmarks.fill(0xFFFFFFFF);
        s.m_bookmarkNames = {};
        s.m_nNavigation = {0xFFFFFFFF, 0xFFFFFFFF};
    }
    if (v > 673) {
        in.Int(s.m_nDisplaySizeChoice);
    }
    if (v > 676) {
        in.Float(s.m_fPlaybackSpeed);
        in.Float(s.m_fSwfDelayScale);
    }
    if (v > 677) {
        in.Int(s.m_nEditorValue1);
    }
    if (v > 681) {
        in.Int(s.m_bPlayButtonAtStart);
    }
    if (v > 716) {
        for (std::int32_t& x : s.m_nControlBarValues) {
            in.Int(x);
        }
    }
    if (v > 722 && in.Bytes(s.m_styleClipboard.data(), s.m_styleClipboard.size())) {
        s.m_bStyleClipboardFont = false;
        for (std::size_t i = 0; i < 4; ++i) {
            s.m_bStyleClipboardFont =
                s.m_bStyleClipboardFont || s.m_styleClipboard[kRecordFontSlot + i] != 0;
        }
        // The slot only says whether the font follows; the flag keeps that.
        for (std::size_t i = 0; i < 4; ++i) {
            s.m_styleClipboard[kRecordFontSlot + i] = 0;
        }
        if (s.m_bStyleClipboardFont) {
            in.Bytes(s.m_styleClipboardFont.data(), s.m_styleClipboardFont.size());
        }
    }
    if (v > 723) {
        in.Int(s.m_nEditorValue2);
    }
    if (v > 728) {
        in.Int(s.m_bChapterIndex);
    }
    if (v > 729) {
        in.Int(ignored);
        in.Int(s.m_nEditorValues[0]);
        in.Int(s.m_nEditorValues[1]);
        std::int64_t reserved = 0;
        in.Long(reserved);
    }
    if (v > 733) {
        in.Int(s.m_crWebPage);
        in.Int(s.m_nBorderWidth);
    }
    if (v > 735) {
        in.Line(s.m_strProjectFolder);
    }
    if (v > 739) {
        std::int32_t count = 0;
        if (in.Int(count) &&
            (count < 0 || static_cast<std::uint64_t>(count) * kMinSourceBytes > in.Remaining())) {
            in.Fail();
        }
        if (in.Ok()) {
            s.m_sources.assign(static_cast<std::size_t>(count), SSourceProject{});
            for (SSourceProject& src : s.m_sources) {
                in.Line(src.m_strPath);
                in.Line(src.m_strRelative);
            }
        }
    } else {
        s.m_sources.clear();
    }
    return in.Ok();
}
