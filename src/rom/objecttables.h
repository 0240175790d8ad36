#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

// The object tables the debug lists do not reach: mappings named only by an object's own code,
// the scenery table, the sub-object records and the signpost's art, each found through the
// instructions that name it.

namespace orvex {

inline constexpr std::int32_t kSceneryEntryBytes = 8;
inline constexpr std::int32_t kSubObjectBytes = 10;
inline constexpr std::int32_t kMaxLavaCups = 64;  // a chosen limit; the game's lists hold 8

// Where each table lies; empty when its code was not found or did not match exactly once.
struct ObjectTables {
    std::optional<std::int32_t> yellowSpringMappings;
    std::optional<std::int32_t> signpostMappings;
    std::optional<std::uint16_t> signpostArtTile;
    std::optional<std::uint8_t> signpostCueList;
    std::optional<std::int32_t> cogMappings;
    std::optional<std::int32_t> lavaCupMappings;
    std::optional<std::int32_t> lavaCupLists;
    std::optional<std::int32_t> bridgeLogMappings;
    std::optional<std::int32_t> scenery;     // 8 bytes per subtype
    std::optional<std::int32_t> subObjects;  // word offsets to 10-byte records
    friend bool operator==(const ObjectTables&, const ObjectTables&) = default;
};

// Looks for the code that names each table in `image`. Never fails: a table whose code does not
// match exactly once is left empty.
[[nodiscard]] ObjectTables locateObjectTables(ByteSpan image);

// The instruction bytes that name the tables ("??" any byte), for images made by code; each
// names its tables at the offsets the locator reads.
struct ObjectTableCode {
    const char* yellowSpring;
    const char* signpost;
    const char* signpostCueList;
    const char* cog;
    const char* lavaCup;
    const char* lavaCupLists;
    const char* bridgeLog;
    const char* scenery;
    const char* subObjects;
};
[[nodiscard]] const ObjectTableCode& objectTableCode();

// One picture record: mappings, the frame to show and the art word added to its pieces.
struct ObjectPicture {
    std::int32_t mappings = 0;
    std::uint8_t frame = 0;
    std::uint16_t artTile = 0;
    friend bool operator==(const ObjectPicture&, const ObjectPicture&) = default;
};

// Entry `subtype` of the scenery table: long frame << 24 | mappings, word art word, byte width,
// byte priority. FileRead when it lies past the image.
[[nodiscard]] Result<ObjectPicture> readSceneryEntry(ByteSpan image, std::int32_t table,
                                                     std::uint8_t subtype);

// The sub-object record `subtype` names: the subtype is a byte offset into the table's word
// offsets, each from the table to a record of long mappings, word art word, then render flags,
// priority, width and collision bytes. The frame is 0. FileRead when the offset or the record
// lies past the image.
[[nodiscard]] Result<ObjectPicture> readSubObject(ByteSpan image, std::int32_t table,
                                                  std::uint8_t subtype);

// One cup of a lava cup list, relative to the spawner.
struct CupPlace {
    std::int16_t dx = 0;
    std::int16_t dy = 0;
    friend bool operator==(const CupPlace&, const CupPlace&) = default;
};

// List `list` of the cup lists: a word offset per list from the table, then a word count - 1 and
// per cup the words dx, dy and cup subtype, at most kMaxLavaCups of them. FileRead when the list
// lies past the image.
[[nodiscard]] Result<std::vector<CupPlace>> readLavaCups(ByteSpan image, std::int32_t table,
                                                         std::uint8_t list);

}  // namespace orvex
