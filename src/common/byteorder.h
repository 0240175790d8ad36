#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/error.h"

// Big-endian fields of the Mega Drive's 68000, read from and written into byte buffers.
// Every read is checked against the buffer; a read that does not fit names its offset.

namespace orvex {

using ByteSpan = std::span<const std::uint8_t>;
using MutableByteSpan = std::span<std::uint8_t>;

// True when count bytes starting at offset lie inside a buffer of the given size.
[[nodiscard]] constexpr bool fitsIn(std::size_t size, std::int64_t offset, std::int64_t count) {
    return offset >= 0 && count >= 0 && static_cast<std::uint64_t>(offset) <= size &&
           static_cast<std::uint64_t>(count) <= size - static_cast<std::uint64_t>(offset);
}

[[nodiscard]] inline Error readPastEnd(std::int64_t offset, std::int64_t count) {
    return makeError(ErrorCode::FileRead,
                     "Read of " + std::to_string(count) + " byte(s) runs past the end of the file",
                     offset);
}

// A byte, 0..255.
[[nodiscard]] inline Result<std::uint8_t> readByte(ByteSpan data, std::int64_t offset) {
    if (!fitsIn(data.size(), offset, 1)) {
        return readPastEnd(offset, 1);
    }
    return data[static_cast<std::size_t>(offset)];
}

// A word: high byte first, unsigned 0..65535.
[[nodiscard]] inline Result<std::uint16_t> readWord(ByteSpan data, std::int64_t offset) {
    if (!fitsIn(data.size(), offset, 2)) {
        return readPastEnd(offset, 2);
    }
    const auto at = static_cast<std::size_t>(offset);
    return static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]);
}

// A long: four bytes, most significant first, as a non-negative 32-bit offset. A first byte of
// 0x80 or more does not fit and is an error, never a negative number.
[[nodiscard]] inline Result<std::int32_t> readLong(ByteSpan data, std::int64_t offset) {
    if (!fitsIn(data.size(), offset, 4)) {
        return readPastEnd(offset, 4);
    }
    const auto at = static_cast<std::size_t>(offset);
    if (data[at] >= 0x80) {
        return makeError(ErrorCode::ValueTooLarge,
                         "Long value does not fit a signed 32-bit offset (first byte " +
                             hexOffset(data[at]) + ")",
                         offset);
    }
    const std::uint32_t value = (std::uint32_t{data[at]} << 24) |
                                (std::uint32_t{data[at + 1]} << 16) |
                                (std::uint32_t{data[at + 2]} << 8) | std::uint32_t{data[at + 3]};
    return static_cast<std::int32_t>(value);
}

// Writes a word high byte first. Precondition: the two bytes lie inside data.
inline void putWord(MutableByteSpan data, std::size_t offset, std::uint16_t value) {
    data[offset] = static_cast<std::uint8_t>(value >> 8);
    data[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// Writes a long most significant byte first. Precondition: the four bytes lie inside data.
inline void putLong(MutableByteSpan data, std::size_t offset, std::uint32_t value) {
    data[offset] = static_cast<std::uint8_t>(value >> 24);
    data[offset + 1] = static_cast<std::uint8_t>((value >> 16) & 0xFF);
    data[offset + 2] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    data[offset + 3] = static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace orvex
