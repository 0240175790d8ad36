#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/placements.h"

// An act's boundaries as the disassembly's source writes them, inline, one line an act:
//   [label:]<space>zoneTableEntry.w<space>xmin,<space>xmax,<space>ymin,<space>ymax<space>[;
//   comment]
// each value a plain number: hexadecimal `$29A0`, decimal `400`, either with a leading `-`.

namespace orvex {

// The four values of a boundary line (without its line ending). NoRoom is never returned;
// CorruptStream, with a note a user can read ("the boundaries of this act are read-only: ...
// is not a plain number"), when the line is not a plain list of four numbers.
[[nodiscard]] Result<LevelBounds> parseBoundaryLine(std::string_view line);

// The line with its four numbers replaced by `bounds`, each written in the notation it had
// (hexadecimal or decimal, the case of its digits, its leading zeros, a minus sign kept for a
// value that is still negative as a signed word); everything else (label, spacing and tabs,
// comment, the line ending LF or CRLF) byte for byte as it was. The errors of
// parseBoundaryLine when the line cannot be rewritten.
[[nodiscard]] Result<std::string> rewriteBoundaryLine(std::string_view line,
                                                      const LevelBounds& bounds);

// A whole source file with line `lineNumber` (1-based, lines ending in LF or CRLF) rewritten as
// above. OutOfRange when the file has no such line.
[[nodiscard]] Result<std::vector<std::uint8_t>> rewriteBoundaryInFile(ByteSpan file,
                                                                      std::int32_t lineNumber,
                                                                      const LevelBounds& bounds);

// Line `lineNumber` (1-based) of `file` without its line ending; OutOfRange when there is none.
[[nodiscard]] Result<std::string> sourceLine(ByteSpan file, std::int32_t lineNumber);

}  // namespace orvex
