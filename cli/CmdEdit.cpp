// `quillo edit FILE.lumo --frame N ...`: puts a talk bubble, a hotspot or a chapter heading on
// one frame without the desktop program and saves the project in place. Every value is checked
// before the project is touched, so a refused edit leaves the file as it was.
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Subcommands.h"
#include "platform/ConsolePrompter.h"
#include "platform/TextCodec.h"
#include "project/file/ProjectFile.h"
#include "project/model/BubbleStyle.h"
#include "project/model/Chapter.h"
#include "project/model/DemoProject.h"
#include "project/model/Hotspot.h"
#include "project/model/StyleNames.h"
#include "project/model/TalkBubble.h"

namespace {

constexpr std::string_view kName = "edit";

std::optional<int32_t> ParseInt(std::string_view text) {
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "X,Y" or "X,Y,W,H": `count` integers separated by commas.
std::optional<std::vector<int32_t>> ParseList(std::string_view text, size_t count) {
    std::vector<int32_t> values;
    while (values.size() < count) {
        const size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const auto value = ParseInt(part);
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (values.size() != count) {
        return std::nullopt;
    }
    return values;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool SameLabel(std::string_view a, std::string_view b) {
    a = Trimmed(a);
    b = Trimmed(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A style by its label (any case) or by its number in the list.
template <size_t N>
std::optional<uint8_t> ParseStyle(std::string_view text,
                                  const std::array<std::string_view, N>& names) {
    for (size_t i = 0; i < N; ++i) {
        if (SameLabel(text, names[i])) {
            return static_cast<uint8_t>(i);
        }
    }
    const auto number = ParseInt(text);
    if (number && *number >= 0 && size_t(*number) < N) {
        return static_cast<uint8_t>(*number);
    }
    return std::nullopt;
}

template <size_t N>
std::string StyleList(const std::array<std::string_view, N>& names) {
    std::string list;
    for (size_t i = 0; i < N; ++i) {
        list += (i ? ", \"" : "\"") + std::string(Trimmed(names[i])) + "\"";
    }
    return list;
}

enum class EHotspotAction { kNone, kGoto, kUrl, kStop };

struct SEdit {
    std::string file;
    std::optional<int32_t> frame;
    std::optional<std::u16string> bubble;
    std::optional<uint8_t> bubbleStyle;
    std::optional<std::vector<int32_t>> at;
    std::optional<std::vector<int32_t>> hotspot;
    std::optional<uint8_t> hotspotStyle;
    EHotspotAction action = EHotspotAction::kNone;
    int32_t gotoFrame = 0;
    std::string url;
    std::optional<std::string> target;
    bool wait = false;
    std::optional<std::u16string> chapter;
};

// Reads the arguments into `edit`; returns an empty text or the reason for a usage error.
std::string ParseArgs(std::span<const std::string> args, SEdit& edit) {
    size_t actions = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (!a.starts_with("--")) {
            if (!edit.file.empty()) {
                return "unexpected argument '" + a + "'";
            }
            edit.file = a;
            continue;
        }
        if (a == "--wait") {
            edit.wait = true;
            continue;
        }
        if (a == "--stop") {
            edit.action = EHotspotAction::kStop;
            ++actions;
            continue;
        }
        if (!hasValue) {
            return a + " needs a value";
        }
        const std::string& v = args[++i];
        if (a == "--frame") {
            edit.frame = ParseInt(v);
            if (!edit.frame || *edit.frame < 1) {
                return "the frame number must be 1 or more, not '" + v + "'";
            }
        } else if (a == "--bubble" || a == "--chapter") {
            auto text = Utf8ToUtf16(v);
            if (!text) {
                return a + " takes UTF-8 text";
            }
            (a == "--bubble" ? edit.bubble : edit.chapter) = std::move(*text);
        } else if (a == "--style") {
            edit.bubbleStyle = ParseStyle(v, kBubbleStyleNames);
            if (!edit.bubbleStyle) {
                return "unknown bubble style '" + v + "'; the styles are " +
                       StyleList(kBubbleStyleNames) + " or their numbers 0 to 6";
            }
        } else if (a == "--hotspot-style") {
            edit.hotspotStyle = ParseStyle(v, kHotspotStyleNames);
            if (!edit.hotspotStyle) {
                return "unknown hotspot style '" + v + "'; the styles are " +
                       StyleList(kHotspotStyleNames) + " or their numbers 0 to 12";
            }
        } else if (a == "--at") {
            edit.at = ParseList(v, 2);
            if (!edit.at) {
                return "--at takes X,Y in pixels, not '" + v + "'";
            }
        } else if (a == "--hotspot") {
            edit.hotspot = ParseList(v, 4);
            if (!edit.hotspot) {
                return "--hotspot takes X,Y,W,H in pixels, not '" + v + "'";
            }
        } else if (a == "--goto") {
            const auto f = ParseInt(v);
            if (!f || *f < 1) {
                return "--goto takes a frame number of 1 or more, not '" + v + "'";
            }
            edit.action = EHotspotAction::kGoto;
            edit.gotoFrame = *f;
            ++actions;
        } else if (a == "--url") {
            if (v.empty()) {
                return "--url needs an address";
            }
            edit.action = EHotspotAction::kUrl;
            edit.url = v;
            ++actions;
        } else if (a == "--target") {
            edit.target = v;
        } else {
            return "unknown option '" + a + "'";
        }
    }
    if (edit.file.empty()) {
        return "missing the project file";
    }
    if (!edit.frame) {
        return "missing --frame N";
    }
    if (actions > 1) {
        return "--goto, --url and --stop exclude one another";
    }
    if ((edit.bubbleStyle || edit.at) && !edit.bubble) {
        return "--style and --at need --bubble";
    }
    if ((edit.hotspotStyle || actions || edit.wait) && !edit.hotspot) {
        return "--hotspot-style, --goto, --url, --stop and --wait need --hotspot";
    }
    if (edit.target && edit.action != EHotspotAction::kUrl) {
        return "--target needs --url";
    }
    if (edit.url.size() > std::numeric_limits<uint16_t>::max() ||
        (edit.target && edit.target->size() > std::numeric_limits<uint16_t>::max())) {
        return "the address or target is too long";
    }
    if (edit.bubble && edit.bubble->empty()) {
        return "--bubble needs text";
    }
    if (!edit.bubble && !edit.hotspot && !edit.chapter) {
        return "nothing to change: give --bubble, --hotspot or --chapter";
    }
    return {};
}

// Checks the values that depend on the project; returns an empty text or the reason.
std::string CheckAgainstProject(const SEdit& edit, const CDemoProject& project) {
    const auto frames = static_cast<int64_t>(project.FrameCount());
    if (*edit.frame > frames) {
        return "the project has " + std::to_string(frames) + " frames, not " +
               std::to_string(*edit.frame);
    }
    const int64_t width = project.m_nWidth;
    const int64_t height = project.m_nHeight;
    const std::string area = std::to_string(width) + " x " + std::to_string(height);
    if (edit.at) {
        const auto& p = *edit.at;
        if (p[0] < 0 || p[1] < 0 || p[0] >= width || p[1] >= height) {
            return "the bubble position " + std::to_string(p[0]) + "," + std::to_string(p[1]) +
                   " lies outside the recorded area of " + area + " pixels";
        }
    }
    if (edit.hotspot) {
        const auto& r = *edit.hotspot;
        const int64_t right = int64_t(r[0]) + r[2];
        const int64_t bottom = int64_t(r[1]) + r[3];
        if (r[2] <= 0 || r[3] <= 0 || r[0] < 0 || r[1] < 0 || right > width || bottom > height) {
            return "the hotspot rectangle " + std::to_string(r[0]) + "," + std::to_string(r[1]) +
                   "," + std::to_string(r[2]) + "," + std::to_string(r[3]) +
                   " must have a width and height of at least 1 and lie within the recorded "
                   "area of " +
                   area + " pixels";
        }
    }
    if (edit.action == EHotspotAction::kGoto && edit.gotoFrame > frames) {
        return "--goto " + std::to_string(edit.gotoFrame) + " is beyond the project's " +
               std::to_string(frames) + " frames";
    }
    return {};
}

void ApplyBubble(const SEdit& edit, CFrameInfo& frame, const CDemoProject& project) {
    if (!frame.HasTalkBubble()) {
        ApplyFirstText(frame, project);
    }
    frame.m_pText = *edit.bubble;
    frame.m_pFormat = UnlaidBubbleLines();
    if (edit.bubbleStyle) {
        frame.m_nBubbleStyle = *edit.bubbleStyle;
    }
    if (edit.at) {
        frame.m_nBubbleX = (*edit.at)[0];
        frame.m_nBubbleY = (*edit.at)[1];
    }
}

void ApplyHotspot(const SEdit& edit, CFrameInfo& frame, const CDemoProject& project) {
    if (edit.hotspotStyle) {
        // A chosen style keeps the project's colour and strength for new hotspots.
        if (frame.m_nHotspotStyle == kNoStyle) {
            frame.m_crHotspot = project.m_crDefaultHotspot;
            frame.m_nHotspotThickness = project.m_nDefaultHotspotThickness;
            frame.m_nHotspotLevel = project.m_nDefaultHotspotLevel;
        }
        frame.m_nHotspotStyle = *edit.hotspotStyle;
    }
    CHotspot::SwitchOn(frame, project);
    const auto& r = *edit.hotspot;
    frame.m_rcHotspot = {r[0], r[1], r[0] + r[2], r[1] + r[3]};
    frame.m_bHotspotRectExact = 1;
    frame.m_bHotspotGoto = 0;
    frame.m_bHotspotUrl = 0;
    switch (edit.action) {
        case EHotspotAction::kGoto:
            frame.m_bHotspotGoto = 1;
            frame.m_nHotspotGotoFrame = edit.gotoFrame;
            break;
        case EHotspotAction::kStop:
            frame.m_bHotspotGoto = 1;
            frame.m_nHotspotGotoFrame = 0;
            break;
        case EHotspotAction::kUrl:
            frame.m_bHotspotUrl = 1;
            frame.m_pszHotspotUrl = edit.url;
            frame.m_pszHotspotTarget = edit.target;
            break;
        case EHotspotAction::kNone:
            break;
    }
    frame.m_bIgnoreClick = 0;
    frame.m_bHotspotShowUntil = 0;
    if (edit.wait) {
        // A duration of 0 makes the movie stop at the frame until the hotspot is clicked.
        frame.m_nDuration = 0;
        frame.m_nUserDuration = 0;
        frame.m_bCustomDuration = 1;
    } else if (frame.m_bCustomDuration == 0) {
        // The frame keeps its time instead of the proposed wait of a clickable hotspot.
        frame.m_nUserDuration = frame.m_nDuration;
        frame.m_bCustomDuration = 1;
    }
}

}  // namespace

int RunEdit(std::span<const std::string> args) {
    SEdit edit;
    if (std::string why = ParseArgs(args, edit); !why.empty()) {
        return UsageError(kName, why);
    }
    CConsolePrompter prompter;
    prompter.SetShowProgress(false);
    CDemoProject project;
    CProjectFile file(project, prompter);
    if (!file.Open(edit.file)) {
        return Failure(kName, "cannot open " + edit.file);
    }
    if (std::string why = CheckAgainstProject(edit, project); !why.empty()) {
        file.LeaveProject();
        return Failure(kName, why);
    }
    CFrameInfo& frame = *project.FrameAt(uint32_t(*edit.frame - 1));
    if (edit.bubble) {
        ApplyBubble(edit, frame, project);
    }
    if (edit.hotspot) {
        ApplyHotspot(edit, frame, project);
    }
    if (edit.chapter) {
        CChapter::Set(frame, edit.chapter->empty() ? std::nullopt : edit.chapter);
    }
    frame.RecomputeLengths();
    const bool saved = file.Save();
    file.LeaveProject();
    if (!saved) {
        return Failure(kName, "cannot save " + edit.file + "; it is left as it was");
    }
    std::printf("frame %d of %s changed\n", *edit.frame, edit.file.c_str());
    return kExitOk;
}
