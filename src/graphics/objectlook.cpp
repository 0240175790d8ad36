#include "graphics/objectlook.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "rom/objectids.h"
#include "rom/objectmeaning.h"
#include "rom/objectoutline.h"
#include "rom/zones.h"

namespace orvex {

namespace {

constexpr std::uint16_t kPriorityBit = 0x8000;
constexpr std::uint16_t kPaletteLine1 = 0x2000;

using Sources = LookSources;
using Placement = ObjectPlacement;

ObjectLook notCovered() {
    return {};
}

ObjectLook hidden() {
    return {LookKind::Hidden, {}};
}

ObjectLook drawn(std::vector<LookPart> parts) {
    return {LookKind::Drawn, std::move(parts)};
}

// One part at the placement's point, mirrored as placed when `flipsShown`.
ObjectLook single(std::int32_t mappings, std::uint8_t frame, std::uint16_t art,
                  const Placement& object, bool flipsShown) {
    return drawn(
        {{mappings, frame, art, 0, 0, flipsShown && object.xFlip, flipsShown && object.yFlip}});
}

// The mappings the zone's debug list names for `id`: its first entry with the id.
std::optional<std::int32_t> debugMappings(const Sources& sources, std::uint8_t id) {
    const auto found = std::find_if(sources.debugList.begin(), sources.debugList.end(),
                                    [id](const DebugEntry& entry) { return entry.id == id; });
    return found == sources.debugList.end() ? std::nullopt
                                            : std::optional<std::int32_t>(found->mappings);
}

// A type drawn from its debug list's mappings with a frame and art word of its own code.
ObjectLook fromDebug(const Sources& sources, const Placement& object, std::uint8_t frame,
                     std::uint16_t art, bool flipsShown) {
    const auto mappings = debugMappings(sources, object.id);
    return mappings ? single(*mappings, frame, art, object, flipsShown) : notCovered();
}

ObjectLook shifted(ObjectLook look, std::int32_t dx, std::int32_t dy) {
    for (LookPart& part : look.parts) {
        part.dx += dx;
        part.dy += dy;
    }
    return look;
}

// The monitor's picture of its contents: frame subtype + 1; 0 shows static, $A the broken one.
ObjectLook monitor(const Sources& sources, const Placement& object) {
    if (object.subtype > 0x0A) {
        return notCovered();
    }
    const auto frame = static_cast<std::uint8_t>(object.subtype == 0 ? 0 : object.subtype + 1);
    return fromDebug(sources, object, frame, 0x0680, true);
}

ObjectLook spikes(const Sources& sources, const Placement& object) {
    const auto frame = static_cast<std::uint8_t>(object.subtype >> 4);
    if (frame > 7) {
        return notCovered();
    }
    return fromDebug(sources, object, frame, frame < 4 ? 0x2434 : 0x242C, true);
}

// Direction (subtype bits 4-6): up, sideways, down, diagonal up, diagonal down. Down springs
// are drawn upside down; subtype bit 1 makes a yellow spring, with mappings of its own and the
// art on palette line 1.
ObjectLook spring(const Sources& sources, const Placement& object) {
    struct Direction {
        std::uint8_t frame;
        std::uint16_t art;
        bool upsideDown;
    };
    constexpr Direction kDirections[] = {
        {0, 0x045C, false}, {3, 0x0470, false}, {0, 0x045C, true},
        {7, 0x043C, false}, {7, 0x043C, true},
    };
    const std::size_t d = (object.subtype >> 4) & 7;
    if (d >= std::size(kDirections)) {
        return notCovered();
    }
    const bool yellow = (object.subtype & 2) != 0;
    const auto mappings =
        yellow ? sources.tables.yellowSpringMappings : debugMappings(sources, object.id);
    if (!mappings) {
        return notCovered();
    }
    const Direction& direction = kDirections[d];
    const auto art = static_cast<std::uint16_t>(direction.art | (yellow ? kPaletteLine1 : 0));
    return drawn({{*mappings, direction.frame, art, 0, 0, object.xFlip,
                   object.yFlip || direction.upsideDown}});
}

constexpr std::uint8_t kLastScenerySubtype = 0x14;

ObjectLook scenery(const Sources& sources, const Placement& object) {
    if (!sources.tables.scenery || object.subtype > kLastScenerySubtype) {
        return notCovered();
    }
    auto entry = readSceneryEntry(sources.image, *sources.tables.scenery, object.subtype);
    return entry ? single(entry->mappings, entry->frame, entry->artTile, object, true)
                 : notCovered();
}

// A cog in the wall behind a long platform, or one placed on its own.
LookPart cog(std::int32_t mappings, std::int32_t dx, std::int32_t dy, bool xFlip) {
    return {mappings, 0, 0x655F, dx, dy, xFlip, false};
}

// Where a long platform starts for movement type t, or nothing for a type without a rule.
std::optional<std::int32_t> longPlatformStart(std::int32_t t, bool wallCog, bool xFlip) {
    if (wallCog && t == 7) {
        return xFlip ? 0 : -0x80;
    }
    switch (t) {
        case 0:
        case 4:
            return 0;
        case 1:
        case 2:
        case 6:
            return xFlip ? -0x80 : 0;
        case 3:
            return xFlip ? -0x40 : 0;
        default:
            return std::nullopt;
    }
}

ObjectLook longPlatform(const Sources& sources, const Placement& object) {
    const std::int32_t p = (object.subtype >> 4) & 7;
    const bool wallCog = (object.subtype & 0x80) != 0;
    if (p == 2) {
        const auto& cogs = sources.tables.cogMappings;
        return cogs ? drawn({cog(*cogs, 0, 0, object.xFlip)}) : notCovered();
    }
    if ((p != 0 && p != 1 && p != 3) || (wallCog && p == 1)) {
        return notCovered();
    }
    const std::int32_t t = wallCog ? (p == 0 ? 1 : 7) : object.subtype & 0x0F;
    const auto start = longPlatformStart(t, wallCog, object.xFlip);
    const auto mappings = debugMappings(sources, object.id);
    if (!start || !mappings || (wallCog && !sources.tables.cogMappings)) {
        return notCovered();
    }
    std::vector<LookPart> parts{
        {*mappings, static_cast<std::uint8_t>(p), 0x6000, *start, 0, object.xFlip, object.yFlip}};
    if (wallCog) {
        parts.push_back(
            cog(*sources.tables.cogMappings, object.xFlip ? -0x4C : -0x34, 0x14, !object.xFlip));
    }
    return drawn(std::move(parts));
}

ObjectLook collapsingPlatform(const Sources& sources, const Placement& object) {
    std::uint16_t art = 0x42B8;
    switch (sources.act.zone) {
        case kOilOcean:
            art = 0x639D;
            break;
        case kMysticCave:
            art = 0x63F4;
            break;
        case kAquaticRuin:
            art = 0x4000;
            break;
        default:
            break;
    }
    return fromDebug(sources, object, 0, art, true);
}

// Start offsets of the floating platform for movement type t; the angle is 0 at start.
std::optional<std::pair<std::int32_t, std::int32_t>> floatingStart(std::int32_t t) {
    switch (t) {
        case 0:
        case 3:
        case 9:
            return std::pair(0, 0);
        case 1:
            return std::pair(-0x40, 0);
        case 5:
            return std::pair(0x40, 0);
        case 2:
            return std::pair(0, -0x40);
        case 6:
            return std::pair(0, 0x40);
        case 0x0A:
            return std::pair(0, -0x20);
        case 0x0B:
            return std::pair(0, 0x20);
        case 0x0C:
            return std::pair(0, -0x30);
        case 0x0D:
            return std::pair(0, 0x30);
        default:
            return std::nullopt;
    }
}

ObjectLook floatingPlatform(const Sources& sources, const Placement& object) {
    const auto frame = static_cast<std::uint8_t>((object.subtype >> 4) & 7);
    const auto start = floatingStart(object.subtype & 0x0F);
    if (frame > 1 || !start) {
        return notCovered();
    }
    return shifted(fromDebug(sources, object, frame, 0x4000, false), start->first, start->second);
}

// The CPZ stairs: the flips choose the block's place around the origin.
std::optional<std::pair<std::int32_t, std::int32_t>> stairStart(std::int32_t t,
                                                                const Placement& object) {
    if (t != 8 && t != 9) {
        return std::nullopt;
    }
    const std::int32_t r = t == 8 ? 0x10 : 0x30;
    if (object.xFlip && object.yFlip) {
        return std::pair(-r, 0);
    }
    if (object.xFlip) {
        return std::pair(r, -1);
    }
    return object.yFlip ? std::pair(-1, r) : std::pair(0, -r);
}

std::optional<std::pair<std::int32_t, std::int32_t>> blockStart(std::int32_t t,
                                                                const Placement& object) {
    const std::int32_t moved = !object.xFlip ? 0 : ((t == 1 || t == 3) ? -0x40 : -0x80);
    switch (t) {
        case 1:
        case 2:
            return std::pair(moved, 0);
        case 3:
        case 4:
            return std::pair(0, moved);
        case 5:
        case 7:
            return std::pair(0, 0);
        default:
            return stairStart(t, object);
    }
}

ObjectLook platformBlock(const Sources& sources, const Placement& object) {
    const std::int32_t f = (object.subtype >> 4) & 7;
    const bool chemical = sources.act.zone == kChemicalPlant;
    const auto start = blockStart(object.subtype & 0x0F, object);
    // CPZ's mappings have the block alone.
    if (f > 1 || (chemical && f == 0) || !start) {
        return notCovered();
    }
    const auto frame = static_cast<std::uint8_t>(f == 0 ? 1 : 0);
    return shifted(fromDebug(sources, object, frame, chemical ? 0x6418 : 0x6000, false),
                   start->first, start->second);
}

ObjectLook zonePlatform(const Sources& sources, const Placement& object) {
    std::uint16_t art = 0;
    switch (sources.act.zone) {
        case kChemicalPlant:
            art = 0x63A0;
            break;
        case kOilOcean:
            art = 0x62F4;
            break;
        case kWingFortress:
            art = 0xA46D;
            break;
        default:
            return notCovered();
    }
    const auto frame = static_cast<std::uint8_t>((object.subtype >> 4) & 0x0F);
    const auto start = zonePlatformStart(object.subtype & 0x0F, object.xFlip);
    if (frame > 3 || !start) {
        return notCovered();
    }
    return shifted(fromDebug(sources, object, frame, art, false), start->first, start->second);
}

// Fans blowing up (subtype bit 7) and sideways have mappings of their own; the debug entry with
// the same bit 7 names the right ones.
ObjectLook fan(const Sources& sources, const Placement& object) {
    const bool up = (object.subtype & 0x80) != 0;
    const auto found = std::find_if(
        sources.debugList.begin(), sources.debugList.end(), [&](const DebugEntry& entry) {
            return entry.id == object.id && ((entry.subtype & 0x80) != 0) == up;
        });
    if (found == sources.debugList.end()) {
        return notCovered();
    }
    const auto frame = static_cast<std::uint8_t>((object.subtype & 1) != 0 ? 6 : 1);
    return single(found->mappings, frame, 0x6403, object, true);
}

// The launcher ball's flips and frame come from its own table, indexed by the subtype and the
// placement's X flip; the placement's flips themselves are not drawn.
ObjectLook launcherBall(const Sources& sources, const Placement& object) {
    struct Property {
        bool xFlip;
        bool yFlip;
        std::uint8_t frame;
    };
    constexpr Property kProperties[] = {
        {false, false, 0}, {false, true, 7},  {true, true, 0},  {true, false, 7},
        {true, false, 0},  {false, false, 7}, {false, true, 0}, {true, true, 7},
    };
    const std::size_t k = (object.subtype & 0x0F) + (object.xFlip ? 4u : 0u);
    const auto mappings = debugMappings(sources, object.id);
    if (k >= std::size(kProperties) || !mappings) {
        return notCovered();
    }
    const Property& property = kProperties[k];
    return drawn({{*mappings, property.frame, 0x6368, 0, 0, property.xFlip, property.yFlip}});
}

// max(8, subtype) logs, 16 pixels apart, centred on the placement.
ObjectLook bridge(const Sources& sources, const Placement& object) {
    const auto& logs = sources.tables.bridgeLogMappings;
    if (!logs || sources.act.zone == kHiddenPalace) {
        return notCovered();
    }
    const std::int32_t count = std::max<std::int32_t>(8, object.subtype);
    const std::int32_t first = -(object.subtype >> 1) * 16;
    std::vector<LookPart> parts;
    for (std::int32_t i = 0; i < count; ++i) {
        parts.push_back({*logs, 0, 0x43B6, first + 16 * i, 0, false, false});
    }
    return drawn(std::move(parts));
}

// In act 2 the signpost deletes itself, but for MTZ's; it shows Eggman's face from its own art.
ObjectLook signpost(const Sources& sources) {
    const ObjectTables& tables = sources.tables;
    if (sources.act.act == 1 && sources.act.zone != kMetropolis) {
        return hidden();
    }
    if (!tables.signpostMappings || !tables.signpostArtTile || !tables.signpostCueList) {
        return notCovered();
    }
    return drawn({{*tables.signpostMappings, 2, *tables.signpostArtTile, 0, 0, false, false,
                   PartArt::Signpost}});
}

// A spawner (subtype bit 7) turns into the first cup of its list and adds the others.
ObjectLook lavaCups(const Sources& sources, const Placement& object) {
    const ObjectTables& tables = sources.tables;
    if ((object.subtype & 0x80) == 0 || !tables.lavaCupMappings || !tables.lavaCupLists) {
        return notCovered();
    }
    auto cups = readLavaCups(sources.image, *tables.lavaCupLists, object.subtype & 0x7F);
    if (!cups) {
        return notCovered();
    }
    std::vector<LookPart> parts;
    for (const CupPlace& cup : *cups) {
        parts.push_back({*tables.lavaCupMappings, 0, 0x63F9, cup.dx, cup.dy, false, false});
    }
    return drawn(std::move(parts));
}

ObjectLook barrier(const Sources& sources, const Placement& object) {
    std::uint16_t art = 0x2426;
    switch (sources.act.zone) {
        case kMetropolis:
        case kMetropolis3:
            art = 0x6000;
            break;
        case kChemicalPlant:
            art = 0x2394;
            break;
        case kDeathEgg:
            art = 0x2328;
            break;
        case kAquaticRuin:
            art = 0x23F8;
            break;
        default:
            break;
    }
    return object.subtype > 3 ? notCovered()
                              : fromDebug(sources, object, object.subtype, art, true);
}

// How a sub-object's own code changes what its record says.
struct SubObjectRule {
    std::uint8_t frame = 0;
    bool invertX = false;         // its start-up code toggles the X flip
    bool dropY = false;           // the Y flip is never drawn
    bool yDropsPriority = false;  // a placed Y flip moves it behind the level's front tiles
};

ObjectLook subObject(const Sources& sources, const Placement& object, SubObjectRule rule) {
    if (!sources.tables.subObjects) {
        return notCovered();
    }
    auto record = readSubObject(sources.image, *sources.tables.subObjects, object.subtype);
    if (!record) {
        return notCovered();
    }
    auto art = record->artTile;
    if (rule.yDropsPriority && object.yFlip) {
        art = static_cast<std::uint16_t>(art & ~kPriorityBit);
    }
    return drawn({{record->mappings, rule.frame, art, 0, 0, object.xFlip != rule.invertX,
                   object.yFlip && !rule.dropY}});
}

// A Grounder in a wall: four wall pieces (record $04, art word forced to 0, so the level's own
// tiles) in front of the Grounder.
ObjectLook wallGrounder(const Sources& sources, const Placement& object) {
    constexpr std::uint8_t kWallRecord = 0x04;
    constexpr std::pair<std::int32_t, std::int32_t> kWallPieces[] = {
        {0, -0x14}, {0x10, -4}, {0, 0x0C}, {-0x10, -4}};
    ObjectLook grounder = subObject(sources, object, {0, false, true, true});
    if (grounder.kind != LookKind::Drawn) {
        return grounder;
    }
    auto wall = readSubObject(sources.image, *sources.tables.subObjects, kWallRecord);
    if (!wall) {
        return notCovered();
    }
    std::vector<LookPart> parts;
    for (const auto& [dx, dy] : kWallPieces) {
        parts.push_back({wall->mappings, 0, 0, dx, dy, false, false});
    }
    parts.push_back(grounder.parts.front());
    return drawn(std::move(parts));
}

ObjectLook circlingPlatform(const Sources& sources, const Placement& object) {
    const std::int32_t f = (object.subtype >> 4) & 7;
    if (f > 3) {
        return notCovered();
    }
    std::int32_t d1 = f == 3 ? -0x1C : -0x38;
    std::int32_t d2 = 0;
    if ((object.subtype & 1) != 0) {
        d1 = -d1;
        d2 = -d2;
    }
    if ((object.subtype & 2) != 0) {
        std::tie(d1, d2) = std::pair(d2, -d1);
    }
    return shifted(
        fromDebug(sources, object, static_cast<std::uint8_t>(f), f == 3 ? 0x63F0 : 0x6000, true),
        d1, d2);
}

// The vine (MCZ) or hook (WFZ): one pulled down at start hangs lower, on a longer frame.
ObjectLook vine(const Sources& sources, const Placement& object) {
    const bool pulled = (object.subtype & 0x70) != 0;
    if (sources.act.zone == kMysticCave) {
        return shifted(fromDebug(sources, object, pulled ? 6 : 0, 0x641E, false), 0,
                       pulled ? 0xB0 : 0);
    }
    if (sources.act.zone != kWingFortress) {
        return notCovered();
    }
    const std::int32_t d = (object.subtype & 0x0F) != 0 ? 0x60 : 0xA0;
    const auto frame = static_cast<std::uint8_t>(pulled ? (d >> 4) + 1 : 0);
    return shifted(fromDebug(sources, object, frame, 0x23FE, false), 0, pulled ? d : 0);
}

ObjectLook bigBlock(const Sources& sources, const Placement& object) {
    const std::int32_t away = 0x60;
    const bool sideways = object.subtype == 0;
    const std::int32_t dx = sideways ? (object.xFlip ? away : -away) : 0;
    const std::int32_t dy = sideways ? 0 : (object.yFlip ? away : -away);
    return shifted(fromDebug(sources, object, 0, 0x436C, false), dx, dy);
}

// The Buzzer's body, and behind it the exhaust it shows while it flies.
ObjectLook buzzer(const Sources& sources, const Placement& object) {
    ObjectLook look = fromDebug(sources, object, 0, 0x03D2, true);
    if (look.kind == LookKind::Drawn) {
        LookPart exhaust = look.parts.front();
        exhaust.frame = 3;
        look.parts.push_back(exhaust);
    }
    return look;
}

ObjectLook zoneArt(const Sources& sources, const Placement& object, std::uint8_t zone,
                   std::uint16_t art, std::uint8_t otherZone, std::uint16_t otherArt) {
    if (sources.act.zone == zone) {
        return fromDebug(sources, object, 0, art, false);
    }
    return sources.act.zone == otherZone ? fromDebug(sources, object, 0, otherArt, false)
                                         : notCovered();
}

ObjectLook framedTypes(const Sources& sources, const Placement& object) {
    const std::uint8_t sub = object.subtype;
    switch (object.id) {
        case objectid::kSmashableGround:
            return (sub & 0x1E) > 8 ? notCovered()
                                    : fromDebug(sources, object, sub & 0x1E, 0xC000, false);
        case objectid::kBonusBlock:
            return (sub >> 6) > 2 ? notCovered()
                                  : fromDebug(sources, object, sub >> 6, 0x43E6, true);
        case objectid::kFlipper:
            return fromDebug(sources, object, sub == 0 ? 0 : 4, 0x43B2, true);
        case objectid::kBubbles:
            return (sub & 0x80) == 0 ? notCovered()
                                     : fromDebug(sources, object, 0x0E, 0x855B, true);
        case objectid::kFloorSpike:
            return shifted(fromDebug(sources, object, 0, 0x241C, true), 0, -4);
        case objectid::kSpikyBlock:
            return fromDebug(sources, object, 4, 0x6414, false);
        case objectid::kBreakableBlock:
            return zoneArt(sources, object, kHillTop, 0x43B2, kChemicalPlant, 0x6430);
        default:
            return notCovered();
    }
}

// Types whose look is frame 0 (or a fixed frame) of the debug list's mappings with an art
// word of their own code.
ObjectLook plainTypes(const Sources& sources, const Placement& object) {
    struct Plain {
        std::uint8_t id;
        std::uint8_t frame;
        std::uint16_t art;
        bool flipsShown;
    };
    constexpr Plain kPlain[] = {
        {0x44, 0, 0x439A, true}, {0x79, 0, 0x047C, true},  {0x4A, 0, 0x2538, true},
        {0x5C, 0, 0x0414, true}, {0x50, 0, 0x2500, true},  {0x40, 0, 0x0440, true},
        {0xD6, 0, 0x0388, true}, {0x69, 0, 0x2500, false}, {0x22, 1, 0x0417, true},
        {0x1B, 0, 0xE39C, true},
    };
    const auto found =
        std::find_if(std::begin(kPlain), std::end(kPlain),
                     [&object](const Plain& plain) { return plain.id == object.id; });
    if (found == std::end(kPlain)) {
        return framedTypes(sources, object);
    }
    return fromDebug(sources, object, found->frame, found->art, found->flipsShown);
}

ObjectLook subObjectTypes(const Sources& sources, const Placement& object) {
    switch (object.id) {
        case objectid::kChopChop:
        case objectid::kFlasher:
        case objectid::kWhisp:
        case objectid::kSlicer:
        case objectid::kNebula:
        case objectid::kAsteron:
        case objectid::kTornado:
        case objectid::kCoconuts:
        case objectid::kCrawlton:
        case objectid::kSpiny:
            return subObject(sources, object, {});
        case objectid::kSpiker:
            return subObject(sources, object, {0, true, false, false});
        case objectid::kGrounderInWall2:
            return subObject(sources, object, {0, false, true, true});
        case objectid::kGrounderInWall:
            return wallGrounder(sources, object);
        case objectid::kBalkiry:
            return subObject(sources, object, {1, false, true, false});
        default:
            return plainTypes(sources, object);
    }
}

}  // namespace

ObjectLook objectLook(const LookSources& sources, const ObjectPlacement& object) {
    if (neverDrawn(object.id)) {
        return hidden();
    }
    switch (object.id) {
        case objectid::kMonitor:
            return monitor(sources, object);
        case objectid::kSpikes:
            return spikes(sources, object);
        case objectid::kSpring:
            return spring(sources, object);
        case objectid::kScenery:
            return scenery(sources, object);
        case objectid::kLongPlatform:
            return longPlatform(sources, object);
        case objectid::kCollapsingPlatform:
            return collapsingPlatform(sources, object);
        case objectid::kEmeraldHillPlatform:
            return floatingPlatform(sources, object);
        case objectid::kSquarePlatform:
            return platformBlock(sources, object);
        case objectid::kFloatingPlatform:
            return zonePlatform(sources, object);
        case objectid::kFan:
            return fan(sources, object);
        case objectid::kLauncherBall:
            return launcherBall(sources, object);
        case objectid::kBridge:
            return bridge(sources, object);
        case objectid::kSignpost:
            return signpost(sources);
        case objectid::kLavaCupConveyor:
            return lavaCups(sources, object);
        case objectid::kBarrier:
            return barrier(sources, object);
        case objectid::kRotatingPlatform:
            return circlingPlatform(sources, object);
        case objectid::kMovingVine:
            return vine(sources, object);
        case objectid::kBigBlock:
            return bigBlock(sources, object);
        case objectid::kBuzzer:
            return buzzer(sources, object);
        default:
            return subObjectTypes(sources, object);
    }
}

}  // namespace orvex
