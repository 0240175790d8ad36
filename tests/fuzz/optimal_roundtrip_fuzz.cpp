// The optimal encoder's round trip: whatever the input, its stream decodes back to it exactly,
// and is never longer than the run-length encoder's.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "compression/kosinski.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orvex::ByteSpan input(data, size);
    const auto packed = orvex::compressKosinskiOptimal(input);
    if (!packed) {
        return 0;  // only inputs beyond the format's limits are refused
    }
    const auto decoded = orvex::decompressKosinski(*packed);
    if (!decoded || decoded->weirdOffset || decoded->data.size() != size ||
        !std::equal(decoded->data.begin(), decoded->data.end(), data) ||
        static_cast<std::size_t>(decoded->packedLastIndex) + 2 != packed->size()) {
        std::abort();
    }
    if (size < 32768) {
        const auto rle = orvex::compressKosinski(input);
        if (!rle || rle->size() < packed->size()) {
            std::abort();
        }
    }
    return 0;
}
