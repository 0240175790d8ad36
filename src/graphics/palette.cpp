#include "graphics/palette.h"

#include <algorithm>

namespace orvex {

ColourTable levelColours(const PaletteWords& palette) {
    ColourTable colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = i % kLineColours == 0 ? 0xFF000000u : colourOf(palette.words[i]);
    }
    return colours;
}

std::uint8_t brightestColour(const ColourTable& colours) {
    const auto brightness = [](std::uint32_t rgb) {
        return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
    };
    const auto brightest = std::max_element(
        colours.begin(), colours.end(),
        [&](std::uint32_t a, std::uint32_t b) { return brightness(a) < brightness(b); });
    return static_cast<std::uint8_t>(brightest - colours.begin());
}

}  // namespace orvex
