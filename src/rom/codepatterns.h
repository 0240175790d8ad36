#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "rom/romprofile.h"

// Finding the game's tables through the instructions that reference them. An image built from
// the disassembly has the game's code with its tables wherever the build put them; each table
// is named by one instruction sequence (the bytes below) that holds its address.

namespace orvex {

// How an instruction sequence gives a table's address, counted from the first byte of a match.
enum class AddressRule {
    AbsoluteLong,  // the long at `at` is the address
    Operand,       // the table is the long at `at` itself (a pointer the editor rewrites)
    PcRelative,    // (d8,PC,Xn): the extension word at `at`, plus its signed low byte
};

struct CodeReference {
    TableId table;
    std::int32_t at = 0;
    AddressRule rule = AddressRule::AbsoluteLong;
};

struct CodePattern {
    // Hex bytes, "??" for any byte: "3038 FE10 E218 EC48 41F9 ???????? 3030 0000".
    std::string_view bytes;
    std::vector<CodeReference> references;
};

// The patterns the game's code has, one or more tables each.
[[nodiscard]] const std::vector<CodePattern>& codePatterns();

// The pattern's bytes, -1 for any byte.
[[nodiscard]] std::vector<std::int16_t> parsePattern(std::string_view bytes);

// Every even offset where `pattern` matches `rom` (instructions lie at even addresses).
[[nodiscard]] std::vector<std::int32_t> findPattern(ByteSpan rom,
                                                    const std::vector<std::int16_t>& pattern);
// The same for several patterns, one entry each, with one pass over `rom` for all patterns
// that begin with the same byte.
[[nodiscard]] std::vector<std::vector<std::int32_t>> findPatterns(
    ByteSpan rom, const std::vector<std::vector<std::int16_t>>& patterns);

// Where one table was found: its offset and the first byte of the code that names it.
struct FoundTable {
    std::int32_t offset = 0;
    std::int32_t codeAt = 0;
};

// One table named by code: the address every match of its pattern gives, the first match,
// and where each match holds the reference (match + the reference's `at`: for an absolute
// address, the offset of its long, which a move of the table rewrites).
struct TableCode {
    std::int32_t offset = 0;
    std::int32_t codeAt = 0;
    std::vector<std::int32_t> references;
    std::vector<std::int32_t> matches;  // the first byte of every match
    std::int32_t patternBytes = 0;
};

// The code of each of `tables`, searching only the patterns that name them: far cheaper than
// locateTables. An entry is empty when the table has no pattern of its own, its pattern does
// not match, or the matches give different addresses.
[[nodiscard]] std::vector<std::optional<TableCode>> locateTableCode(
    ByteSpan rom, std::span<const TableId> tables);

// The outcome of locating every table: a place for each one found, a reason for each one not.
struct LocatedTables {
    std::array<std::optional<FoundTable>, kTableCount> found;
    std::array<std::string, kTableCount> problems;

    [[nodiscard]] const std::optional<FoundTable>& at(TableId table) const {
        return found[static_cast<std::size_t>(table)];
    }
};

// Looks for every pattern in `rom`. A table is found when all matches of its pattern give one
// address; the fixed palette line is the source long of the palette pointer table's entry 3.
// Nothing is checked beyond that here: see identifyRom.
[[nodiscard]] LocatedTables locateTables(ByteSpan rom);

}  // namespace orvex
