#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

// File access of the command-line tool for files that are not ROMs.

namespace orvex {

// The whole input file: a regular file of at most 8 MiB (see readRegularFile).
[[nodiscard]] Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path);

// "-" names standard output where a command writes a file.
[[nodiscard]] inline bool isStandardOutput(const std::filesystem::path& path) {
    return path == "-";
}

// Writes `bytes` to `output`: to `standardOutput` for "-", otherwise all or nothing through a
// temporary file (see writeOutputFile), so `output` either keeps what it had or holds all of
// `bytes`. An output that is the same file as `input` (device and inode, links followed) is
// refused, so that no command replaces what it reads; so is an output file marked read-only.
// FileWrite on failure.
[[nodiscard]] Status writeOutput(const std::filesystem::path& output, ByteSpan bytes,
                                 std::ostream& standardOutput,
                                 const std::filesystem::path& input = {});

}  // namespace orvex
