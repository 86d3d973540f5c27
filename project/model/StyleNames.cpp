#include "project/model/StyleNames.h"

namespace {

template <std::size_t N>
std::string_view NameIn(const std::array<std::string_view, N>& names, uint8_t n) {
    return n < names.size() ? names[n] : std::string_view();
}

}  // namespace

std::string_view BubbleStyleName(uint8_t nStyle) {
    return NameIn(kBubbleStyleNames, nStyle);
}

std::string_view HotspotStyleName(uint8_t nStyle) {
    return NameIn(kHotspotStyleNames, nStyle);
}

std::string_view FrameEffectName(uint8_t nEffect) {
    return NameIn(kFrameEffectNames, nEffect);
}

std::string ImageSizeName(int16_t nSizeMode, int32_t nWidth, int32_t nHeight) {
    if (nSizeMode >= 0 && nSizeMode <= 9) {
        return std::to_string((nSizeMode + 1) * 10) + "%";
    }
    return std::to_string(nWidth) + "x" + std::to_string(nHeight);
}
