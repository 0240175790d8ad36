#include "rom/objectmeaning.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <tuple>
#include <vector>

#include "rom/objectids.h"
#include "rom/zones.h"

namespace orvex {

namespace {

std::string number(std::int32_t value) {
    return std::to_string(value);
}

std::string hexByte(std::uint8_t value) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    return {'$', kDigits[value >> 4], kDigits[value & 0x0F]};
}

// Joins the phrases that are not empty with "; ".
std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (part.empty()) {
            continue;
        }
        text += text.empty() ? part : "; " + part;
    }
    return text;
}

// Where an object starts from its point: "starts 64 px left", "starts 32 px right, 16 px up".
std::string startOffset(std::int32_t dx, std::int32_t dy) {
    if (dx == 0 && dy == 0) {
        return "starts at its point";
    }
    std::string text = "starts";
    if (dx != 0) {
        text += " " + number(std::abs(dx)) + " px " + (dx < 0 ? "left" : "right");
    }
    if (dy != 0) {
        text += std::string(dx != 0 ? "," : "") + " " + number(std::abs(dy)) + " px " +
                (dy < 0 ? "up" : "down");
    }
    return text;
}

// 41: direction (sub >> 4) & 7, bit 1 yellow, bit 0 twirl, bit 7 stop, bits 2-3 plane switching.
std::string spring(const ObjectPlacement& object) {
    const std::uint8_t sub = object.subtype;
    const std::int32_t direction = (sub >> 4) & 7;
    if (direction > 4) {
        return {};
    }
    const std::array<std::string_view, 5> kDirections{
        "up", object.xFlip ? "pointing left" : "pointing right", "down", "diagonal up",
        "diagonal down"};
    const std::string planes = (sub & 0x0C) != 0
                                   ? "plane switching " + number((sub >> 2) & 3) + " (bits 2-3)"
                                   : std::string();
    return joined({std::string((sub & 0x02) != 0 ? "Yellow" : "Red") + " spring, " +
                       std::string(kDirections[static_cast<std::size_t>(direction)]),
                   (sub & 0x01) != 0 ? "makes the player twirl" : "",
                   (sub & 0x80) != 0 ? "stops the player's x speed" : "", planes});
}

// 26: the animation, and so the picture, is the subtype.
std::string monitor(std::uint8_t sub) {
    constexpr std::array<std::string_view, 11> kContents{
        "Static", "1-up",       "Tails",    "Eggman",        "Rings",         "Shoes",
        "Shield", "Invincible", "Teleport", "Question mark", "Broken monitor"};
    return sub < kContents.size() ? std::string(kContents[sub]) : std::string();
}

// 36: frame sub >> 4 (0-3 upright, 4-7 sideways, 2 to 8 points); low nibble the movement.
std::string spikes(const ObjectPlacement& object) {
    const std::int32_t frame = object.subtype >> 4;
    const std::int32_t motion = object.subtype & 0x0F;
    if (frame > 7) {
        return {};
    }
    const bool sideways = frame >= 4;
    const std::string count = number(2 * (frame % 4 + 1)) + " spikes";
    std::string shape = sideways ? count + " sideways" : count + " upright";
    if (!sideways && object.yFlip) {
        shape = count + " hanging, pointing down";
    } else if (sideways && object.xFlip) {
        shape += ", mirrored";
    }
    constexpr std::array<std::string_view, 3> kMotions{"still", "moves down", "moves right"};
    return joined({shape, motion < 3 ? std::string(kMotions[static_cast<std::size_t>(motion)])
                                     : std::string()});
}

std::int32_t switchRadius(std::uint8_t sub) {
    constexpr std::array<std::int32_t, 4> kRadius{0x20, 0x40, 0x80, 0x100};
    return kRadius[sub & 3];
}

// 03: radius, line, the path and priority of each side, ground only.
std::string planeSwitcher(std::uint8_t sub) {
    const bool vertical = (sub & 0x04) == 0;
    const std::string size = number(2 * switchRadius(sub)) + " px";
    const auto side = [sub](std::string_view name, std::uint8_t pathBit, std::uint8_t frontBit) {
        return std::string(name) + ": path " + ((sub & pathBit) != 0 ? "2" : "1") +
               ((sub & frontBit) != 0 ? ", in front" : "");
    };
    return joined({vertical ? "Vertical, " + size + " tall" : "Horizontal, " + size + " wide",
                   side(vertical ? "right" : "below", 0x08, 0x20),
                   side(vertical ? "left" : "above", 0x10, 0x40),
                   (sub & 0x80) != 0 ? "on the ground only" : ""});
}

