#pragma once

#include <filesystem>
#include <string>

#include "common/error.h"

// The test build of a synthetic disassembly project: a small assembler for the few directives
// the synthetic source uses, which places the files in the order the source lists them and
// writes the image and a listing in the real assembler's format, as the project's real build
// does. Labels make the tables follow what moves, so a grown file moves every later one.
//
// Understood: `label:` before any statement; `include "file"`; `BINCLUDE "file"`;
// `dc.b` / `dc.w` / `dc.l` with sums and differences of $hex numbers and labels; the macros
// `zoneTableEntry.w a, b, c, d` (four words) and `palette a[, b]` (art/palettes/a, then b); macro
// definitions (`name macro` ... `endm`) are listed and skipped. A comment starts at ';'. Lines may
// end with LF or CRLF.

namespace orvex::testing {

inline constexpr const char* kTestBuildImage = "s2built.bin";
inline constexpr const char* kTestBuildListing = "s2.lst";

// Assembles `folder`/s2.asm and writes s2built.bin (padded with zeros to a power of two, the ROM
// end field and checksum set) and s2.lst. An error names the source file and line (a file that
// cannot be read, an unknown label or statement); nothing is written then.
[[nodiscard]] Status assembleTestProject(const std::filesystem::path& folder);

}  // namespace orvex::testing
