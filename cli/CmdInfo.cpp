// `quillo info FILE.lumo [--json]`: the project's version, size, frame count and stream
// pictures, and per frame its duration, flags and overlays.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/OpenedProject.h"
#include "cli/Subcommands.h"
#include "platform/TextCodec.h"
#include "project/model/FrameTiming.h"

namespace {

// File names of old projects are 8-bit Windows text; anything that is not UTF-8 is shown byte
// by byte as Latin-1 so that the output stays valid UTF-8.
std::string Utf8Name(const std::string& name) {
    std::u16string wide;
    bool ascii = true;
    for (unsigned char c : name) {
        ascii = ascii && c < 0x80;
        wide.push_back(c);
    }
    return ascii ? name : Utf16ToUtf8(wide);
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out + "\"";
}

std::vector<std::string> Flags(const CFrameInfo& f) {
    std::vector<std::string> flags;
    auto add = [&](bool on, const char* name) {
        if (on) {
            flags.emplace_back(name);
        }
    };
    add(f.m_bKeyFrame != 0, "key");
    add(f.m_bDeleted != 0, "deleted");
    add(f.m_bDuplicate != 0, "duplicate");
    add(f.m_bCustomDuration != 0, "custom-duration");
    add(f.m_bClickDown != 0, "click-down");
    add(f.m_bClickUp != 0, "click-up");
    add(f.m_bKeyDown != 0 || f.m_bKeyUp != 0, "key-press");
    add(f.m_bMouseHidden != 0, "mouse-hidden");
    add(f.m_bSyncSound != 0, "sync-sound");
    return flags;
}

struct SOverlay {
    std::string kind;
    std::string text;
    // Further members of the overlay's JSON object, each after ", ".
    std::string json;
};

std::vector<SOverlay> Overlays(const CFrameInfo& f) {
    std::vector<SOverlay> out;
    if (f.HasTalkBubble()) {
        char json[160];
        std::snprintf(json, sizeof json,
                      ", \"style\": %d, \"x\": %d, \"y\": %d, \"shadow\": %s, "
                      "\"underline\": %s, \"pointer\": %s",
                      f.m_nBubbleStyle, f.m_nBubbleX, f.m_nBubbleY, f.m_bShadow ? "true" : "false",
                      f.m_bUnderline ? "true" : "false",
                      f.m_nPointerX != kNoPointer ? "true" : "false");
        out.push_back({"bubble", f.m_pText ? Utf16ToUtf8(*f.m_pText) : std::string(), json});
    }
    if (f.HasHotspot()) {
        char rc[80];
        std::snprintf(rc, sizeof rc, "style %d at %d,%d-%d,%d", f.m_nHotspotStyle,
                      f.m_rcHotspot.left, f.m_rcHotspot.top, f.m_rcHotspot.right,
                      f.m_rcHotspot.bottom);
        char json[160];
        std::snprintf(json, sizeof json,
                      ", \"goTo\": %d, \"url\": %s, \"waitsForClick\": %s, \"showUntil\": %d",
                      f.m_bHotspotGoto ? f.m_nHotspotGotoFrame : 0,
                      f.m_bHotspotUrl ? "true" : "false",
                      f.HotspotWaitsForClick() ? "true" : "false",
                      f.m_bHotspotShowUntil ? f.m_nHotspotUntilFrame : 0);
        out.push_back({"hotspot", rc, json});
    }
    if (f.HasChapter()) {
        out.push_back({"chapter", Utf16ToUtf8(*f.m_pChapter)});
    }
    if (f.HasSound()) {
        out.push_back({"sound", Utf8Name(*f.m_pszSound)});
    }
    if (f.m_pPicture) {
        out.push_back({"picture", f.m_bPictureUndone != 0 ? "undone" : "edited"});
    }
    if (f.m_bZoom != 0) {
        out.push_back({"zoom", ""});
    }
    if (f.m_nFrameEffect != 0) {
        out.push_back({"effect", std::to_string(f.m_nFrameEffect)});
    }
    return out;
}

std::string Joined(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const auto& item : items) {
        out += (out.empty() ? "" : separator) + item;
    }
    return out;
}

}  // namespace

