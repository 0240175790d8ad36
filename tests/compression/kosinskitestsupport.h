#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "common/progress.h"
#include "compression/kosinski.h"

namespace orvex::test {

using Bytes = std::vector<std::uint8_t>;

// Runs of random lengths (1..maxRun) of random values below `alphabet`: with runs of 1, random
// bytes; with longer runs, what layouts and mappings look like.
inline Bytes randomRuns(std::size_t count, std::uint32_t seed, std::uint32_t maxRun,
                        std::uint32_t alphabet = 256) {
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < count) {
        const auto value = static_cast<std::uint8_t>(random() % alphabet);
        bytes.resize(
            bytes.size() + std::min<std::size_t>(1 + random() % maxRun, count - bytes.size()),
            value);
    }
    return bytes;
}
inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}
inline Bytes randomBytes(std::size_t count, std::uint32_t seed, std::uint32_t alphabet = 256) {
    return randomRuns(count, seed, 1, alphabet);
}

// Calls check(s) for every string s of up to maxLength letters 0..letters-1, up to renaming the
// letters: each letter first appears after all smaller ones (`fresh` is the first unused one).
template <typename Check>
void forEachString(std::uint8_t letters, std::size_t maxLength, const Check& check, Bytes s = {},
                   std::uint8_t fresh = 0) {
    check(s);
    for (std::uint8_t letter = 0; s.size() < maxLength && letter <= fresh && letter < letters;
         ++letter) {
        s.push_back(letter);
        forEachString(letters, maxLength, check, s, std::max<std::uint8_t>(fresh, letter + 1));
        s.pop_back();
    }
}

// Checks that an encoder's packedData (stream and one 0x00) decodes to `input` and that the
// decoder reads all of the stream; returns the stream's length.
inline std::size_t expectRoundTrip(const Result<Bytes>& packed, const Bytes& input) {
    const Bytes stream = packed.ok() ? *packed : Bytes{};
    const auto decoded = decompressKosinski(ByteSpan(stream));
    EXPECT_TRUE(!stream.empty() && stream.back() == 0x00 && decoded.ok() && !decoded->weirdOffset &&
                decoded->data == input &&
                decoded->packedLastIndex == static_cast<std::int32_t>(stream.size()) - 2)
        << "input of " << input.size() << " bytes";
    return stream.size() - 1;
}

// Records an encoder's progress reports.
struct RecordingProgress : ProgressSink {
    struct Report {
        Stage stage;
        std::int32_t done;
        std::int32_t total;
        friend bool operator==(const Report&, const Report&) = default;
    };
    void progress(Stage stage, std::int32_t done, std::int32_t total) override {
        reports.push_back({stage, done, total});
    }
    std::vector<Report> reports;
};

}  // namespace orvex::test
