#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>

#include "common/byteorder.h"
#include "common/error.h"

// JSON files the tool reads, parsed strictly.

namespace orvex {

// Larger files are refused before they are read.
inline constexpr std::int64_t kMaxJsonFileSize = 8 * 1024 * 1024;
// Arrays and objects nested deeper are refused.
inline constexpr std::size_t kMaxJsonDepth = 64;

// Parses `text` as exactly one JSON value, in time linear in its length (n log n for objects
// with many keys). CorruptStream, naming the line and column where the library gives them, for:
// a syntax error or a number past the range of a double; anything but whitespace after the
// value; a NUL byte anywhere; a key twice in one object (naming the key and the object's path,
// e.g. objects[3]); nesting deeper than kMaxJsonDepth.
[[nodiscard]] Result<nlohmann::json> parseJson(ByteSpan text);

// The file at `path` parsed by parseJson. FileOpen for a file that cannot be read or is larger
// than kMaxJsonFileSize (saying so and giving the limit).
[[nodiscard]] Result<nlohmann::json> readJsonFile(const std::filesystem::path& path);

}  // namespace orvex