int RunInfo(std::span<const std::string> args) {
    std::vector<std::string> files;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("info", "unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 1) {
        return UsageError("info", files.empty() ? "no project file given" : "too many arguments");
    }
    std::string why;
    auto opened = OpenProjectForCommand(files[0], why);
    if (!opened) {
        return Failure("info", why);
    }
    const CDemoProject& p = opened->project;
    const CProjectFile& file = *opened->file;
    std::error_code ec;
    const auto size = std::filesystem::file_size(files[0], ec);
    const std::string version = p.m_bCorrupted ? std::string("unfinished")
                                               : std::to_string(file.FileVersion() / 100) + "." +
                                                     std::to_string(file.FileVersion() % 100);
    const uint32_t pictures = file.Table().nPictures;

    std::string out;
    char line[256];
    if (json) {
        std::snprintf(line, sizeof line,
                      "{\n  \"file\": %s,\n  \"version\": %s,\n  \"bytes\": %llu,\n  \"width\": "
                      "%d,\n  \"height\": %d,\n  \"frames\": %u,\n  \"streamPictures\": %u,\n",
                      Json(files[0]).c_str(), Json(version).c_str(),
                      static_cast<unsigned long long>(size), p.m_nWidth, p.m_nHeight,
                      p.FrameCount(), pictures);
        out += line;
        std::snprintf(line, sizeof line,
                      "  \"corrupted\": %s,\n  \"wideOffsets\": %s,\n  \"zlibPixels\": %s,\n  "
                      "\"sources\": %zu,\n  \"frameList\": [",
                      p.m_bCorrupted ? "true" : "false", p.m_bWideOffsets ? "true" : "false",
                      p.m_bZlibPixels ? "true" : "false", p.m_Sources.size());
        out += line;
        uint32_t n = 0;
        for (const CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext) {
            std::vector<std::string> flags;
            for (const auto& flag : Flags(*f)) {
                flags.push_back(Json(flag));
            }
            std::vector<std::string> overlays;
            for (const auto& o : Overlays(*f)) {
                overlays.push_back("{\"kind\": " + Json(o.kind) + ", \"text\": " + Json(o.text) +
                                   o.json + "}");
            }
            std::snprintf(line, sizeof line,
                          "%s\n    {\"number\": %u, \"duration\": %d, \"recordedDuration\": %d, "
                          "\"effectiveDuration\": %d, \"start\": %d, ",
                          n == 0 ? "" : ",", n + 1, f->m_nDuration, f->m_nRecordedDuration,
                          EffectiveDuration(*f, p.m_fSwfDelayScale), f->m_nStartTime);
            out += line;
            out += "\"flags\": [" + Joined(flags, ", ") + "], \"overlays\": [" +
                   Joined(overlays, ", ") + "]}";
            ++n;
        }
        out += n == 0 ? "]\n}\n" : "\n  ]\n}\n";
    } else {
        std::snprintf(line, sizeof line,
                      "%s\n  version %s, %llu bytes\n  recorded area %d x %d\n  %u frames, %u "
                      "stream pictures (%s-bit offset table)%s\n",
                      files[0].c_str(), version.c_str(), static_cast<unsigned long long>(size),
                      p.m_nWidth, p.m_nHeight, p.FrameCount(), pictures,
                      p.m_bWideOffsets ? "64" : "32",
                      p.m_bCorrupted ? ", corrupted: no trailer" : "");
        out += line;
        uint32_t n = 0;
        for (const CFrameInfo* f = p.FirstFrame(); f != nullptr; f = f->m_pNext) {
            std::snprintf(line, sizeof line, "frame %4u  %7.2f s", ++n, f->m_nDuration / 100.0);
            out += line;
            const auto flags = Flags(*f);
            if (!flags.empty()) {
                out += "  [" + Joined(flags, ", ") + "]";
            }
            for (const auto& o : Overlays(*f)) {
                out += "  " + o.kind + (o.text.empty() ? "" : " \"" + o.text + "\"");
            }
            out += "\n";
        }
    }
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}
