#include "rom/placementmove.h"

#include <algorithm>
#include <array>
#include <string>

#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/codepatterns.h"

namespace orvex {

namespace {

constexpr std::int32_t kDirectoryWords = kPlacementDirectorySize / 2;
constexpr DirectoryWording kPlacementWording{"a moved placement directory",
                                             "object and ring lists"};

// The shape of one area: directory, empty list, 20 rooms.
struct Area {
    std::int32_t lead;       // bytes of the marker before a list's first entry
    std::int32_t emptySize;  // bytes of the empty list
    std::int32_t roomSize;

    // The empty list's word: for objects its second marker, the first being the lead.
    [[nodiscard]] constexpr std::int32_t emptyWord() const {
        return kPlacementDirectorySize + lead;
    }
    [[nodiscard]] constexpr std::int32_t roomAt(std::int32_t level) const {
        return kPlacementDirectorySize + emptySize + roomSize * level;
    }
    [[nodiscard]] constexpr std::int32_t roomWord(std::int32_t level) const {
        return roomAt(level) + lead;
    }
    [[nodiscard]] constexpr std::int32_t size() const { return roomAt(kLevelCount); }
};

constexpr Area kObjectArea{kObjectBytes, 2 * kObjectBytes, kObjectRoomSize};
constexpr Area kRingArea{0, 2, kRingRoomSize};

// The game sign-extends directory words: every one must stay below 32768.
static_assert(kObjectArea.emptyWord() == 74 && kRingArea.emptyWord() == 68);
static_assert(kObjectArea.roomWord(kLevelCount - 1) < 0x8000);
static_assert(kRingArea.roomWord(kLevelCount - 1) < 0x8000);
static_assert(kObjectArea.size() % 2 == 0 && kRingArea.size() % 2 == 0);

constexpr const Area& areaOf(PlacementList kind) {
    return kind == PlacementList::Objects ? kObjectArea : kRingArea;
}

Result<std::vector<std::int32_t>> directoryOperands(const std::optional<TableCode>& code,
                                                    std::optional<std::int32_t> directory,
                                                    TableId table) {
    const std::string name(tableName(table));
    if (!directory || !code) {
        return makeError(ErrorCode::NotARom, "The code that names the " + name +
                                                 " was not found, so its lists cannot be moved");
    }
    if (code->offset != *directory) {
        return makeError(ErrorCode::NotARom,
                         "The code names the " + name + " at " + hexOffset(code->offset) +
                             ", but its lists were read from " + hexOffset(*directory) +
                             ", so they cannot be moved",
                         code->codeAt);
    }
    return code->references;
}

// Every level's lists, as bytes with their markers.
struct LevelLists {
    std::array<std::vector<std::uint8_t>, kLevelCount> objects;
    std::array<std::vector<std::uint8_t>, kLevelCount> rings;
};

Status checkCount(std::size_t count, std::int16_t level, PlacementList kind) {
    if (count <= static_cast<std::size_t>(kMaxMovedListEntries)) {
        return {};
    }
    const bool objects = kind == PlacementList::Objects;
    return makeError(ErrorCode::NoRoom,
                     "The " + std::string(objects ? "object" : "ring") + " list of " +
                         levelName(level) + " has " + std::to_string(count) +
                         (objects ? " objects" : " ring groups") + "; a moved list holds at most " +
                         std::to_string(kMaxMovedListEntries));
}

// One act's list as bytes with its markers: the replacement when the act is the replaced one,
// else what the image holds, read by `read` from where `directory` says.
template <typename Item, typename Read, typename Bytes>
Result<std::vector<std::uint8_t>> listBytes(ByteSpan image, std::int32_t directory,
                                            std::int16_t level, ZoneAct act,
                                            const MovedActLists& replaced,
                                            const std::optional<std::vector<Item>>& replacement,
                                            PlacementList kind, Read read, Bytes bytes) {
    std::vector<Item> items;
    if (replacement && act.zone == replaced.act.zone && act.act == replaced.act.act) {
        items = *replacement;
    } else {
        auto start = placementListAddress(image, directory, act);
        auto found = start ? read(image, *start) : Result<std::vector<Item>>(start.error());
        if (!found) {
            return found.error();
        }
        items = std::move(*found);
    }
    if (Status count = checkCount(items.size(), level, kind); !count) {
        return count.error();
    }
    return bytes(std::move(items));
}

Result<std::vector<std::uint8_t>> objectBytes(ByteSpan image, const RomProfile& profile,
                                              std::int16_t level, ZoneAct act,
                                              const MovedActLists& replaced) {
    return listBytes(
        image, *profile.objectDirectory, level, act, replaced, replaced.objects,
        PlacementList::Objects, readObjectList,
        [](std::vector<ObjectPlacement> items) { return objectListBytes(std::move(items)); });
}

Result<std::vector<std::uint8_t>> ringBytes(ByteSpan image, const RomProfile& profile,
                                            std::int16_t level, ZoneAct act,
                                            const MovedActLists& replaced) {
    return listBytes(image, *profile.ringDirectory, level, act, replaced, replaced.rings,
                     PlacementList::Rings, readRingList,
                     [](const std::vector<RingGroup>& items) { return ringListBytes(items); });
}

// The lists of every level; the level of `replaced.act` in `replacedLevel`.
Result<LevelLists> readLevelLists(ByteSpan image, const RomProfile& profile,
                                  const MovedActLists& replaced, std::int16_t& replacedLevel) {
    LevelLists lists;
    replacedLevel = -1;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto act = levelZoneAct(image, profile, level);
        if (!act) {
            return act.error();
        }
        if (act->zone == replaced.act.zone && act->act == replaced.act.act) {
            replacedLevel = level;
        }
        auto objects = objectBytes(image, profile, level, *act, replaced);
        auto rings = objects ? ringBytes(image, profile, level, *act, replaced)
                             : Result<std::vector<std::uint8_t>>(objects.error());
        if (!rings) {
            return rings.error();
        }
        lists.objects[static_cast<std::size_t>(level)] = std::move(*objects);
        lists.rings[static_cast<std::size_t>(level)] = std::move(*rings);
    }
    if (replacedLevel < 0) {
        return makeError(ErrorCode::OutOfRange, "No level of the level list is zone " +
                                                    std::to_string(replaced.act.zone) + " act " +
                                                    std::to_string(replaced.act.act) +
                                                    ", whose lists were to be moved");
    }
    return lists;
}

void copyTo(std::vector<std::uint8_t>& image, std::size_t at,
            const std::vector<std::uint8_t>& from) {
    std::copy(from.begin(), from.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

// One area at `at` (zeros already): the directory, the empty list, the rooms.
void writeArea(std::vector<std::uint8_t>& image, std::size_t at, const Area& area,
               const std::vector<std::int32_t>& words,
               const std::array<std::vector<std::uint8_t>, kLevelCount>& lists,
               const std::vector<std::uint8_t>& empty) {
    for (std::int32_t word = 0; word < kDirectoryWords; ++word) {
        putWord(image, at + 2u * static_cast<std::size_t>(word),
                static_cast<std::uint16_t>(area.emptyWord()));
    }
    copyTo(image, at + kPlacementDirectorySize, empty);
    for (std::int32_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        putWord(image, at + 2u * static_cast<std::size_t>(words[l]),
                static_cast<std::uint16_t>(area.roomWord(level)));
        copyTo(image, at + static_cast<std::size_t>(area.roomAt(level)), lists[l]);
    }
}

Error pastCartridge(std::size_t end, std::size_t size) {
    return makeError(ErrorCode::NoRoom,
                     "The moved object and ring lists would end at " + std::to_string(end) +
                         " bytes, past the 4 MiB (" + std::to_string(kCartridgeSpace) +
                         " bytes) a Mega Drive cartridge can address; the image is already " +
                         std::to_string(size) + " bytes. Nothing was written");
}

void repoint(std::vector<std::uint8_t>& image, const std::vector<std::int32_t>& operands,
             std::size_t directory) {
    for (const std::int32_t operand : operands) {
        putLong(image, static_cast<std::size_t>(operand), static_cast<std::uint32_t>(directory));
    }
}

}  // namespace

Result<PlacementOperands> placementOperands(ByteSpan image, const RomProfile& profile) {
    constexpr std::array kDirectories{TableId::ObjectDirectory, TableId::RingDirectory};
    const auto codes = locateTableCode(image, kDirectories);
    auto objects = directoryOperands(codes[0], profile.objectDirectory, kDirectories[0]);
    if (!objects) {
        return objects.error();
    }
    auto rings = directoryOperands(codes[1], profile.ringDirectory, kDirectories[1]);
    if (!rings) {
        return rings.error();
    }
    return PlacementOperands{std::move(*objects), std::move(*rings)};
}

Result<MovedPlacements> movePlacementLists(ByteSpan image, const RomProfile& profile,
                                           const MovedActLists& replaced) {
    auto operands = placementOperands(image, profile);
    auto words = operands ? levelWordIndices(image, profile, kPlacementWording)
                          : Result<std::vector<std::int32_t>>(operands.error());
    if (!words) {
        return words.error();
    }
    std::int16_t level = -1;
    auto lists = readLevelLists(image, profile, replaced, level);
    if (!lists) {
        return lists.error();
    }
    const std::size_t objectsAt = appendOffset(image, profile.header);
    const std::size_t ringsAt = objectsAt + static_cast<std::size_t>(kObjectArea.size());
    const std::size_t end = ringsAt + static_cast<std::size_t>(kRingArea.size());
    if (static_cast<std::int64_t>(end) > kCartridgeSpace) {
        return pastCartridge(end, image.size());
    }
    MovedPlacements moved{
        std::vector<std::uint8_t>(image.begin(), image.end()),
        {static_cast<std::int32_t>(objectsAt), static_cast<std::int32_t>(ringsAt)},
        {},
        {}};
    moved.image.resize(std::max(moved.image.size(), end));
    std::fill(moved.image.begin() + static_cast<std::ptrdiff_t>(objectsAt),
              moved.image.begin() + static_cast<std::ptrdiff_t>(end), 0x00);
    writeArea(moved.image, objectsAt, kObjectArea, *words, lists->objects, objectListBytes({}));
    writeArea(moved.image, ringsAt, kRingArea, *words, lists->rings, ringListBytes({}));
    repoint(moved.image, operands->objects, objectsAt);
    repoint(moved.image, operands->rings, ringsAt);
    const auto l = static_cast<std::size_t>(level);
    moved.objects = {moved.directories.objects + kObjectArea.roomAt(level),
                     static_cast<std::int32_t>(lists->objects[l].size())};
    moved.rings = {moved.directories.rings + kRingArea.roomAt(level),
                   static_cast<std::int32_t>(lists->rings[l].size())};
    if (Status header = finishHeader(moved.image, profile.header); !header) {
        return header.error();
    }
    return moved;
}

std::optional<std::int64_t> movedListRoom(ByteSpan image, std::int32_t directory,
                                          PlacementList kind, std::int32_t list) {
    const Area& area = areaOf(kind);
    if (!fitsIn(image.size(), directory, area.size())) {
        return std::nullopt;
    }
    const auto isRoomWord = [&area](std::int32_t word) {
        const std::int32_t inRooms = word - area.roomWord(0);
        return inRooms >= 0 && inRooms % area.roomSize == 0 &&
               inRooms / area.roomSize < kLevelCount;
    };
    for (std::int32_t index = 0; index < kDirectoryWords; ++index) {
        const std::int32_t word = *readWord(image, std::int64_t{directory} + 2 * index);
        if (word != area.emptyWord() && !isRoomWord(word)) {
            return std::nullopt;
        }
    }
    if (!isRoomWord(list - directory)) {
        return std::nullopt;
    }
    return area.roomSize;
}

}  // namespace orvex