// 84: crossing to the right or down turns forced rolling on, back turns it off; X flip swaps.
std::string pinballSwitch(const ObjectPlacement& object) {
    const bool vertical = (object.subtype & 0x04) == 0;
    const std::string size = number(2 * switchRadius(object.subtype)) + " px";
    const std::string on =
        vertical ? (object.xFlip ? "left" : "right") : (object.xFlip ? "up" : "down");
    return joined({vertical ? "Vertical, " + size + " tall" : "Horizontal, " + size + " wide",
                   "crossing " + on + " starts forced rolling, crossing back ends it"});
}

std::string boxSize(std::int32_t halfWidth, std::int32_t halfHeight) {
    return number(2 * halfWidth) + " x " + number(2 * halfHeight) + " px";
}

std::string touchArea(std::uint8_t sub, std::string_view what) {
    constexpr std::array<std::int32_t, 3> kHalfWidth{0x20, 0x40, 0x80};
    return sub < kHalfWidth.size() ? std::string(what) + ", " + boxSize(kHalfWidth[sub], 0x20)
                                   : std::string();
}

// 1C: the scenery piece each entry of the init table draws.
std::string scenery(std::uint8_t sub) {
    if (sub <= 1 || sub == 3) {
        return "MTZ bolt or rope";
    }
    if (sub == 2) {
        return "EHZ bridge stake";
    }
    if (sub <= 6) {
        return "HTZ zipline scenery";
    }
    if (sub <= 8) {
        return "HTZ scenery";
    }
    if (sub >= 0x0A && sub <= 0x14) {
        return "OOZ oil fall, frame " + number(sub < 0x10 ? sub - 0x0A : sub - 0x10);
    }
    return {};
}

// D8: frame sub >> 6; the low bits are behaviour.
std::string bonusBlock(const ObjectPlacement& object) {
    switch (object.subtype >> 6) {
        case 0:
            return "Horizontal";
        case 1:
            return object.xFlip ? "Diagonal, mirrored" : "Diagonal";
        case 2:
            return "Vertical";
        default:
            return {};
    }
}

// 18: frame (sub >> 4) & 7, bit 7 solid all round, start from t = sub & $F.
std::string floatingPlatform(std::uint8_t sub) {
    const std::int32_t frame = (sub >> 4) & 7;
    std::string shape = frame == 0 ? "Small platform" : frame == 1 ? "Tall block" : "";
    if (shape.empty()) {
        return {};
    }
    if ((sub & 0x80) != 0) {
        shape += ", solid on all sides";
    }
    std::string start;
    switch (sub & 0x0F) {
        case 0x1:
            start = startOffset(-0x40, 0);
            break;
        case 0x5:
            start = startOffset(0x40, 0);
            break;
        case 0x2:
            start = startOffset(0, -0x40);
            break;
        case 0x6:
            start = startOffset(0, 0x40);
            break;
        case 0xA:
            start = startOffset(0, -0x20);
            break;
        case 0xB:
            start = startOffset(0, 0x20);
            break;
        case 0xC:
            start = startOffset(0, -0x30);
            break;
        case 0xD:
            start = startOffset(0, 0x30);
            break;
        case 0x0:
        case 0x3:
        case 0x9:
            start = "still, or waits to fall";
            break;
        default:
            break;
    }
    return joined({shape, start});
}

// 19: where the platform starts, from t = sub & $F and the X flip.
std::string platformStart(const ObjectPlacement& object) {
    const auto start = zonePlatformStart(object.subtype & 0x0F, object.xFlip);
    return start ? startOffset(start->first, start->second) : std::string();
}

std::string movingPlatform(const ObjectPlacement& object) {
    const std::int32_t frame = (object.subtype >> 4) & 0x0F;
    return joined({frame < 4 ? "Platform frame " + number(frame) : "", platformStart(object)});
}

// 3F: bit 7 chooses the mappings, bit 1 keeps it blowing.
std::string fan(std::uint8_t sub) {
    return joined({(sub & 0x80) != 0 ? "Blows up" : "Blows sideways",
                   (sub & 0x02) != 0 ? "always on" : "off 2 s, then on 3 s, in turn"});
}

// 2F: frame sub & $1E.
std::string smashableGround(std::uint8_t sub) {
    switch (sub & 0x1E) {
        case 0:
            return "80 px tall, grass on top";
        case 2:
            return "64 px of blocks";
        case 4:
            return "48 px of blocks";
        case 6:
            return "32 px of blocks";
        case 8:
            return "16 px of blocks";
        default:
            return {};
    }
}

