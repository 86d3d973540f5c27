#include "editor/bubble/BubbleFontFiles.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>

namespace {

struct SFace {
    std::string_view name;
    EFontKind kind;
};

// Lower-case names of the faces stored projects name most often.
constexpr std::array kKnownFaces = {
    SFace{"arial", EFontKind::kSans},
    SFace{"arial narrow", EFontKind::kSans},
    SFace{"calibri", EFontKind::kSans},
    SFace{"century gothic", EFontKind::kSans},
    SFace{"franklin gothic medium", EFontKind::kSans},
    SFace{"helvetica", EFontKind::kSans},
    SFace{"lucida sans unicode", EFontKind::kSans},
    SFace{"microsoft sans serif", EFontKind::kSans},
    SFace{"ms sans serif", EFontKind::kSans},
    SFace{"ms shell dlg", EFontKind::kSans},
    SFace{"ms shell dlg 2", EFontKind::kSans},
    SFace{"segoe ui", EFontKind::kSans},
    SFace{"tahoma", EFontKind::kSans},
    SFace{"trebuchet ms", EFontKind::kSans},
    SFace{"verdana", EFontKind::kSans},
    SFace{"book antiqua", EFontKind::kSerif},
    SFace{"bookman old style", EFontKind::kSerif},
    SFace{"cambria", EFontKind::kSerif},
    SFace{"century schoolbook", EFontKind::kSerif},
    SFace{"garamond", EFontKind::kSerif},
    SFace{"georgia", EFontKind::kSerif},
    SFace{"ms serif", EFontKind::kSerif},
    SFace{"palatino linotype", EFontKind::kSerif},
    SFace{"times", EFontKind::kSerif},
    SFace{"times new roman", EFontKind::kSerif},
    SFace{"consolas", EFontKind::kMono},
    SFace{"courier", EFontKind::kMono},
    SFace{"courier new", EFontKind::kMono},
    SFace{"fixedsys", EFontKind::kMono},
    SFace{"lucida console", EFontKind::kMono},
    SFace{"terminal", EFontKind::kMono},
};

// Lower-cases ASCII letters only, so that the user's locale cannot change the mapping.
std::string AsciiLower(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

constexpr uint8_t kFamilyRoman = 0x10;
constexpr uint8_t kFamilyModern = 0x30;
constexpr uint8_t kFixedPitch = 0x01;

// The process's own configuration, which Qt's font database shares.
FcConfig* FontConfig() {
    static FcConfig* config = FcInit() ? FcConfigGetCurrent() : nullptr;
    return config;
}

std::string FindFontFile(const std::string& family, bool bBold, bool bItalic) {
    FcConfig* config = FontConfig();
    if (config == nullptr) {
        return {};
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_FAMILY, FC_WEIGHT, FC_SLANT, FC_WIDTH,
                                            FC_FONTVERSION, nullptr);
    FcFontSet* fonts = FcFontList(config, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (fonts == nullptr) {
        return {};
    }
    const int wantWeight = bBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    std::tuple<int, int, std::string> best{0, 0, {}};  // score, -version, file
    bool found = false;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcChar8* file = nullptr;
        int weight = FC_WEIGHT_REGULAR;
        int slant = FC_SLANT_ROMAN;
        int width = FC_WIDTH_NORMAL;
        int version = 0;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) {
            continue;
        }
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        FcPatternGetInteger(font, FC_WIDTH, 0, &width);
        FcPatternGetInteger(font, FC_FONTVERSION, 0, &version);
        // A file can carry several family names ("DejaVu Sans" and "DejaVu Sans Condensed"):
        // only normal-width files of the family itself count.
        if (width != FC_WIDTH_NORMAL) {
            continue;
        }
        const bool italic = slant != FC_SLANT_ROMAN;
        const int score = std::abs(weight - wantWeight) + (italic != bItalic ? 1000 : 0);
        std::tuple<int, int, std::string> candidate{score, -version,
                                                    reinterpret_cast<const char*>(file)};
        if (!found || candidate < best) {
            best = std::move(candidate);
            found = true;
        }
    }
    FcFontSetDestroy(fonts);
    return std::get<2>(best);
}

}  // namespace

EFontKind FontKindOfFace(const std::string& face, uint8_t nPitchAndFamily) {
    const std::string name = AsciiLower(face);
    for (const SFace& known : kKnownFaces) {
        if (known.name == name) {
            return known.kind;
        }
    }
    if ((nPitchAndFamily & 0xF0) == kFamilyRoman) {
        return EFontKind::kSerif;
    }
    if ((nPitchAndFamily & 0xF0) == kFamilyModern || (nPitchAndFamily & 0x03) == kFixedPitch) {
        return EFontKind::kMono;
    }
    return EFontKind::kSans;
}

const char* PrimaryFamily(EFontKind kind) {
    switch (kind) {
        case EFontKind::kSerif:
            return "Liberation Serif";
        case EFontKind::kMono:
            return "Liberation Mono";
        case EFontKind::kSans:
            break;
    }
    return "Liberation Sans";
}

const char* FallbackFamily(EFontKind kind) {
    switch (kind) {
        case EFontKind::kSerif:
            return "DejaVu Serif";
        case EFontKind::kMono:
            return "DejaVu Sans Mono";
        case EFontKind::kSans:
            break;
    }
    return "DejaVu Sans";
}

std::string FontFileOf(const std::string& family, bool bBold, bool bItalic) {
    static std::mutex mutex;
    static std::map<std::tuple<std::string, bool, bool>, std::string> cache;
    const std::lock_guard lock(mutex);
    auto key = std::make_tuple(family, bBold, bItalic);
    auto it = cache.find(key);
    if (it == cache.end()) {
        it = cache.emplace(key, FindFontFile(family, bBold, bItalic)).first;
    }
    return it->second;
}
