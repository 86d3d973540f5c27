#include "settings/ProgramState.h"

#include <cstdio>
#include <functional>

#include "platform/AtomicFile.h"
#include "project/store/StoreReader.h"
#include "project/store/StoreWriter.h"

namespace {

// A group of the file: read only when the file's number is above `after`.
struct SGroup {
    int after;
    std::function<void(const CProgramState&, CStoreWriter&)> write;
    std::function<bool(CProgramState&, CStoreReader&, int version)> read;
};

template <std::size_t N>
void WriteInts(CStoreWriter& out, const std::array<std::int32_t, N>& values) {
    for (std::int32_t v : values) {
        out.Int(v);
    }
}

template <std::size_t N>
void ReadInts(CStoreReader& in, std::array<std::int32_t, N>& values) {
    for (std::int32_t& v : values) {
        in.Int(v);
    }
}

const std::vector<SGroup>& Groups() {
    static const std::vector<SGroup> kGroups = {
        {0,
         [](const CProgramState& s, CStoreWriter& out) {
             WriteInts(out, s.m_rcCaptureFrame);
             out.Int(0);
             out.Int(s.m_nCaptureMode);
             WriteInts(out, s.m_nEditorValues);
             out.Text(s.m_strLastProjectFolder);
             out.Int(s.m_nEditorValue);
             for (std::int32_t v :
                  {s.m_bCustomRates, s.m_bFramesGroup, s.m_bRecordMouse, s.m_nMouseFps,
                   s.m_nScreenFps, s.m_nRateSlider, s.m_bSmoothMovement, s.m_bRecordSound,
                   s.m_bLayeredWindows, s.m_bVideoHardware}) {
                 out.Int(v);
             }
             out.Int(0);
             out.Int(0);
             out.Int(0);
             out.Text(s.m_strMovieOutputName);
             out.Text(s.m_strMovieOutputFolder);
             out.Text(s.m_strMovieOutputFile);
         },
         [](CProgramState& s, CStoreReader& in, int) {
             ReadInts(in, s.m_rcCaptureFrame);
             std::int32_t reserved = 0;
             in.Int(reserved);
             in.Int(s.m_nCaptureMode);
             ReadInts(in, s.m_nEditorValues);
             std::string folder;
             if (in.Line(folder) && !folder.empty()) {
                 s.m_strLastProjectFolder = folder;
             }
             in.Int(s.m_nEditorValue);
             for (std::int32_t* v :
                  {&s.m_bCustomRates, &s.m_bFramesGroup, &s.m_bRecordMouse, &s.m_nMouseFps,
                   &s.m_nScreenFps, &s.m_nRateSlider, &s.m_bSmoothMovement, &s.m_bRecordSound,
                   &s.m_bLayeredWindows, &s.m_bVideoHardware}) {
                 in.Int(*v);
             }
             for (int i = 0; i < 3; ++i) {
                 in.Int(reserved);
             }
             in.Line(s.m_strMovieOutputName);
             in.Line(s.m_strMovieOutputFolder);
             in.Line(s.m_strMovieOutputFile);
             return in.Ok();
         }},
        {101,
         [](const CProgramState& s, CStoreWriter& out) {
             out.Int(s.m_bControlsOverDemo);
             out.Int(s.m_bHidePanRectangle);
             out.Int(s.m_bZoomBeforeFrame);
         },
         [](CProgramState& s, CStoreReader& in, int) {
             in.Int(s.m_bControlsOverDemo);
             in.Int(s.m_bHidePanRectangle);
             in.Int(s.m_bZoomBeforeFrame);
             return in.Ok();
         }},
        {102,
         [](const CProgramState& s, CStoreWriter& out) {
             // The newest six, oldest first, as many as a reader takes.
             const std::size_t skip = s.m_recentFiles.size() > CProgramState::kMaxRecentFiles
                                          ? s.m_recentFiles.size() - CProgramState::kMaxRecentFiles
                                          : 0;
             out.Int(static_cast<std::int64_t>(s.m_recentFiles.size() - skip));
             for (std::size_t i = skip; i < s.m_recentFiles.size(); ++i) {
                 out.Text(s.m_recentFiles[i]);
             }
         },
         [](CProgramState& s, CStoreReader& in, int) {
             std::int32_t count = 0;
             if (!in.Int(count) || count < 0 ||
                 static_cast<std::size_t>(count) > CProgramState::kMaxRecentFiles) {
                 in.Fail();
                 return false;
             }
             s.m_recentFiles.assign(static_cast<std::size_t>(count), std::string());
             for (auto& name : s.m_recentFiles) {
                 in.Line(name);
             }
             return in.Ok();
         }},
        {103, [](const CProgramState& s, CStoreWriter& out) { WriteInts(out, s.m_rcMainWindow); },
         [](CProgramState& s, CStoreReader& in, int) {
             ReadInts(in, s.m_rcMainWindow);
             return in.Ok();
         }},
        {104,
         [](const CProgramState& s, CStoreWriter& out) {
             s.m_block.Write(out, ESettingsForm::File);
         },
         [](CProgramState& s, CStoreReader& in, int version) {
             return s.m_block.Read(in, version, ESettingsForm::File);
         }},
        {523,
         [](const CProgramState& s, CStoreWriter& out) {
             const SDefaultTalkStyle& d = s.m_defaultStyle;
             out.Int(d.m_bSet);
             out.Bytes(d.m_font);
             for (std::int32_t v :
                  {d.m_crText, d.m_crShadow, d.m_bUnderline, d.m_bShadow, d.m_crBubble}) {
                 out.Int(v);
             }
         },
         [](CProgramState& s, CStoreReader& in, int) {
             SDefaultTalkStyle& d = s.m_defaultStyle;
             in.Int(d.m_bSet);
             in.Bytes(d.m_font.data(), d.m_font.size());
             for (std::int32_t* v :
                  {&d.m_crText, &d.m_crShadow, &d.m_bUnderline, &d.m_bShadow, &d.m_crBubble}) {
                 in.Int(*v);
             }
             return in.Ok();
         }},
        {530,
         [](const CProgramState& s, CStoreWriter& out) {
             out.Int(s.m_bFollowActiveWindow);
             out.Int(s.m_bExtraCompression);
             out.Text(s.m_strTempVideoDir);
         },
         [](CProgramState& s, CStoreReader& in, int) {
             in.Int(s.m_bFollowActiveWindow);
             in.Int(s.m_bExtraCompression);
             in.Line(s.m_strTempVideoDir);
             return in.Ok();
         }},
        {530,
         [](const CProgramState& s, CStoreWriter& out) {
             for (std::int32_t v : {s.m_bRecordingHint, s.m_bCreatingHint, s.m_bTrueColourReminder,
                                    s.m_bCompressionReminder}) {
                 out.Int(v);
             }
         },
         [](CProgramState& s, CStoreReader& in, int) {
             for (std::int32_t* v : {&s.m_bRecordingHint, &s.m_bCreatingHint,
                                     &s.m_bTrueColourReminder, &s.m_bCompressionReminder}) {
                 in.Int(*v);
             }
             return in.Ok();
         }},
    };
    return kGroups;
}

}  // namespace

std::string CProgramState::Serialize() const {
    CStoreWriter out;
    out.Int(kVersion);
    for (const SGroup& g : Groups()) {
        g.write(*this, out);
    }
    return out.Take();
}

void CProgramState::Read(CStoreReader& in) {
    std::int32_t version = 0;
    if (!in.Int(version)) {
        return;
    }
    for (const SGroup& g : Groups()) {
        if (version <= g.after) {
            continue;
        }
        CProgramState next = *this;
        if (!g.read(next, in, version)) {
            break;
        }
        *this = std::move(next);
    }
    m_block.m_bCreateWebPage = 1;
}

bool CProgramState::ReadFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    if (size >= 0) {
        CStoreReader in(f, 0, static_cast<std::uint64_t>(size));
        Read(in);
    }
    std::fclose(f);
    return size >= 0;
}

bool CProgramState::WriteFile(const std::string& path) const {
    return WriteFileAtomically(path, Serialize());
}
