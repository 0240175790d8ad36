#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"
#include "compression/kosinski.h"

namespace orvex::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes randomBytes(std::size_t count, std::uint32_t seed, std::uint32_t alphabet = 256) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::uint32_t> pick(0, alphabet - 1);
    Bytes bytes(count);
    for (auto& value : bytes) {
        value = static_cast<std::uint8_t>(pick(random));
    }
    return bytes;
}

// Runs of random lengths (1..maxRun) of random values: what layouts and mappings look like.
inline Bytes randomRuns(std::size_t count, std::uint32_t seed, std::uint32_t maxRun) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::uint32_t> length(1, maxRun);
    Bytes bytes;
    while (bytes.size() < count) {
        const auto value = static_cast<std::uint8_t>(random());
        bytes.insert(bytes.end(), std::min<std::size_t>(length(random), count - bytes.size()),
                     value);
    }
    return bytes;
}

// Calls check(s) for every string s of up to maxLength letters 0..letters-1, up to renaming the
// letters: each letter first appears after all smaller ones.
template <typename Check>
void forEachString(std::uint8_t letters, std::size_t maxLength, Check check) {
    for (std::size_t length = 0, count = 1; length <= maxLength; ++length, count *= letters) {
        for (std::size_t code = 0; code < count; ++code) {
            Bytes s;
            s.reserve(length);
            std::uint8_t next = 0;
            bool canonical = true;
            for (std::size_t i = 0, rest = code; i < length; ++i, rest /= letters) {
                const auto letter = static_cast<std::uint8_t>(rest % letters);
                canonical = canonical && letter <= next;
                next = std::max(next, static_cast<std::uint8_t>(letter + 1));
                s.push_back(letter);
            }
            if (canonical) {
                check(s);
            }
        }
    }
}

// Checks that an encoder's packedData (stream and one 0x00) decodes to `input` and that the
// decoder reads all of the stream; returns the stream's length.
inline std::size_t expectRoundTrip(const Result<Bytes>& packed, const Bytes& input) {
    if (!packed.ok() || packed->empty()) {
        ADD_FAILURE() << "no stream for " << input.size() << " bytes";
        return 0;
    }
    EXPECT_EQ(packed->back(), 0x00);
    const auto decoded = decompressKosinski(ByteSpan(*packed));
    EXPECT_TRUE(decoded.ok() && !decoded->weirdOffset && decoded->data == input &&
                decoded->packedLastIndex == static_cast<std::int32_t>(packed->size()) - 2)
        << "input of " << input.size() << " bytes";
    return packed->size() - 1;
}

struct RecordingProgress : ProgressSink {
    void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
    void setBarWidth(double pixels) override { widths.push_back(pixels); }
    std::vector<std::string> captions;
    std::vector<double> widths;
};

}  // namespace orvex::test
