#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

// File access of the command-line tool for files that are not ROMs.

namespace orvex {

// The whole file. FileOpen when it cannot be opened, FileRead when reading fails.
[[nodiscard]] Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path);

// Writes `bytes` under a temporary name next to `path` and renames it into place, so `path`
// either keeps what it had or holds all of `bytes`, never a part. FileWrite on failure.
[[nodiscard]] Status writeFileAtomically(const std::filesystem::path& path, ByteSpan bytes);

// A name next to `path` for a file that will replace it.
[[nodiscard]] std::filesystem::path temporarySibling(const std::filesystem::path& path);

// Renames `temporary` to `target`, removing `temporary` when that fails. FileWrite on failure.
[[nodiscard]] Status moveIntoPlace(const std::filesystem::path& temporary,
                                   const std::filesystem::path& target);

}  // namespace orvex
