// The Nemesis decoder on arbitrary bytes: it must stop with tiles or an error, never read outside
// its input, and report a stream length it really read. Whatever it decodes must come back the
// same through the encoder, in each mode; so must the input itself, taken as tiles.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "compression/nemesis.h"

namespace {

void expectRoundTrip(orvex::ByteSpan tiles, orvex::NemesisMode mode) {
    const auto packed = orvex::compressNemesis(tiles, mode);
    if (!packed) {
        std::abort();
    }
    const auto decoded = orvex::decompressNemesis(orvex::ByteSpan(*packed));
    if (!decoded || static_cast<std::size_t>(decoded->packedLength) != packed->size() ||
        decoded->tiles.size() != tiles.size() ||
        !std::equal(tiles.begin(), tiles.end(), decoded->tiles.begin())) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orvex::ByteSpan input(data, size);
    const auto decoded = orvex::decompressNemesis(input);
    if (decoded) {
        const std::size_t tiles = std::size_t{data[0] & 0x7FU} << 8 | data[1];
        if (decoded->tiles.size() != tiles * 32 || decoded->packedLength < 3 ||
            static_cast<std::size_t>(decoded->packedLength) > size) {
            std::abort();
        }
        expectRoundTrip(orvex::ByteSpan(decoded->tiles), orvex::NemesisMode::Auto);
    }
    const orvex::ByteSpan whole = input.first(size - size % 32);
    expectRoundTrip(whole, orvex::NemesisMode::Plain);
    expectRoundTrip(whole, orvex::NemesisMode::Xor);
    return 0;
}
