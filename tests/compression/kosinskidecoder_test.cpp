// The decoder on streams written item by item or byte by byte.

#include <numeric>

#include "kosinskitestsupport.h"  // gtest, <algorithm>, <cstdint>, <string>, <vector>, kosinski.h

namespace orvex {
namespace {

using test::Bytes;

// Writes a stream item by item: a description field is reserved at the start and again right
// after every 16th bit, whether or not more bits follow.
struct StreamBuilder {
    Bytes bytes{0, 0};
    std::size_t slot = 0;
    std::uint32_t bits = 0;

    StreamBuilder& bit(std::uint32_t value) {
        bytes[slot + bits / 8] |= static_cast<std::uint8_t>((value & 1U) << (bits % 8));
        if (++bits == 16) {
            slot = bytes.size();
            bytes.resize(slot + 2);
            bits = 0;
        }
        return *this;
    }
    StreamBuilder& byte(std::uint32_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    StreamBuilder& literal(std::uint32_t value) { return bit(1).byte(value); }
    // 0 0 H L and the offset byte.
    StreamBuilder& inlineCopy(std::uint32_t countBits, std::uint32_t offsetByte) {
        return bit(0).bit(0).bit(countBits >> 1).bit(countBits).byte(offsetByte);
    }
    // 0 1, LO, HI and, when count is given, the count byte.
    StreamBuilder& fullCopy(std::uint32_t low, std::uint32_t high, std::int32_t count = -1) {
        bit(0).bit(1).byte(low).byte(high);
        return count < 0 ? *this : byte(static_cast<std::uint32_t>(count));
    }
    StreamBuilder& end() { return fullCopy(0x00, 0xF0, 0x00); }
    [[nodiscard]] std::int32_t lastIndex() const {
        return static_cast<std::int32_t>(bytes.size()) - 1;
    }
};

KosinskiDecoded decode(const Bytes& stream) {
    auto decoded = decompressKosinski(ByteSpan(stream));
    EXPECT_TRUE(decoded.ok()) << (decoded.ok() ? "" : decoded.error().message);
    return decoded.ok() ? std::move(decoded).value() : KosinskiDecoded{};
}

Error corrupt(const Bytes& stream) {
    const auto decoded = decompressKosinski(ByteSpan(stream));
    EXPECT_TRUE(!decoded.ok() && decoded.error().code == ErrorCode::CorruptStream);
    return decoded.ok() ? Error{} : decoded.error();
}

// `count` literals; no two of the first 8192 bytes at a distance of 256 or 8192 are equal.
StreamBuilder literals(std::uint32_t count) {
    StreamBuilder stream;
    for (std::uint32_t i = 0; i < count; ++i) {
        stream.literal(i * 7 + (i >> 8));
    }
    return stream;
}

// Streams written out byte by byte, alone and inside a ROM. Bits come from bit 0 upward of a
// little-endian field, and the next field is read right after the 16th bit, even when that bit ends
// the stream.
TEST(KosinskiDecoder, Examples) {
    Bytes letters(8);
    Bytes fourteen(14);
    std::iota(letters.begin(), letters.end(), 'a');
    std::iota(fourteen.begin(), fourteen.end(), 0x30);
    // 0x59 = bits 1, 0 0 1 1, 0 1: a literal, an inline copy of 5 from -1, the end marker.
    const Bytes six{0x59, 0x00, 0x41, 0xFF, 0x00, 0xF0, 0x00};
    const auto repeat = decode(six);
    EXPECT_TRUE(repeat.data == Bytes(6, 0x41) && repeat.packedLastIndex == 6 &&
                !repeat.weirdOffset);
    // 0xFF 0x02: eight literals, then bits 8 and 9 (0 1, the end marker) from the second byte.
    const auto lowByteFirst = decode(test::concat({{0xFF, 0x02}, letters, {0x00, 0xF0, 0x00}}));
    EXPECT_TRUE(lowByteFirst.data == letters && lowByteFirst.packedLastIndex == 12);
    // 0xFF 0xBF: 14 literals, then the end marker's 0 1 as bits 15 and 16, and a field.
    const auto reload =
        decode(test::concat({{0xFF, 0xBF}, fourteen, {0x00, 0x00, 0x00, 0xF0, 0x00}}));
    EXPECT_TRUE(reload.data == fourteen && reload.packedLastIndex == 20);
    // Without the field, the end marker's bytes are taken as the field and the stream runs out.
    (void)corrupt(test::concat({{0xFF, 0xBF}, fourteen, {0x00, 0xF0, 0x00}}));

    // Inside a ROM, error offsets are ROM offsets; an offset outside the ROM is out of range.
    Bytes rom(160, 0xEE);
    std::copy(six.begin(), six.end(), rom.begin() + 100);
    const auto inRom = decompressKosinski(ByteSpan(rom), 100);
    EXPECT_TRUE(inRom.ok() && inRom->data == Bytes(6, 0x41) && inRom->packedLastIndex == 6);
    rom.resize(100 + 5);  // cut inside the end marker
    const auto cut = decompressKosinski(ByteSpan(rom), 100);
    EXPECT_TRUE(!cut.ok() && cut.error().offset == 105);
    for (const std::int32_t offset : {-1, 105, 1000}) {
        const auto outside = decompressKosinski(ByteSpan(rom), offset);
        EXPECT_TRUE(!outside.ok() && outside.error().code == ErrorCode::OutOfRange) << offset;
    }
}

// Each form with the count it gives, copying from -1: an inline copy's H L bits, or a full
// copy's HI and count byte (-1: none), and the bytes copied.
TEST(KosinskiDecoder, CopyCounts) {
    const std::tuple<std::int32_t, std::uint32_t, std::int32_t, std::size_t> cases[] = {
        {0, 0, 0, 2},     {1, 0, 0, 3},      {2, 0, 0, 4},
        {3, 0, 0, 5},     {-1, 0xF9, -1, 3}, {-1, 0xFF, -1, 9},
        {-1, 0xF8, 1, 0}, {-1, 0xF8, 2, 3},  {-1, 0xF8, 255, 256}};
    for (const auto& [bits, high, count, copied] : cases) {
        StreamBuilder stream = StreamBuilder().literal(0x55);
        (bits >= 0 ? stream.inlineCopy(bits, 0xFF) : stream.fullCopy(0xFF, high, count))
            .literal(0x66);
        const auto decoded = decode(stream.end().bytes);
        EXPECT_EQ(decoded.data, test::concat({Bytes(1 + copied, 0x55), {0x66}}))
            << bits << " " << high << " " << count;
        EXPECT_EQ(decoded.packedLastIndex, stream.lastIndex());
    }
}

TEST(KosinskiDecoder, CopyOffsets) {
    StreamBuilder stream = literals(8192);
    const std::size_t distances[] = {1, 8192, 256, 3532, 256, 128};
    stream.fullCopy(0xFF, 0xF8 | 1);  // -1
    stream.fullCopy(0x00, 0x00 | 1);  // -8192
    stream.fullCopy(0x00, 0xF8 | 1);  // -256
    stream.fullCopy(0x34, 0x90 | 1);  // ((0x90 << 5) | 0x34) - 8192 = -3532
    stream.inlineCopy(1, 0x00);       // -256
    stream.inlineCopy(1, 0x80);       // -128
    const auto decoded = decode(stream.end().bytes);
    ASSERT_EQ(decoded.data.size(), 8192U + 6 * 3);
    for (std::size_t i = 8192; i < decoded.data.size(); ++i) {
        EXPECT_EQ(decoded.data[i], decoded.data[i - distances[(i - 8192) / 3]]) << i;
    }
    EXPECT_FALSE(decoded.weirdOffset);
}

// A copy from before the first byte stops decoding with what was decoded so far; neither a copy
// of nothing nor the end marker checks its offset.
TEST(KosinskiDecoder, CopyFromBeforeTheFirstByteStopsAsWeirdOffset) {
    const auto valid = decode(literals(3).inlineCopy(1, 0xFD).end().bytes);
    EXPECT_TRUE(valid.data == (Bytes{0, 7, 14, 0, 7, 14}) && !valid.weirdOffset);
    const StreamBuilder oneEarlier = literals(3).inlineCopy(1, 0xFC);
    const auto weird = decode(StreamBuilder(oneEarlier).literal(9).end().bytes);
    EXPECT_TRUE(weird.weirdOffset && weird.data == (Bytes{0, 7, 14}) &&
                weird.packedLastIndex == oneEarlier.lastIndex());
    // LO = HI = 0 is -8192: weird until 8192 bytes have been produced.
    for (const std::uint32_t produced : {8191U, 8192U}) {
        const auto far = decode(literals(produced).fullCopy(0x00, 0x00, 0x02).end().bytes);
        EXPECT_EQ(far.weirdOffset, produced == 8191);
        EXPECT_EQ(far.data.size(), produced == 8191 ? 8191U : 8195U);
        EXPECT_EQ(far.data.back(), far.data[produced == 8191 ? 8190 : 2]);
    }
    const auto decoded = decode(
        StreamBuilder().fullCopy(0x00, 0x00, 0x01).literal(0x42).fullCopy(0x00, 0x00, 0x00).bytes);
    EXPECT_TRUE(!decoded.weirdOffset && decoded.data == Bytes{0x42});
}

TEST(KosinskiDecoder, EveryTruncationFailsWhereTheStreamRunsOut) {
    StreamBuilder everyItem;
    everyItem.literal(0x10).literal(0x20).literal(0x30).inlineCopy(0, 0xFE).inlineCopy(3, 0xFF);
    everyItem.fullCopy(0xFD, 0xF8 | 2).fullCopy(0xFA, 0xF8, 0x01).fullCopy(0xF6, 0xF8, 0x09);
    for (std::uint32_t i = 0; i < 12; ++i) {
        everyItem.literal(i);
    }
    const std::vector<Bytes> streams = {everyItem.end().bytes, {0x02, 0x00, 0x00, 0x00, 0x00}};
    EXPECT_TRUE(decode(streams[1]).data.empty());
    for (const Bytes& full : streams) {
        ASSERT_EQ(decode(full).packedLastIndex, static_cast<std::int32_t>(full.size()) - 1);
        for (std::size_t length = 0; length < full.size(); ++length) {
            // An exact-size copy, so that a read past its end shows under the sanitizers.
            const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(corrupt(prefix).offset, static_cast<std::int64_t>(length));
        }
    }
}

TEST(KosinskiDecoder, StreamAndOutputLimits) {
    // A whole output of literals takes 73,733 bytes: streams past 32 KiB decode, as in the game.
    const Bytes allLiterals = literals(static_cast<std::uint32_t>(kKosinskiMaxOutput)).end().bytes;
    ASSERT_EQ(allLiterals.size(), 73733u);
    EXPECT_EQ(decode(allLiterals).data.size(), static_cast<std::size_t>(kKosinskiMaxOutput));
    // Copies of nothing make a stream as long as wanted; past the decoder's limit it fails there.
    StreamBuilder nothing = literals(1);
    while (nothing.bytes.size() + 8 < static_cast<std::size_t>(kKosinskiMaxStream)) {
        nothing.fullCopy(0x00, 0xF0, 1);
    }
    Bytes within = StreamBuilder(nothing).end().bytes;
    ASSERT_LE(within.size(), static_cast<std::size_t>(kKosinskiMaxStream));
    EXPECT_EQ(decode(within).packedLastIndex, static_cast<std::int32_t>(within.size()) - 1);
    for (std::int32_t more = 0; more < 4; ++more) {
        nothing.fullCopy(0x00, 0xF0, 1);
    }
    const Error tooLong = corrupt(nothing.end().bytes);
    EXPECT_TRUE(tooLong.offset == kKosinskiMaxStream &&
                tooLong.message.find("longer") != std::string::npos);

    // `produced` bytes of 0xAA: a literal, then copies of up to 256 bytes from -1.
    const auto filled = [](std::int32_t produced) {
        StreamBuilder stream = StreamBuilder().literal(0xAA);
        for (std::int32_t left = produced - 1; left > 0; left -= 256) {
            stream.fullCopy(0xFF, 0xF8, std::min(left, 256) - 1);
        }
        return stream;
    };
    StreamBuilder full = filled(kKosinskiMaxOutput);
    EXPECT_EQ(decode(StreamBuilder(full).end().bytes).data, Bytes(kKosinskiMaxOutput, 0xAA));
    // One byte more, by a literal or by a copy: the error names the item's last byte.
    StreamBuilder byCopy = filled(kKosinskiMaxOutput - 1);
    for (StreamBuilder* over : {&full.literal(0x01), &byCopy.inlineCopy(0, 0xFF)}) {
        const std::int32_t lastByte = over->lastIndex();
        EXPECT_EQ(corrupt(over->end().bytes).offset, lastByte);
    }
}

}  // namespace
}  // namespace orvex
