#include "rom/placementmove.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string>

#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/codepatterns.h"
#include "rom/romcheck.h"

namespace orvex {

namespace {

constexpr std::int32_t kDirectoryWords = kPlacementDirectorySize / 2;
constexpr DirectoryWording kPlacementWording{"a moved placement directory",
                                             "object and ring lists"};
constexpr std::int32_t kWordReachBack = 0x8000;  // a word of $8000 reads as -32768
constexpr std::int32_t kWordReachAhead = 0x7FFF;

// Where one area's parts lie, counted from the area's first byte: the rooms of levels below
// `before`, the directory, the other rooms, the empty list.
struct AreaPlan {
    std::int32_t lead = 0;  // bytes of the marker before a list's first entry
    std::int32_t emptyBytes = 0;
    std::int32_t before = 0;
    std::array<std::int32_t, kLevelCount> roomBytes{};

    [[nodiscard]] std::int32_t directoryAt() const {
        return std::accumulate(roomBytes.begin(), roomBytes.begin() + before, 0);
    }
    [[nodiscard]] std::int32_t roomAt(std::int32_t level) const {
        const auto first = roomBytes.begin() + (level < before ? 0 : before);
        const std::int32_t base = level < before ? 0 : directoryAt() + kPlacementDirectorySize;
        return base + std::accumulate(first, roomBytes.begin() + level, 0);
    }
    [[nodiscard]] std::int32_t emptyAt() const { return roomAt(kLevelCount); }
    [[nodiscard]] std::int32_t size() const { return emptyAt() + emptyBytes; }
    // Directory words: where a list's first entry lies, from the directory.
    [[nodiscard]] std::int32_t roomWord(std::int32_t level) const {
        return roomAt(level) + lead - directoryAt();
    }
    // The empty list's word names its second marker (for objects) or its $FFFF.
    [[nodiscard]] std::int32_t emptyWord() const { return emptyAt() + lead - directoryAt(); }
    [[nodiscard]] bool inReach() const {
        return roomWord(0) >= -kWordReachBack && emptyWord() <= kWordReachAhead;
    }
};

// The rooms split around the directory at the first split that keeps every word in reach.
Result<AreaPlan> planArea(AreaPlan plan, PlacementList kind) {
    for (plan.before = 0; plan.before <= kLevelCount; ++plan.before) {
        if (plan.inReach()) {
            return plan;
        }
    }
    const std::int64_t rooms =
        std::accumulate(plan.roomBytes.begin(), plan.roomBytes.end(), std::int64_t{0});
    const bool objects = kind == PlacementList::Objects;
    return makeError(ErrorCode::NoRoom,
                     "The moved " + std::string(objects ? "object" : "ring") + " lists need " +
                         std::to_string(rooms) +
                         " bytes of rooms, but a directory word reaches only " +
                         std::to_string(kWordReachBack) + " bytes before its directory and " +
                         std::to_string(kWordReachAhead) + " after it. Nothing was written");
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

// Every level's lists, as bytes with their markers, and how many entries each has.
struct LevelLists {
    std::array<std::vector<std::uint8_t>, kLevelCount> bytes;
    std::array<std::size_t, kLevelCount> entries{};
};

// One act's list: the replacement when the act is the replaced one, else what the image holds,
// read by `read` from where `directory` says.
template <typename Item, typename Read, typename Bytes>
Status takeList(ByteSpan image, std::int32_t directory, ZoneAct act, const MovedActLists& replaced,
                const std::optional<std::vector<Item>>& replacement, Read read, Bytes bytes,
                LevelLists& lists, std::size_t level) {
    std::vector<Item> items;
    if (replacement && act == replaced.act) {
        items = *replacement;
    } else {
        auto start = placementListAddress(image, directory, act);
        auto found = start ? read(image, *start) : Result<std::vector<Item>>(start.error());
        if (!found) {
            return found.error();
        }
        items = std::move(*found);
    }
    lists.entries[level] = items.size();
    lists.bytes[level] = bytes(std::move(items));
    return {};
}

struct MovedLists {
    LevelLists objects;
    LevelLists rings;
    std::int16_t replacedLevel = -1;
};

// The lists of every level; the level of `replaced.act` in `replacedLevel`.
Result<MovedLists> readLevelLists(ByteSpan image, const RomProfile& profile,
                                  const MovedActLists& replaced) {
    MovedLists lists;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto act = levelZoneAct(image, profile, level);
        if (!act) {
            return act.error();
        }
        if (*act == replaced.act) {
            lists.replacedLevel = level;
        }
        const auto l = static_cast<std::size_t>(level);
        Status objects = takeList(
            image, *profile.objectDirectory, *act, replaced, replaced.objects, readObjectList,
            [](std::vector<ObjectPlacement> items) { return objectListBytes(std::move(items)); },
            lists.objects, l);
        Status rings =
            objects
                ? takeList(
                      image, *profile.ringDirectory, *act, replaced, replaced.rings, readRingList,
                      [](const std::vector<RingGroup>& items) { return ringListBytes(items); },
                      lists.rings, l)
                : objects;
        if (!rings) {
            return rings.error();
        }
    }
    if (lists.replacedLevel < 0) {
        return makeError(ErrorCode::OutOfRange, "No level of the level list is zone " +
                                                    std::to_string(replaced.act.zone) + " act " +
                                                    std::to_string(replaced.act.act) +
                                                    ", whose lists were to be moved");
    }
    return lists;
}

// Each level's room: its list's entries, twice over and at least `fewest`, with the markers.
AreaPlan roomsFor(const LevelLists& lists, PlacementList kind) {
    const bool objects = kind == PlacementList::Objects;
    AreaPlan plan;
    plan.lead = objects ? kObjectMarkerBytes : 0;
    plan.emptyBytes = objects ? 2 * kObjectMarkerBytes : 2;
    const std::size_t fewest = objects ? kMovedObjectRoom : kMovedRingRoom;
    for (std::size_t level = 0; level < lists.entries.size(); ++level) {
        // Lists are read from at most 8 MiB, so twice their entries stays far inside int32.
        const auto entries = static_cast<std::int32_t>(std::max(fewest, 2 * lists.entries[level]));
        plan.roomBytes[level] =
            objects ? (entries + 2) * kObjectBytes : entries * kRingGroupBytes + 2;
    }
    return plan;
}

void copyTo(std::vector<std::uint8_t>& image, std::size_t at,
            const std::vector<std::uint8_t>& from) {
    std::copy(from.begin(), from.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

// One area at `at` (zeros already): the rooms, the directory, the empty list.
void writeArea(std::vector<std::uint8_t>& image, std::size_t at, const AreaPlan& plan,
               const std::vector<std::int32_t>& words, const LevelLists& lists,
               const std::vector<std::uint8_t>& empty) {
    const std::size_t directory = at + static_cast<std::size_t>(plan.directoryAt());
    for (std::int32_t word = 0; word < kDirectoryWords; ++word) {
        putWord(image, directory + 2u * static_cast<std::size_t>(word),
                static_cast<std::uint16_t>(plan.emptyWord()));
    }
    copyTo(image, at + static_cast<std::size_t>(plan.emptyAt()), empty);
    for (std::int32_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        putWord(image, directory + 2u * static_cast<std::size_t>(words[l]),
                static_cast<std::uint16_t>(plan.roomWord(level)));
        copyTo(image, at + static_cast<std::size_t>(plan.roomAt(level)), lists.bytes[l]);
    }
}

Error pastCartridge(std::size_t end, std::size_t size) {
    return makeError(ErrorCode::NoRoom,
                     "The moved object and ring lists would end at " + std::to_string(end) +
                         " bytes, past the 4 MiB (" + std::to_string(kCartridgeSpace) +
                         " bytes) a Mega Drive cartridge can address; the image is already " +
                         std::to_string(size) + " bytes. Nothing was written");
}

// The replaced act's list in the moved image, with the room a save may fill.
ImageSpan movedSpan(ByteSpan image, std::int32_t directory, PlacementList kind, std::size_t at,
                    const std::vector<std::uint8_t>& bytes) {
    const auto offset = static_cast<std::int32_t>(at);
    const std::int32_t lead = kind == PlacementList::Objects ? kObjectMarkerBytes : 0;
    const ListPlace place = placementListPlace(image, directory, kind, offset + lead);
    const auto size = static_cast<std::int32_t>(bytes.size());
    return {offset, size, place.room.value_or(size)};
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
    auto lists = readLevelLists(image, profile, replaced);
    if (!lists) {
        return lists.error();
    }
    auto objectPlan =
        planArea(roomsFor(lists->objects, PlacementList::Objects), PlacementList::Objects);
    auto ringPlan =
        objectPlan ? planArea(roomsFor(lists->rings, PlacementList::Rings), PlacementList::Rings)
                   : objectPlan;
    if (!ringPlan) {
        return ringPlan.error();
    }
    const std::size_t objectsAt = moveOffset(image, profile);
    const std::size_t ringsAt = objectsAt + static_cast<std::size_t>(objectPlan->size());
    const std::size_t end = ringsAt + static_cast<std::size_t>(ringPlan->size());
    if (static_cast<std::int64_t>(end) > kCartridgeSpace) {
        return pastCartridge(end, image.size());
    }
    MovedPlacements moved{std::vector<std::uint8_t>(image.begin(), image.end()),
                          {static_cast<std::int32_t>(objectsAt) + objectPlan->directoryAt(),
                           static_cast<std::int32_t>(ringsAt) + ringPlan->directoryAt()},
                          {},
                          {}};
    moved.image.resize(std::max(moved.image.size(), end));
    std::fill(moved.image.begin() + static_cast<std::ptrdiff_t>(objectsAt),
              moved.image.begin() + static_cast<std::ptrdiff_t>(end), 0x00);
    writeArea(moved.image, objectsAt, *objectPlan, *words, lists->objects, objectListBytes({}));
    writeArea(moved.image, ringsAt, *ringPlan, *words, lists->rings, ringListBytes({}));
    repoint(moved.image, operands->objects, static_cast<std::size_t>(moved.directories.objects));
    repoint(moved.image, operands->rings, static_cast<std::size_t>(moved.directories.rings));
    coverData(moved.image, profile.header, end);
    const std::int16_t level = lists->replacedLevel;
    moved.objects = movedSpan(moved.image, moved.directories.objects, PlacementList::Objects,
                              objectsAt + static_cast<std::size_t>(objectPlan->roomAt(level)),
                              lists->objects.bytes[static_cast<std::size_t>(level)]);
    moved.rings = movedSpan(moved.image, moved.directories.rings, PlacementList::Rings,
                            ringsAt + static_cast<std::size_t>(ringPlan->roomAt(level)),
                            lists->rings.bytes[static_cast<std::size_t>(level)]);
    if (Status header = finishHeader(moved.image, profile.header); !header) {
        return header.error();
    }
    return moved;
}

std::size_t moveOffset(ByteSpan image, const RomProfile& profile) {
    std::size_t at = appendOffset(image, profile.header);
    if (layoutsMigrated(image, profile)) {
        if (auto last = layoutAddress(image, profile, kLevelCount - 1)) {
            at = std::max(at, static_cast<std::size_t>(*last) + kLayoutSlotSize);
        }
    }
    return (at + 1) & ~std::size_t{1};
}

}  // namespace orvex
