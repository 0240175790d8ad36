#include "graphics/palette.h"

#include <cstddef>

namespace orvex {
namespace {

constexpr std::size_t kLineColours = 16;

// Checks that a 128-byte palette read at offset lies inside the ROM.
Status checkPaletteRead(ByteSpan rom, std::int64_t offset) {
    if (offset < 0) {
        return makeError(ErrorCode::FileRead, "Palette address is negative", offset);
    }
    if (!fitsIn(rom.size(), offset, kPaletteReadSize)) {
        return readPastEnd(offset, kPaletteReadSize);
    }
    return {};
}

// Converts the 16 colour words at `at` into one palette line; colour 0 becomes black.
void convertLine(const std::uint8_t* at, std::array<ColourValue, 16>& line) {
    for (std::size_t c = 0; c < kLineColours; ++c) {
        line[c] = convertColour(at[2 * c], at[2 * c + 1]);
    }
    line[0] = 0;
}

}  // namespace

Status convertPalette(ByteSpan rom, std::int32_t fixedLineAddr, std::int32_t paletteAddr,
                      LevelPalette& out) {
    if (Status fixed = checkPaletteRead(rom, fixedLineAddr); !fixed) {
        return fixed;
    }
    if (Status level = checkPaletteRead(rom, paletteAddr); !level) {
        return level;
    }
    const std::uint8_t* fixedLine = rom.data() + fixedLineAddr;
    const std::uint8_t* levelLines = rom.data() + paletteAddr;
    convertLine(fixedLine, out.colours[0]);
    for (std::size_t line = 1; line < 4; ++line) {
        convertLine(levelLines + 32 * (line - 1), out.colours[line]);
    }
    return {};
}

}  // namespace orvex