// 6E: start (d1, d2) from the oscillators' start values, negated by bit 0, turned by bit 1.
std::string circlingPlatform(std::uint8_t sub) {
    const std::int32_t frame = (sub >> 4) & 7;
    if (frame > 3) {
        return {};
    }
    std::int32_t d1 = frame == 3 ? -0x1C : -0x38;
    std::int32_t d2 = 0;
    if ((sub & 1) != 0) {
        d1 = -d1;
    }
    if ((sub & 2) != 0) {
        const std::int32_t was = d1;
        d1 = d2;
        d2 = -was;
    }
    return startOffset(d1, d2);
}

// 80: bits 4-6 set: it starts pulled down.
std::string vine(ZoneAct act, std::uint8_t sub) {
    if ((sub & 0x70) == 0) {
        return "starts up";
    }
    if (act.zone == kMysticCave) {
        return "starts pulled down 176 px";
    }
    if (act.zone == kWingFortress) {
        return "starts pulled down " + number((sub & 0x0F) != 0 ? 0x60 : 0xA0) + " px";
    }
    return {};
}

// D4: subtype 0 moves from the side, others from above or below.
std::string bigBlock(const ObjectPlacement& object) {
    if (object.subtype == 0) {
        return startOffset(object.xFlip ? 0x60 : -0x60, 0);
    }
    return startOffset(0, object.yFlip ? 0x60 : -0x60);
}

// 0D: in one-player mode the game deletes the signpost in act 2, except in MTZ act 2.
std::string signpost(ZoneAct act) {
    if (act.act == 1 && act.zone != kMetropolis) {
        return "Not shown: the game removes act 2's signpost";
    }
    return "Shown in this act";
}

// 65: p = (sub >> 4) & 7; p = 2 is a cog; bit 7 adds a cog in the wall.
std::string longPlatform(std::uint8_t sub) {
    const std::int32_t p = (sub >> 4) & 7;
    if (p > 3) {
        return {};
    }
    const std::string shape = p == 2 ? "Cog" : p == 1 ? "64 px platform" : "128 px platform";
    return joined({shape, (sub & 0x80) != 0 && p != 2 ? "with a cog in the wall" : ""});
}

// 6B: f = (sub >> 4) & 7, t = sub & $F.
std::string stairBlock(std::uint8_t sub) {
    const std::int32_t f = (sub >> 4) & 7;
    const std::int32_t t = sub & 0x0F;
    std::string shape = f == 0 ? "64 x 24 platform" : f == 1 ? "32 x 32 block" : "";
    if (shape.empty()) {
        return {};
    }
    std::string motion;
    if (t == 5) {
        motion = "bobs on lava";
    } else if (t >= 8 && t <= 0x0B) {
        motion = "rotating stairs, flips choose its place";
    }
    return joined({shape, motion});
}

// 6C: placed with bit 7 set, a spawner of the 8 cups of loop sub & $7F.
std::string lavaCups(std::uint8_t sub) {
    constexpr std::array<std::int32_t, 3> kHeights{0x100, 0x180, 0x200};
    const std::size_t loop = sub & 0x7F;
    if ((sub & 0x80) == 0 || loop >= kHeights.size()) {
        return {};
    }
    return "8 cups on a loop " + number(kHeights[loop]) + " px tall";
}

// 1E: L = ($A0, $100, $120)[sub & 3], bits 2-5 the path.
std::string cpzSpinTube(std::uint8_t sub) {
    constexpr std::array<std::int32_t, 3> kLength{0xA0, 0x100, 0x120};
    if ((sub & 3) >= kLength.size()) {
        return {};
    }
    return "Entry " + number(kLength[sub & 3]) + " x 128 px, path " + number((sub >> 2) & 0x0F);
}

// 72: w = (sub & $F) x 16 each way; height $30, or $70 with bit 7.
std::string conveyor(const ObjectPlacement& object) {
    const std::int32_t w = (object.subtype & 0x0F) * 16;
    if (w == 0) {
        return "Inactive: no width";
    }
    return joined({"Area " + number(2 * w) + " x " +
                       number((object.subtype & 0x80) != 0 ? 0x70 : 0x30) + " px",
                   object.xFlip ? "moves players left" : "moves players right"});
}

std::string risingLava(std::uint8_t sub) {
    switch (sub) {
        case 0:
        case 2:
            return "Solid lava " + boxSize(0xC0, 0x80);
        case 4:
            return "Solid lava " + boxSize(0xC0, 0x78);
        case 6:
            return "Solid lava " + boxSize(0xE0, 0x78) + ", removed at once while camera y < $380";
        case 8:
            return "Sloped lava about 384 px wide, removed at once while camera y >= $380";
        default:
            return {};
    }
}

