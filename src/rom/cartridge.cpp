#include "rom/cartridge.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "rom/romlayout.h"

namespace orvex {

namespace {

constexpr std::string_view kConsoleName = "SEGA";
constexpr std::size_t kCopierHeaderSize = 512;
constexpr std::size_t kSmdBlockSize = 16384;

bool hasConsoleName(ByteSpan rom, std::size_t at) {
    return rom.size() >= at + kConsoleName.size() &&
           std::equal(kConsoleName.begin(), kConsoleName.end(),
                      rom.begin() + static_cast<std::ptrdiff_t>(at));
}

// A Super Magic Drive dump: a 512-byte header whose bytes 8 and 9 are 0xAA 0xBB, then the game
// in 16 KiB blocks with odd and even bytes split into halves.
bool looksInterleaved(ByteSpan rom) {
    return rom.size() > kCopierHeaderSize && rom.size() % kSmdBlockSize == kCopierHeaderSize &&
           rom[8] == 0xAA && rom[9] == 0xBB;
}

}  // namespace

Status checkCartridge(ByteSpan rom) {
    if (looksInterleaved(rom)) {
        return makeError(ErrorCode::NotARom,
                         "This is an interleaved copier dump (.smd) with a 512-byte header; "
                         "convert it to a raw .bin cartridge image first");
    }
    if (rom.size() < static_cast<std::size_t>(kChecksumStart)) {
        return makeError(ErrorCode::NotARom,
                         "The file is only " + std::to_string(rom.size()) +
                             " bytes long: too short for a Mega Drive cartridge image");
    }
    if (!hasConsoleName(rom, kHeaderConsoleName) && !hasConsoleName(rom, kHeaderConsoleName + 1)) {
        return makeError(ErrorCode::NotARom,
                         "The file is not a Mega Drive cartridge image (no \"SEGA\" at 0x100)",
                         kHeaderConsoleName);
    }
    return {};
}

Result<std::vector<std::uint8_t>> readCartridge(const RomImage& rom) {
    auto image = rom.readAll();
    if (!image) {
        return image.error();
    }
    if (Status cartridge = checkCartridge(*image); !cartridge) {
        return cartridge.error();
    }
    return image;
}

}  // namespace orvex
