#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "kosinskitestsupport.h"

namespace orvex {
namespace {

using test::Bytes;

// Writes a stream item by item: a description field is reserved at the start and again right
// after every 16th bit, whether or not more bits follow.
class StreamBuilder {
public:
    StreamBuilder() { reserveField(); }

    StreamBuilder& bit(std::uint32_t value) {
        mBytes[mSlot + mBits / 8] |= static_cast<std::uint8_t>((value & 1U) << (mBits % 8));
        if (++mBits == 16) {
            reserveField();
        }
        return *this;
    }
    StreamBuilder& byte(std::uint32_t value) {
        mBytes.push_back(static_cast<std::uint8_t>(value));
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

    [[nodiscard]] const Bytes& bytes() const { return mBytes; }
    [[nodiscard]] std::int32_t lastIndex() const {
        return static_cast<std::int32_t>(mBytes.size()) - 1;
    }

private:
    void reserveField() {
        mSlot = mBytes.size();
        mBytes.push_back(0);
        mBytes.push_back(0);
        mBits = 0;
    }

    Bytes mBytes;
    std::size_t mSlot = 0;
    std::uint32_t mBits = 0;
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

TEST(KosinskiDecoder, BitsAreTakenFromBitZeroOfALittleEndianField) {
    // 0x59 = bits 1, 0 0 1 1, 0 1: a literal, an inline copy of 5 from -1, the end marker.
    const auto repeat = decode({0x59, 0x00, 0x41, 0xFF, 0x00, 0xF0, 0x00});
    EXPECT_EQ(repeat.data, Bytes(6, 0x41));
    EXPECT_EQ(repeat.packedLastIndex, 6);
    EXPECT_FALSE(repeat.weirdOffset);
    // 0xFF 0x02: eight literals, then bits 8 and 9 (0 1, the end marker) from the second byte.
    const auto lowByteFirst =
        decode({0xFF, 0x02, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00, 0xF0, 0x00});
    EXPECT_EQ(lowByteFirst.data, (Bytes{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}));
    EXPECT_EQ(lowByteFirst.packedLastIndex, 12);
}

TEST(KosinskiDecoder, NextFieldIsReadRightAfterTheSixteenthBit) {
    // 0xFF 0xBF: 14 literals, then the end marker's 0 1 as bits 15 and 16.
    Bytes stream{0xFF, 0xBF};
    for (std::uint8_t i = 0; i < 14; ++i) {
        stream.push_back(static_cast<std::uint8_t>(0x30 + i));
    }
    const Bytes fourteen(stream.begin() + 2, stream.end());
    Bytes withField = stream;
    withField.insert(withField.end(), {0x00, 0x00, 0x00, 0xF0, 0x00});
    const auto decoded = decode(withField);
    EXPECT_EQ(decoded.data, fourteen);
    EXPECT_EQ(decoded.packedLastIndex, 20);
    // Without the field, the end marker's bytes are taken as the field and the stream runs out.
    stream.insert(stream.end(), {0x00, 0xF0, 0x00});
    (void)corrupt(stream);
}

TEST(KosinskiDecoder, CopyCounts) {
    enum Form { Inline, TwoByte, CountByte };
    struct Case {
        Form form;
        std::uint32_t value;  // H L bits, HI & 7 or the count byte
        std::size_t copied;
    };
    const Case cases[] = {{Inline, 0, 2},    {Inline, 1, 3},    {Inline, 2, 4},
                          {Inline, 3, 5},    {TwoByte, 1, 3},   {TwoByte, 7, 9},
                          {CountByte, 1, 0}, {CountByte, 2, 3}, {CountByte, 255, 256}};
    for (const Case& c : cases) {
        StreamBuilder stream;
        stream.literal(0x55);
        if (c.form == Inline) {
            stream.inlineCopy(c.value, 0xFF);
        } else if (c.form == TwoByte) {
            stream.fullCopy(0xFF, 0xF8 | c.value);
        } else {
            stream.fullCopy(0xFF, 0xF8, static_cast<std::int32_t>(c.value));
        }
        stream.literal(0x66).end();
        const auto decoded = decode(stream.bytes());
        Bytes expected(1 + c.copied, 0x55);
        expected.push_back(0x66);
        EXPECT_EQ(decoded.data, expected) << "form " << c.form << " value " << c.value;
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
    const auto decoded = decode(stream.end().bytes());
    ASSERT_EQ(decoded.data.size(), 8192U + 6 * 3);
    for (std::size_t copy = 0; copy < 6; ++copy) {
        for (std::size_t i = 8192 + 3 * copy; i < 8192 + 3 * copy + 3; ++i) {
            EXPECT_EQ(decoded.data[i], decoded.data[i - distances[copy]]) << "copy " << copy;
        }
    }
    EXPECT_FALSE(decoded.weirdOffset);
}

TEST(KosinskiDecoder, CopyFromBeforeTheFirstByteStopsAsWeirdOffset) {
    StreamBuilder fromZero;
    fromZero.literal(1).literal(2).literal(3).inlineCopy(1, 0xFD).end();
    const auto valid = decode(fromZero.bytes());
    EXPECT_EQ(valid.data, (Bytes{1, 2, 3, 1, 2, 3}));
    EXPECT_FALSE(valid.weirdOffset);

    StreamBuilder oneEarlier;
    oneEarlier.literal(1).literal(2).literal(3).inlineCopy(1, 0xFC);
    const std::int32_t lastRead = oneEarlier.lastIndex();
    const auto weird = decode(oneEarlier.literal(9).end().bytes());
    EXPECT_TRUE(weird.weirdOffset);
    EXPECT_EQ(weird.data, (Bytes{1, 2, 3}));
    EXPECT_EQ(weird.packedLastIndex, lastRead);

    // LO = HI = 0 is -8192: weird until 8192 bytes have been produced.
    for (const std::uint32_t produced : {8191U, 8192U}) {
        const auto far = decode(literals(produced).fullCopy(0x00, 0x00, 0x02).end().bytes());
        EXPECT_EQ(far.weirdOffset, produced == 8191);
        EXPECT_EQ(far.data.size(), produced == 8191 ? 8191U : 8195U);
        EXPECT_EQ(far.data.back(), far.data[produced == 8191 ? 8190 : 2]);
    }

    // Neither a copy of nothing nor the end marker checks its offset.
    StreamBuilder nothing;
    nothing.fullCopy(0x00, 0x00, 0x01).literal(0x42).fullCopy(0x00, 0x00, 0x00);
    const auto decoded = decode(nothing.bytes());
    EXPECT_FALSE(decoded.weirdOffset);
    EXPECT_EQ(decoded.data, Bytes{0x42});
}

TEST(KosinskiDecoder, EveryTruncationFailsWhereTheStreamRunsOut) {
    StreamBuilder everyItem;
    everyItem.literal(0x10).literal(0x20).literal(0x30);
    everyItem.inlineCopy(0, 0xFE).inlineCopy(3, 0xFF);
    everyItem.fullCopy(0xFD, 0xF8 | 2).fullCopy(0xFA, 0xF8, 0x01).fullCopy(0xF6, 0xF8, 0x09);
    for (std::uint32_t i = 0; i < 12; ++i) {
        everyItem.literal(i);
    }
    const std::vector<Bytes> streams = {everyItem.end().bytes(), {0x02, 0x00, 0x00, 0x00, 0x00}};
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

TEST(KosinskiDecoder, StreamLimit) {
    // 29123 literals and the end marker fill exactly 32768 bytes; one more literal makes 32769.
    const Bytes longest = literals(29123).end().bytes();
    ASSERT_EQ(longest.size(), static_cast<std::size_t>(kKosinskiMaxStream));
    EXPECT_EQ(decode(longest).packedLastIndex, kKosinskiMaxStream - 1);

    const Error error = corrupt(literals(29124).end().bytes());
    EXPECT_EQ(error.offset, kKosinskiMaxStream);
    EXPECT_NE(error.message.find("longer"), std::string::npos);
}

TEST(KosinskiDecoder, OutputLimit) {
    // `produced` bytes of 0xAA: a literal, then copies of up to 256 bytes from -1.
    const auto filled = [](std::int32_t produced) {
        StreamBuilder stream;
        stream.literal(0xAA);
        for (std::int32_t left = produced - 1; left > 0; left -= 256) {
            stream.fullCopy(0xFF, 0xF8, std::min(left, 256) - 1);
        }
        return stream;
    };
    StreamBuilder full = filled(kKosinskiMaxOutput);
    StreamBuilder ended = full;
    EXPECT_EQ(decode(ended.end().bytes()).data, Bytes(kKosinskiMaxOutput, 0xAA));

    // One byte more, by a literal or by a copy: the error names the item's last byte.
    StreamBuilder byCopy = filled(kKosinskiMaxOutput - 1);
    for (StreamBuilder* over : {&full.literal(0x01), &byCopy.inlineCopy(0, 0xFF)}) {
        const std::int32_t lastByte = over->lastIndex();
        EXPECT_EQ(corrupt(over->end().bytes()).offset, lastByte);
    }
}

TEST(KosinskiDecoder, RomOffsetForm) {
    const Bytes stream{0x59, 0x00, 0x41, 0xFF, 0x00, 0xF0, 0x00};
    Bytes rom(160, 0xEE);
    std::copy(stream.begin(), stream.end(), rom.begin() + 100);
    const auto inRom = decompressKosinski(ByteSpan(rom), 100);
    ASSERT_TRUE(inRom.ok());
    EXPECT_EQ(inRom->data, Bytes(6, 0x41));
    EXPECT_EQ(inRom->packedLastIndex, 6);

    rom.resize(100 + 5);  // cut inside the end marker: the error names the ROM offset
    const auto cut = decompressKosinski(ByteSpan(rom), 100);
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(cut.error().offset, 105);

    for (const std::int32_t offset : {-1, 105, 1000}) {
        const auto outside = decompressKosinski(ByteSpan(rom), offset);
        ASSERT_FALSE(outside.ok()) << offset;
        EXPECT_EQ(outside.error().code, ErrorCode::OutOfRange);
    }
}

}  // namespace
}  // namespace orvex
