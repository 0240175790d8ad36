#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "common/progress.h"

// Kosinski, the LZ77-style format of the game's compressed art, mappings and layouts.
//
// A stream is a sequence of items announced by description bits. Description fields are two
// bytes, little-endian, consumed from bit 0 upward; right after the 16th bit of a field has been
// taken the next two stream bytes are the next field, before any other byte is read.
//   1          literal: one stream byte
//   0 0 H L    inline copy: offset byte B (distance 256 - B), 2 + 2H + L bytes
//   0 1        full copy: LO, HI; offset ((HI & 0xF8) << 5 | LO) - 8192; count (HI & 7) + 2,
//              or with HI & 7 == 0 a count byte C: 0 ends the stream, 1 copies nothing,
//              2..255 copies C + 1 bytes.

namespace orvex {

inline constexpr std::int32_t kKosinskiMaxOutput = 65536;  // bytes the decoder can produce
// The game's decoder sets no limit on a stream's length. This one accepts 80 KiB, more than the
// longest stream a full output needs (65,536 literals, their description fields and the end marker:
// 73,733 bytes), so that every stream the format can usefully hold decodes while a crafted one
// still ends; each part of a level has the game's own, smaller limits on what it decodes to.
inline constexpr std::int32_t kKosinskiMaxStream = 0x14000;

struct KosinskiDecoded {
    std::vector<std::uint8_t> data;     // unpackedData: the bytes decoded
    std::int32_t packedLastIndex = -1;  // index of the last stream byte read (length - 1)
    // True when a copy would have started before the first output byte: decoding stopped there
    // and data holds what was decoded so far.
    bool weirdOffset = false;
};

// Decodes the stream at the start of `stream` (which may continue past the stream's end).
// Never reads outside `stream`. Fails with CorruptStream when the stream runs past the end of
// `stream`, is longer than kKosinskiMaxStream bytes, or would produce more than
// kKosinskiMaxOutput bytes; the error's offset is the stream index where it broke (the byte
// that could not be read, or the last byte of the item that would overflow the output).
// A copy that would start before the first output byte is no error: decoding stops there with
// weirdOffset set. The end marker and a copy of nothing (count byte 1) never check their offset.
[[nodiscard]] Result<KosinskiDecoded> decompressKosinski(ByteSpan stream);

// The same for the stream that starts at byte `streamOffset` of a ROM image; error offsets are
// ROM offsets. An offset outside the ROM fails with OutOfRange.
[[nodiscard]] Result<KosinskiDecoded> decompressKosinski(ByteSpan rom, std::int32_t streamOffset);

// The editor's run-length encoder: copies from distance 1 only, byte for byte the streams the
// original editor wrote. Returns packedData: the stream followed by one 0x00 byte. Reports
// Stage::Encoding progress to `progress` when given: (0, size), then (p + 1, size) as it reaches
// input position p. Inputs of
// 32,768 bytes or more are refused with InputTooLarge.
[[nodiscard]] Result<std::vector<std::uint8_t>> compressKosinski(ByteSpan input,
                                                                 ProgressSink* progress = nullptr);

// The shortest stream the format allows for `input` (an exact optimum over every item the
// format has). Returns packedData: the stream followed by one 0x00 byte. Accepts inputs up to
// kKosinskiMaxOutput bytes; fails with InputTooLarge for longer inputs, or when the shortest
// stream would still exceed kKosinskiMaxStream bytes. Deterministic.
[[nodiscard]] Result<std::vector<std::uint8_t>> compressKosinskiOptimal(
    ByteSpan input, ProgressSink* progress = nullptr);

}  // namespace orvex
