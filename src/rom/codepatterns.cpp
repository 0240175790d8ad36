#include "rom/codepatterns.h"

#include <algorithm>
#include <cstring>

namespace orvex {

namespace {

using Rule = AddressRule;

// The address one reference of a match gives, if the bytes hold one.
std::optional<std::int32_t> referencedAddress(ByteSpan rom, std::int32_t match,
                                              const CodeReference& reference) {
    const std::int64_t at = std::int64_t{match} + reference.at;
    switch (reference.rule) {
        case Rule::Operand:
            return static_cast<std::int32_t>(at);
        case Rule::AbsoluteLong: {
            auto address = readLong(rom, at);
            return address ? std::optional<std::int32_t>(*address) : std::nullopt;
        }
        case Rule::PcRelative: {
            // The 68000 adds the displacement to the address of the extension word.
            auto displacement = readByte(rom, at + 1);
            if (!displacement) {
                return std::nullopt;
            }
            return static_cast<std::int32_t>(at + static_cast<std::int8_t>(*displacement));
        }
    }
    return std::nullopt;
}

// The address all matches give, if they give one.
std::optional<std::int32_t> agreedAddress(ByteSpan rom, const std::vector<std::int32_t>& matches,
                                          const CodeReference& reference) {
    std::optional<std::int32_t> agreed;
    for (const std::int32_t match : matches) {
        const auto address = referencedAddress(rom, match, reference);
        if (!address || (agreed && *agreed != *address)) {
            return std::nullopt;
        }
        agreed = address;
    }
    return agreed;
}

void locateReference(ByteSpan rom, const std::vector<std::int32_t>& matches,
                     const CodeReference& reference, LocatedTables& located) {
    const auto index = static_cast<std::size_t>(reference.table);
    if (matches.empty()) {
        located.problems[index] = "the code that names it was not found";
        return;
    }
    const auto agreed = agreedAddress(rom, matches, reference);
    if (!agreed) {
        located.problems[index] = "the code that names it appears " +
                                  std::to_string(matches.size()) +
                                  " times with different addresses";
        return;
    }
    located.found[index] = FoundTable{*agreed, matches.front()};
}

// The fixed line is loaded through entry 3 of the palette pointer table.
void locateFixedPalette(ByteSpan rom, LocatedTables& located) {
    const auto& palettes = located.at(TableId::PalettePointers);
    const auto index = static_cast<std::size_t>(TableId::FixedPalette);
    if (!palettes) {
        located.problems[index] = "the palette pointer table was not found";
        return;
    }
    auto source = readLong(
        rom, std::int64_t{palettes->offset} + kFixedPaletteEntry * kPalettePointerEntrySize);
    if (!source) {
        located.problems[index] = "the palette pointer table's entry 3 is not a pointer";
        return;
    }
    located.found[index] = FoundTable{*source, palettes->codeAt};
}

bool matchesAt(const std::vector<std::int16_t>& pattern, const std::uint8_t* at,
               const std::uint8_t* end) {
    return static_cast<std::size_t>(end - at) >= pattern.size() &&
           std::equal(
               pattern.begin() + 1, pattern.end(), at + 1,
               [](std::int16_t want, std::uint8_t have) { return want < 0 || want == have; });
}

// One pass over `rom` for the patterns of `group`, which all begin with the same byte: memchr
// finds the candidates, since the first byte of a pattern is rare in an image.
void scanGroup(ByteSpan rom, const std::vector<std::vector<std::int16_t>>& patterns,
               const std::vector<std::size_t>& group,
               std::vector<std::vector<std::int32_t>>& matches) {
    const auto first = static_cast<std::uint8_t>(patterns[group.front()].front());
    const std::uint8_t* const start = rom.data();
    const std::uint8_t* const end = start + rom.size();
    for (const std::uint8_t* at = start; at < end; ++at) {
        at = static_cast<const std::uint8_t*>(
            std::memchr(at, first, static_cast<std::size_t>(end - at)));
        if (at == nullptr) {
            break;
        }
        if ((at - start) % 2 != 0) {  // instructions lie at even addresses
            continue;
        }
        for (const std::size_t index : group) {
            if (matchesAt(patterns[index], at, end)) {
                matches[index].push_back(static_cast<std::int32_t>(at - start));
            }
        }
    }
}

}  // namespace

const std::vector<CodePattern>& codePatterns() {
    static const std::vector<CodePattern> patterns = {
        {"3038 FE10 E218 EC48 41F9 ???????? 3030 0000 41F0 0800",
         {{TableId::LayoutDirectoryPointer, 10, Rule::Operand}}},
        {"3038 FE10 E218 EC48 41F9 ???????? 2248 D0F0 0000",
         {{TableId::ObjectDirectory, 10, Rule::AbsoluteLong}}},
        {"3038 FE10 E218 EC48 43F9 ???????? 3031 0000 43F1 0000",
         {{TableId::RingDirectory, 10, Rule::AbsoluteLong}}},
        {"D040 D040 3200 D040 D041 45F9 ????????", {{TableId::LevelArt, 12, Rule::AbsoluteLong}}},
        {"43F9 ???????? E748 D2C0 2459 3659", {{TableId::PalettePointers, 2, Rule::AbsoluteLong}}},
        {"D040 303B 00?? 6B00 ???? 0C40 4000", {{TableId::LevelList, 4, Rule::PcRelative}}},
        {"3038 FE10 E218 E848 41FB 00??", {{TableId::LevelSizes, 10, Rule::PcRelative}}},
        {"3038 FE10 E218 EA48 43FB 00??", {{TableId::StartPositions, 10, Rule::PcRelative}}},
        {"3F00 207B 00?? 43F8 ???? 6100 ???? 301F 207B 00??",
         {{TableId::CollisionPrimary, 4, Rule::PcRelative},
          {TableId::CollisionSecondary, 18, Rule::PcRelative}}},
        {"0440 0800 E218 EC48 0240 FFFE 43F9 ????????",
         {{TableId::WaterHeights, 14, Rule::AbsoluteLong}}},
        {"43F9 ???????? D040 3031 0000 43F1 0000",
         {{TableId::PatternLoadCues, 2, Rule::AbsoluteLong}}},
        {"45F9 ???????? D040 D4F2 0000 3C1A", {{TableId::DebugObjectLists, 2, Rule::AbsoluteLong}}},
    };
    return patterns;
}

std::vector<std::int16_t> parsePattern(std::string_view bytes) {
    std::vector<std::int16_t> pattern;
    std::string pair;
    for (const char c : bytes) {
        if (c == ' ') {
            continue;
        }
        pair += c;
        if (pair.size() == 2) {
            pattern.push_back(pair == "??"
                                  ? std::int16_t{-1}
                                  : static_cast<std::int16_t>(std::stoi(pair, nullptr, 16)));
            pair.clear();
        }
    }
    return pattern;
}

std::vector<std::int32_t> findPattern(ByteSpan rom, const std::vector<std::int16_t>& pattern) {
    return findPatterns(rom, {pattern}).front();
}

std::vector<std::vector<std::int32_t>> findPatterns(
    ByteSpan rom, const std::vector<std::vector<std::int16_t>>& patterns) {
    std::vector<std::vector<std::int32_t>> matches(patterns.size());
    std::vector<bool> searched(patterns.size(), false);
    for (std::size_t first = 0; first < patterns.size(); ++first) {
        if (searched[first] || patterns[first].empty() || patterns[first].front() < 0) {
            continue;
        }
        std::vector<std::size_t> group;
        for (std::size_t other = first; other < patterns.size(); ++other) {
            if (!patterns[other].empty() && patterns[other].front() == patterns[first].front()) {
                group.push_back(other);
                searched[other] = true;
            }
        }
        scanGroup(rom, patterns, group, matches);
    }
    return matches;
}

LocatedTables locateTables(ByteSpan rom) {
    std::vector<std::vector<std::int16_t>> parsed;
    for (const CodePattern& pattern : codePatterns()) {
        parsed.push_back(parsePattern(pattern.bytes));
    }
    const auto matches = findPatterns(rom, parsed);
    LocatedTables located;
    for (std::size_t i = 0; i < codePatterns().size(); ++i) {
        for (const CodeReference& reference : codePatterns()[i].references) {
            locateReference(rom, matches[i], reference, located);
        }
    }
    locateFixedPalette(rom, located);
    return located;
}

std::vector<std::optional<TableCode>> locateTableCode(ByteSpan rom,
                                                      std::span<const TableId> tables) {
    std::vector<const CodeReference*> references(tables.size(), nullptr);
    std::vector<std::vector<std::int16_t>> parsed(tables.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        for (const CodePattern& pattern : codePatterns()) {
            for (const CodeReference& reference : pattern.references) {
                if (reference.table == tables[i]) {
                    references[i] = &reference;
                    parsed[i] = parsePattern(pattern.bytes);
                }
            }
        }
    }
    const auto matches = findPatterns(rom, parsed);
    std::vector<std::optional<TableCode>> found(tables.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const auto agreed = references[i] != nullptr && !matches[i].empty()
                                ? agreedAddress(rom, matches[i], *references[i])
                                : std::nullopt;
        if (agreed) {
            found[i] = TableCode{*agreed,
                                 matches[i].front(),
                                 {},
                                 matches[i],
                                 static_cast<std::int32_t>(parsed[i].size())};
            for (const std::int32_t match : matches[i]) {
                found[i]->references.push_back(match + references[i]->at);
            }
        }
    }
    return found;
}

}  // namespace orvex
