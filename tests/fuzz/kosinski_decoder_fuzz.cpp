// The Kosinski decoder on arbitrary bytes: it must stop with a result or an error, never read
// outside its input, never produce more than 64 KiB, and report a stream length it really read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "compression/kosinski.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const orvex::ByteSpan input(data, size);
    const auto decoded = orvex::decompressKosinski(input);
    if (decoded) {
        if (decoded->data.size() > static_cast<std::size_t>(orvex::kKosinskiMaxOutput) ||
            decoded->packedLastIndex < 1 ||
            static_cast<std::size_t>(decoded->packedLastIndex) >= size) {
            std::abort();
        }
    }
    return 0;
}
