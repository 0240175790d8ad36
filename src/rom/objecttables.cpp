#include "rom/objecttables.h"

#include <algorithm>
#include <array>

#include "rom/codepatterns.h"

namespace orvex {

namespace {

constexpr std::int32_t kAddressMask = 0x00FFFFFF;

constexpr ObjectTableCode kCode{
    .yellowSpring = "08E8 0005 0002 217C ???????? 0004",
    .signpost = "217C ???????? 0004 317C 0434 0002",
    .signpostCueList = "4A78 FFD8 66?? 7027 6000",
    .cog = "237C ???????? 0004 337C 655F 0002",
    .lavaCup = "217C ???????? 0004 317C 63F9 0002",
    .lavaCupLists = "45F9 ???????? D4F2 0000 321A",
    .bridgeLog = "217C ???????? 0004 317C 43B6 0002",
    .scenery = "3200 E748 43FA ???? 43F1 0000",
    .subObjects = "7000 1028 0028 303B 00?? 43FB 00?? 2159 0004",
};

enum Pattern : std::size_t {
    kYellowSpring,
    kSignpost,
    kSignpostCueList,
    kCog,
    kLavaCup,
    kLavaCupLists,
    kBridgeLog,
    kScenery,
    kSubObjects,
    kPatternCount,
};

std::optional<std::int32_t> longAt(ByteSpan image, std::int64_t at) {
    auto value = readLong(image, at);
    return value ? std::optional<std::int32_t>(*value & kAddressMask) : std::nullopt;
}

// The 68000 adds a displacement to the address of its extension word.
std::optional<std::int32_t> wordRelative(ByteSpan image, std::int64_t at) {
    auto value = readWord(image, at);
    return value ? std::optional<std::int32_t>(
                       static_cast<std::int32_t>(at + static_cast<std::int16_t>(*value)))
                 : std::nullopt;
}

std::optional<std::int32_t> byteRelative(ByteSpan image, std::int64_t word) {
    auto value = readByte(image, word + 1);
    return value ? std::optional<std::int32_t>(
                       static_cast<std::int32_t>(word + static_cast<std::int8_t>(*value)))
                 : std::nullopt;
}

}  // namespace

const ObjectTableCode& objectTableCode() {
    return kCode;
}

ObjectTables locateObjectTables(ByteSpan image) {
    const std::array<const char*, kPatternCount> texts{
        kCode.yellowSpring, kCode.signpost,  kCode.signpostCueList, kCode.cog,        kCode.lavaCup,
        kCode.lavaCupLists, kCode.bridgeLog, kCode.scenery,         kCode.subObjects,
    };
    std::vector<std::vector<std::int16_t>> patterns;
    for (const char* text : texts) {
        patterns.push_back(parsePattern(text));
    }
    const auto matches = findPatterns(image, patterns);
    // Only a pattern that matches exactly once names its table for certain.
    const auto once = [&matches](Pattern pattern) -> std::optional<std::int32_t> {
        const auto& found = matches[pattern];
        return found.size() == 1 ? std::optional<std::int32_t>(found.front()) : std::nullopt;
    };
    ObjectTables tables;
    if (const auto at = once(kYellowSpring)) {
        tables.yellowSpringMappings = longAt(image, *at + 8);
    }
    if (const auto at = once(kSignpost)) {
        tables.signpostMappings = longAt(image, *at + 2);
        if (auto art = readWord(image, *at + 10)) {
            tables.signpostArtTile = *art;
        }
    }
    if (const auto at = once(kSignpostCueList)) {
        if (auto list = readByte(image, *at + 7)) {
            tables.signpostCueList = *list;
        }
    }
    if (const auto at = once(kCog)) {
        tables.cogMappings = longAt(image, *at + 2);
    }
    if (const auto at = once(kLavaCup)) {
        tables.lavaCupMappings = longAt(image, *at + 2);
    }
    if (const auto at = once(kLavaCupLists)) {
        tables.lavaCupLists = longAt(image, *at + 2);
    }
    if (const auto at = once(kBridgeLog)) {
        tables.bridgeLogMappings = longAt(image, *at + 2);
    }
    if (const auto at = once(kScenery)) {
        tables.scenery = wordRelative(image, *at + 6);
    }
    if (const auto at = once(kSubObjects)) {
        tables.subObjects = byteRelative(image, *at + 8);
    }
    return tables;
}

Result<ObjectPicture> readSceneryEntry(ByteSpan image, std::int32_t table, std::uint8_t subtype) {
    const std::int64_t at = std::int64_t{table} + std::int64_t{kSceneryEntryBytes} * subtype;
    auto first = readLong(image, at);
    auto art = readWord(image, at + 4);
    if (!first || !art) {
        return makeError(ErrorCode::FileRead, "scenery entry past the image's end", at);
    }
    const auto value = static_cast<std::uint32_t>(*first);
    return ObjectPicture{static_cast<std::int32_t>(value & kAddressMask),
                         static_cast<std::uint8_t>(value >> 24), *art};
}

Result<ObjectPicture> readSubObject(ByteSpan image, std::int32_t table, std::uint8_t subtype) {
    auto offset = readWord(image, std::int64_t{table} + subtype);
    if (!offset) {
        return makeError(ErrorCode::FileRead, "sub-object offset past the image's end",
                         std::int64_t{table} + subtype);
    }
    const std::int64_t at = std::int64_t{table} + static_cast<std::int16_t>(*offset);
    auto mappings = longAt(image, at);
    auto art = readWord(image, at + 4);
    if (!mappings || !art || !readByte(image, at + kSubObjectBytes - 1)) {
        return makeError(ErrorCode::FileRead, "sub-object record past the image's end", at);
    }
    return ObjectPicture{*mappings, 0, *art};
}

Result<std::vector<CupPlace>> readLavaCups(ByteSpan image, std::int32_t table, std::uint8_t list) {
    auto offset = readWord(image, std::int64_t{table} + 2 * std::int64_t{list});
    if (!offset) {
        return makeError(ErrorCode::FileRead, "cup list offset past the image's end",
                         std::int64_t{table} + 2 * std::int64_t{list});
    }
    const std::int64_t at = std::int64_t{table} + static_cast<std::int16_t>(*offset);
    auto count = readWord(image, at);
    if (!count) {
        return makeError(ErrorCode::FileRead, "cup list past the image's end", at);
    }
    const std::int32_t cups = std::min(static_cast<std::int16_t>(*count) + 1, kMaxLavaCups);
    std::vector<CupPlace> places;
    for (std::int32_t i = 0; i < cups; ++i) {
        auto dx = readWord(image, at + 2 + 6 * i);
        auto dy = readWord(image, at + 4 + 6 * i);
        if (!dx || !dy) {
            return makeError(ErrorCode::FileRead, "cup list past the image's end", at);
        }
        places.push_back({static_cast<std::int16_t>(*dx), static_cast<std::int16_t>(*dy)});
    }
    return places;
}

}  // namespace orvex
