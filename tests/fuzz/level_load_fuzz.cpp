// Reading one level of a mutated demo ROM (one built with every table moved, so that its
// tables are found through its code) into a document: every table lookup, the palette and the
// four streams, then its object art (video memory filled from the cue lists, the debug list's
// frames, the picture of every object placed); when the input asks, its art drawn as well and
// the identification of the image. A table that asks for far more than the game can use must
// still load in a moment (the seeds hold such tables).
// The input patches one of the ROM's tables, code or streams and may cut the file short (the
// header then says so, as a tool that cuts an image would write it); every step must end in a
// result or a clear error, and never read outside the image.
//
// Input: byte 0 picks the region, bytes 1-3 an offset inside it, byte 4 a cut of the file
// (0 = none), byte 5 the level (modulo 20; 0xFE: level 1, loaded whole; 0xFF: level 1, loaded
// whole after identifying the image); the rest are the bytes written there. Drawing 256 block
// pictures, or decoding every stream of the image, costs a thousand times what one level's
// parsing does, so those are the rare exceptions.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "demo/demorom.h"
#include "document/documentloader.h"
#include "graphics/levelart.h"
#include "graphics/sprites.h"
#include "levelregions.h"
#include "rom/romidentity.h"

namespace {

using Objects = std::vector<orvex::ObjectPlacement>;

const orvex::DemoRom& demo() {
    static const orvex::DemoRom rom = *orvex::buildDemoRom(orvex::demoBuildProfile());
    return rom;
}

// One level of the image read as `mode` asks (see the top of the file).
void readMutated(orvex::ByteSpan image, std::uint8_t mode) {
    const orvex::RomProfile* profile = &demo().profile;
    std::optional<orvex::RomIdentity> identity;
    const bool identify = mode == 0xFF;
    const bool whole = mode >= 0xFE;
    if (identify) {
        auto identified = orvex::identifyRom(image);
        if (!identified) {
            return;
        }
        identity = std::move(*identified);
        profile = &identity->profile;
    }
    const auto index = static_cast<std::int16_t>(whole ? 0 : mode % orvex::kLevelCount);
    const auto loaded = orvex::loadDocument(image, *profile, index);
    if (!loaded) {
        return;
    }
    const orvex::LevelDocument& document = *loaded->document;
    if (document.level() != index || document.isModified()) {
        std::abort();
    }
    if (auto sprites =
            orvex::loadLevelSprites(image, *profile, document.zoneAct(), document.parts())) {
        for (const auto& object : document.parts().objects.value_or(Objects{})) {
            [[maybe_unused]] const orvex::SpriteImage* drawn = sprites->object(object);
        }
    }
    if (whole) {
        static orvex::LevelArt art;
        orvex::drawLevelArt(document.parts(), art);
    }
}

}  // namespace

// The demo image is built before the first input, so that no input is timed with it.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    demo();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 6;
    if (size < kHeader) {
        return 0;
    }
    static const std::vector<orvex::fuzz::Region> targets = orvex::fuzz::levelLoadRegions(demo());
    // The demo image, patched for this input and restored afterwards: copying a whole megabyte
    // per input would cost more than reading a level. A cut image is a copy of its own, exactly
    // as long as the cut, so that a read past its end is still caught.
    static std::vector<std::uint8_t> patched = demo().image;
    const orvex::fuzz::Region& region = targets[data[0] % targets.size()];
    const std::size_t within = (std::size_t{data[1]} << 16 | std::size_t{data[2]} << 8 | data[3]) %
                               static_cast<std::size_t>(region.size);
    const std::size_t at = static_cast<std::size_t>(region.start) + within;
    const std::size_t count = std::min(size - kHeader, patched.size() - at);
    const auto patchAt = patched.begin() + static_cast<std::ptrdiff_t>(at);
    const std::vector<std::uint8_t> original(patchAt, patchAt + static_cast<std::ptrdiff_t>(count));
    std::copy(data + kHeader, data + kHeader + count, patchAt);
    std::vector<std::uint8_t> cut;
    if (data[4] != 0) {
        cut.assign(patched.begin(),
                   patched.begin() + static_cast<std::ptrdiff_t>(patched.size() * data[4] / 256));
        if (cut.size() >= 0x200) {
            cut[0x1A4] = 0;
            cut[0x1A5] = static_cast<std::uint8_t>((cut.size() - 1) >> 16);
            cut[0x1A6] = static_cast<std::uint8_t>((cut.size() - 1) >> 8);
            cut[0x1A7] = static_cast<std::uint8_t>(cut.size() - 1);
        }
    }
    readMutated(data[4] != 0 ? orvex::ByteSpan(cut) : orvex::ByteSpan(patched), data[5]);
    std::copy(original.begin(), original.end(), patchAt);
    return 0;
}
