// The optimal encoder against a brute force search, and its round trips and limits.

#include "kosinskitestsupport.h"  // gtest, <algorithm>, <cstdint>, <string>, <vector>, kosinski.h

namespace orvex {
namespace {

using test::Bytes;

std::size_t roundTrip(const Bytes& input) {
    return test::expectRoundTrip(compressKosinskiOptimal(ByteSpan(input)), input);
}

// The length of the shortest stream for `data`, by trying every item in every form at every
// distance from every state (position, bits already taken from the current field). Fields cost
// two bytes: the first one, and one more right after every 16th bit.
std::int32_t shortestStream(const Bytes& data) {
    const auto size = static_cast<std::int32_t>(data.size());
    std::vector<std::int32_t> memo(static_cast<std::size_t>(16 * (size + 1)), -1);
    const auto rest = [&](const auto& self, std::int32_t pos, std::int32_t bits) -> std::int32_t {
        // An item of `itemBits` bits and `itemBytes` bytes for `length` bytes, then what follows.
        const auto item = [&](std::int32_t length, std::int32_t itemBits, std::int32_t itemBytes) {
            return itemBytes + (bits + itemBits >= 16 ? 2 : 0) +
                   (pos == size ? 0 : self(self, pos + length, (bits + itemBits) % 16));
        };
        std::int32_t& best = memo[static_cast<std::size_t>(16 * pos + bits)];
        if (best >= 0) {
            return best;
        }
        best = pos == size ? item(0, 2, 3) : item(1, 1, 1);  // the end marker or a literal
        for (std::int32_t d = 1; d <= std::min(pos, 8192); ++d) {
            for (std::int32_t length = 1; length <= std::min(256, size - pos) &&
                                          data[pos + length - 1] == data[pos - d + length - 1];
                 ++length) {
                if (length >= 2 && length <= 5 && d <= 256) {
                    best = std::min(best, item(length, 4, 1));  // inline copy
                }
                if (length >= 3 && length <= 9) {
                    best = std::min(best, item(length, 2, 2));  // LO, HI
                }
                if (length >= 3) {
                    best = std::min(best, item(length, 2, 3));  // LO, HI, count
                }
            }
        }
        return best;
    };
    return 2 + rest(rest, 0, 0);
}

void expectShortest(const Bytes& input) {
    EXPECT_EQ(static_cast<std::int32_t>(roundTrip(input)), shortestStream(input))
        << "input of " << input.size() << " bytes";
}

TEST(KosinskiOptimal, GivesTheShortestStream) {
    test::forEachString(2, 14, expectShortest);
    test::forEachString(3, 10, expectShortest);
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        expectShortest(test::randomBytes(24 + (seed * 7) % 40, seed, 2 + seed % 3));  // fields
        expectShortest(test::randomRuns(60 + seed * 4, seed, 1 + seed % 20));         // long copies
    }
    // Pairs repeating exactly 256 back fit inline copies; 257 back they fit nothing.
    for (const std::size_t distance : {256U, 257U}) {
        Bytes input = test::randomBytes(distance + 90, 21);
        for (std::size_t i = distance; i + 1 < input.size(); i += 3) {
            input[i] = input[i - distance];
            input[i + 1] = input[i + 1 - distance];
        }
        expectShortest(input);
    }
}

// 2,000 bytes repeated 8192 back take eight full copies; 8193 back, as many literals.
TEST(KosinskiOptimal, FullCopiesReachExactly8192Back) {
    const auto repeated = [](std::size_t distance) {
        Bytes input = test::randomBytes(distance + 2000, 31);
        std::copy_n(input.begin(), 2000, input.begin() + static_cast<std::ptrdiff_t>(distance));
        return roundTrip(input);
    };
    EXPECT_LT(repeated(8192) + 1500, repeated(8193));
}

TEST(KosinskiOptimal, RoundTrips) {
    for (const std::size_t size :
         {0U, 1U, 2U, 255U, 256U, 257U, 8192U, 8193U, 32767U, 32768U, 65536U}) {
        roundTrip(test::randomRuns(size, 42, 30));
        roundTrip(test::randomBytes(size, 43, 3));
        roundTrip(Bytes(size, 0x00));
        if (size <= 8193) {
            roundTrip(test::randomBytes(size, 41));
        }
    }
    // Random bytes cost about 9/8 of their size: 29,000 of them still fit.
    EXPECT_GT(roundTrip(test::randomBytes(29000, 62)), 32000U);
}

// The same stream again with progress: a start report, then a few hundred growing counts of
// the input's bytes.
TEST(KosinskiOptimal, NeverLongerThanTheRunLengthEncoderAndDeterministic) {
    for (std::uint32_t seed = 0; seed < 10; ++seed) {
        const Bytes input = seed % 2 == 0 ? test::randomRuns(3000 + seed * 500, seed, 1 + seed * 3)
                                          : test::randomBytes(2000, seed, 1 + seed);
        const auto best = compressKosinskiOptimal(ByteSpan(input));
        EXPECT_LE(best.value().size(), compressKosinski(ByteSpan(input)).value().size()) << seed;
        test::RecordingProgress progress;
        EXPECT_EQ(compressKosinskiOptimal(ByteSpan(input), &progress).value(), *best);
        const auto& reports = progress.reports;
        const auto size = static_cast<std::int32_t>(input.size());
        ASSERT_TRUE(reports.size() >= 10 && reports.size() <= 400) << reports.size();
        EXPECT_EQ(reports.front(), (test::RecordingProgress::Report{Stage::Encoding, 0, size}));
        EXPECT_TRUE(std::ranges::all_of(reports, [&](const auto& r) {
            return r.stage == Stage::Encoding && r.total == size && r.done <= size;
        }));
        EXPECT_TRUE(std::ranges::is_sorted(reports, {}, &test::RecordingProgress::Report::done));
    }
}

// More than 65,536 bytes is refused; noise that packs to more than 32 KiB is not.
TEST(KosinskiOptimal, RefusesOnlyWhatNoStreamHolds) {
    const auto refused = compressKosinskiOptimal(ByteSpan(Bytes(65537, 0x00)));
    EXPECT_TRUE(!refused.ok() && refused.error().code == ErrorCode::InputTooLarge &&
                refused.error().message.find("65536") != std::string::npos);
    const Bytes noise = test::randomBytes(65536, 61);
    const auto packed = compressKosinskiOptimal(ByteSpan(noise));
    ASSERT_TRUE(packed.ok()) << packed.error().describe();
    EXPECT_GT(packed->size(), 65536u);
    EXPECT_EQ(decompressKosinski(ByteSpan(*packed))->data, noise);
}

}  // namespace
}  // namespace orvex