std::string switchOrArea(ZoneAct /*act*/, const ObjectPlacement& object) {
    const std::uint8_t sub = object.subtype;
    switch (object.id) {
        case objectid::kPlaneSwitcher:
            return planeSwitcher(sub);
        case objectid::kPinballSwitch:
            return pinballSwitch(object);
        case objectid::kInvisibleBlock:
            return "Solid box " + boxSize(((sub >> 4) + 1) * 8, ((sub & 0x0F) + 1) * 8);
        case objectid::kLavaMarker:
            return touchArea(sub, "Hurts on touch");
        case objectid::kLeavesGenerator:
            return touchArea(sub, "Leaves area");
        case objectid::kSpringWall:
            return "Spring wall " + number(((sub >> 4) & 7) == 0 ? 0x80 : 0x100) + " px tall";
        case objectid::kSpiral:
            return (sub & 0x80) != 0 ? "MTZ cylinder" : "EHZ spiral";
        case objectid::kSpinTube:
            return cpzSpinTube(sub);
        case objectid::kConveyorBelt:
            return conveyor(object);
        case objectid::kRisingLava:
            return risingLava(sub);
        case objectid::kNut:
            return "Travel distance " + hexByte(sub);
        case objectid::kFloorSpike:
            return "Timing phase " + number(sub);
        case objectid::kCollapsingPlatform:
            return "Collapse timing " + number(sub & 1);
        case objectid::kSpringboard:
        case objectid::kRoundBumper:
            return "Not read by the game";
        case objectid::kPointPokey:
            return "Slot-machine behaviour only";
        case objectid::kTornado:
            return sub == 0x50   ? "SCZ flight"
                   : sub == 0x52 ? "WFZ start"
                   : sub == 0x54 ? "WFZ ending"
                                 : "";
        default:
            return {};
    }
}

}  // namespace

std::string subtypeMeaning(ZoneAct act, const ObjectPlacement& object) {
    const std::uint8_t sub = object.subtype;
    switch (object.id) {
        case objectid::kSpring:
            return spring(object);
        case objectid::kMonitor:
            return monitor(sub);
        case objectid::kSpikes:
            return spikes(object);
        case objectid::kScenery:
            return scenery(sub);
        case objectid::kBonusBlock:
            return bonusBlock(object);
        case objectid::kLongPlatform:
            return longPlatform(sub);
        case objectid::kEmeraldHillPlatform:
            return floatingPlatform(sub);
        case objectid::kFlipper:
            return std::string(sub == 0 ? "Points up" : "Horizontal") +
                   (object.xFlip ? ", mirrored (the other side's)" : "");
        case objectid::kStarpost:
            return "Starpost number " + number(sub & 0x7F);
        case objectid::kSquarePlatform:
            return stairBlock(sub);
        case objectid::kFloatingPlatform:
            return movingPlatform(object);
        case objectid::kFan:
            return fan(sub);
        case objectid::kSmashableGround:
            return smashableGround(sub);
        case objectid::kRotatingPlatform:
            return circlingPlatform(sub);
        case objectid::kMovingVine:
            return vine(act, sub);
        case objectid::kBigBlock:
            return bigBlock(object);
        case objectid::kBridge:
            return number(std::max<std::int32_t>(8, sub)) + " logs";
        case objectid::kSignpost:
            return signpost(act);
        case objectid::kLavaCupConveyor:
            return lavaCups(sub);
        case objectid::kSpikyBlock: {
            constexpr std::array<std::string_view, 4> kSides{"up", "right", "down", "left"};
            return "Spike points " + std::string(kSides[sub & 3]);
        }
        default:
            return switchOrArea(act, object);
    }
}

std::optional<std::pair<std::int32_t, std::int32_t>> zonePlatformStart(std::int32_t t, bool xFlip) {
    if (t == 0 || t == 1) {
        return std::pair(xFlip ? (t == 0 ? -0x40 : -0x60) : 0, 0);
    }
    if (t == 2) {
        return std::pair(0, xFlip ? -0x80 : 0);
    }
    if ((t == 3 && xFlip) || t == 7) {
        return std::pair(0, -0xC0);
    }
    if (t < 8) {
        return std::nullopt;
    }
    // Types 8 to $F circle: from (-$40, 0), negated when bit 1 is set, turned a quarter when
    // bit 0 is; types $C to $F run the other way in x.
    std::int32_t d1 = -0x40;
    std::int32_t d2 = 0;
    if ((t & 2) != 0) {
        d1 = -d1;
    }
    if ((t & 1) != 0) {
        std::tie(d1, d2) = std::pair(d2, -d1);
    }
    return std::pair(t < 0x0C ? d1 : -d1, d2);
}

}  // namespace orvex
