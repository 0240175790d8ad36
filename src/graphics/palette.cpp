#include "graphics/palette.h"

namespace orvex {

ColourTable levelColours(const PaletteWords& palette) {
    ColourTable colours{};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = i % kLineColours == 0 ? 0xFF000000u : colourOf(palette.words[i]);
    }
    return colours;
}

}  // namespace orvex
