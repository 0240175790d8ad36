#pragma once

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

// Writes a Kosinski stream item by item, the way the format lays it out: a description field is
// reserved at the start and again right after every 16th bit, whether or not more bits follow.
class StreamBuilder {
public:
    StreamBuilder() { reserveField(); }

    StreamBuilder& bit(std::uint32_t value) {
        if (value != 0) {
            mBytes[mSlot + mBitCount / 8] |= static_cast<std::uint8_t>(1U << (mBitCount % 8));
        }
        ++mBitCount;
        if (mBitCount == 16) {
            reserveField();
        }
        return *this;
    }
    StreamBuilder& byte(std::uint32_t value) {
        mBytes.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    StreamBuilder& literal(std::uint32_t value) { return bit(1).byte(value); }
    // 0 0 H L, offset byte.
    StreamBuilder& inlineCopy(std::uint32_t countBits, std::uint32_t offsetByte) {
        return bit(0).bit(0).bit(countBits >> 1).bit(countBits & 1U).byte(offsetByte);
    }
    StreamBuilder& fullCopy(std::uint32_t low, std::uint32_t high) {
        return bit(0).bit(1).byte(low).byte(high);
    }
    StreamBuilder& fullCopy(std::uint32_t low, std::uint32_t high, std::uint32_t count) {
        return fullCopy(low, high).byte(count);
    }
    // A copy of `count` bytes (3..256) from `distance` (1..8192) in the three-byte form.
    StreamBuilder& longCopy(std::int32_t distance, std::int32_t count) {
        const auto value = static_cast<std::uint32_t>(8192 - distance);
        return fullCopy(value & 0xFFU, (value >> 8) << 3, static_cast<std::uint32_t>(count - 1));
    }
    StreamBuilder& end() { return fullCopy(0x00, 0xF0, 0x00); }

    [[nodiscard]] const Bytes& bytes() const { return mBytes; }
    [[nodiscard]] std::size_t size() const { return mBytes.size(); }

private:
    void reserveField() {
        mSlot = mBytes.size();
        mBytes.push_back(0);
        mBytes.push_back(0);
        mBitCount = 0;
    }

    Bytes mBytes;
    std::size_t mSlot = 0;
    std::uint32_t mBitCount = 0;
};

// Keeps every caption and bar width an encoder reports, in order.
class RecordingProgress : public ProgressSink {
public:
    void setCaption(std::string_view caption) override {
        captions.emplace_back(caption);
        if (widths.empty()) {
            captionBeforeFirstWidth = true;
        }
    }
    void setBarWidth(double pixels) override { widths.push_back(pixels); }
    void begin() override { ++brackets; }
    void end() override { ++brackets; }

    [[nodiscard]] bool nonDecreasing() const {
        for (std::size_t i = 1; i < widths.size(); ++i) {
            if (widths[i] < widths[i - 1]) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::string> captions;
    std::vector<double> widths;
    bool captionBeforeFirstWidth = false;
    int brackets = 0;
};

inline Bytes repeated(std::size_t count, std::uint8_t value) {
    return Bytes(count, value);
}

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
    std::uniform_int_distribution<std::uint32_t> value(0, 255);
    Bytes bytes;
    while (bytes.size() < count) {
        const auto run = std::min<std::size_t>(length(random), count - bytes.size());
        bytes.insert(bytes.end(), run, static_cast<std::uint8_t>(value(random)));
    }
    return bytes;
}

// Tile-like data: 32-byte tiles drawn from a small set of patterns, some flipped or recoloured.
inline Bytes tileArt(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<Bytes> patterns;
    for (std::uint32_t i = 0; i < 24; ++i) {
        patterns.push_back(randomRuns(32, seed + i + 1, 6));
    }
    std::uniform_int_distribution<std::size_t> pick(0, patterns.size() - 1);
    std::uniform_int_distribution<std::uint32_t> tweak(0, 7);
    Bytes bytes;
    while (bytes.size() < count) {
        Bytes tile = patterns[pick(random)];
        if (tweak(random) == 0) {
            tile[tweak(random) * 4] ^= 0x11;
        }
        bytes.insert(bytes.end(), tile.begin(), tile.end());
    }
    bytes.resize(count);
    return bytes;
}

// Decodes and expects success; returns the decoded data.
inline KosinskiDecoded decodeOk(const Bytes& stream) {
    auto decoded = decompressKosinski(ByteSpan(stream));
    if (!decoded.ok()) {
        return KosinskiDecoded{{}, -2, false};
    }
    return std::move(decoded).value();
}

}  // namespace orvex::test
