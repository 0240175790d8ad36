#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"

// The assembler's listing of a disassembly project (`s2.lst`): which file each byte of the built
// image came from, and which source line each inline table entry stands on.
//
// Apart from page headers (a form feed, then " AS V1.42 ... - Source File s2.asm(INCLUDE) -
// Page N - ...") a code line is: an optional include depth "(n)" (none in the main source), the
// source line number, "/", the address in hexadecimal, " : ", then the bytes generated, a value
// ("=$C054") or "(MACRO)" / "(MACRO-2)", then the source text. A BINCLUDE line (also inside a
// macro's expansion) places its whole file at its address; the next code line's address is
// where the file ends. An include line opens the file whose lines follow one depth deeper. The
// listing ends at "Symbol Table".

namespace orvex {

// A file a BINCLUDE line placed in the image.
struct PlacedFile {
    std::int64_t address = 0;
    std::int64_t length = 0;  // bytes up to the next code line's address
    std::string path;         // as the source names it: relative to the project, '/' between parts
    std::string source;       // the source file of the BINCLUDE line ("" when not known)
    std::int32_t line = 0;    // its line number there
};

// A `zoneTableEntry.w` line: four words written inline by the source.
struct InlineEntry {
    std::int64_t address = 0;
    std::string source;
    std::int32_t line = 0;
};

struct Listing {
    // Every placed file, ascending by address; files of no length (an empty file, a line whose
    // end is not known) are kept for staleness checks.
    std::vector<PlacedFile> files;
    // Every `zoneTableEntry.w` line, ascending by address.
    std::vector<InlineEntry> entries;
    // Every source file the listing shows lines of: the main source first, then each include
    // in the order they were opened.
    std::vector<std::string> sources;
    // Where the `LevelSize` label stands, when the listing shows it.
    std::optional<std::int64_t> levelSizeTable;
    // Code lines read.
    std::int64_t codeLines = 0;

    // The file placed at exactly `address`: one of non-zero length where there is one, else an
    // empty one (an empty object list); none when no file starts there.
    [[nodiscard]] const PlacedFile* fileAt(std::int64_t address) const;
    // The `zoneTableEntry.w` line at exactly `address`.
    [[nodiscard]] const InlineEntry* entryAt(std::int64_t address) const;
};

// Reads a listing line by line from `in`, holding only the current line (lines may end with LF
// or CRLF). `mainSource` names the file of the lines without an include depth. Fails with
// CorruptStream when `in` holds no code line at all (not a listing), FileRead when reading
// fails.
[[nodiscard]] Result<Listing> parseListing(std::istream& in, std::string mainSource = "s2.asm");

// The listing in the file at `path`, streamed as above. FileOpen when it cannot be opened.
[[nodiscard]] Result<Listing> readListing(const std::filesystem::path& path,
                                          std::string mainSource = "s2.asm");

}  // namespace orvex
