#include "rom/objectoutline.h"

#include <array>

#include "rom/objectids.h"

namespace orvex {

namespace {

// Half-sizes of the box (x - w, y - h) to (x + w, y + h).
ObjectOutline box(std::int32_t halfWidth, std::int32_t halfHeight) {
    return {-halfWidth, -halfHeight, halfWidth, halfHeight};
}

// Plane switchers and pinball switches: radius ($20, $40, $80, $100)[sub & 3]; bit 2 clear is a
// vertical line the player crosses left or right, bit 2 set a horizontal one crossed up or down.
ObjectOutline switchLine(std::uint8_t subtype) {
    constexpr std::array<std::int32_t, 4> kRadius{0x20, 0x40, 0x80, 0x100};
    const std::int32_t r = kRadius[subtype & 3];
    if ((subtype & 0x04) == 0) {
        return {0, -r, 0, r};
    }
    return {-r, 0, r, 0};
}

// Sizes in eighths less one: high nibble the half-width, low nibble the half-height.
ObjectOutline invisibleBlock(std::uint8_t subtype) {
    return box(((subtype >> 4) + 1) * 8, ((subtype & 0x0F) + 1) * 8);
}

// Lava markers and leaves generators take their touch size from subtypes 0 to 2.
std::optional<ObjectOutline> touchBox(std::uint8_t subtype) {
    constexpr std::array<std::int32_t, 3> kHalfWidth{0x20, 0x40, 0x80};
    if (subtype >= kHalfWidth.size()) {
        return std::nullopt;
    }
    return box(kHalfWidth[subtype], 0x20);
}

ObjectOutline springWall(std::uint8_t subtype) {
    return box(8, ((subtype >> 4) & 7) == 0 ? 0x40 : 0x80);
}

// Bit 7 clear: the EHZ spiral, its rider's path y - $25 .. y + $40; set: the MTZ cylinder.
ObjectOutline spiral(std::uint8_t subtype) {
    if ((subtype & 0x80) == 0) {
        return {-0xD0, -0x25, 0xD0, 0x40};
    }
    return box(0xC0, 0x28);
}

// The entry area right of and below the point.
std::optional<ObjectOutline> spinTube(std::uint8_t subtype) {
    constexpr std::array<std::int32_t, 3> kLength{0xA0, 0x100, 0x120};
    if ((subtype & 3) >= kLength.size()) {
        return std::nullopt;
    }
    return ObjectOutline{0, 0, kLength[subtype & 3], 0x80};
}

// w = (sub & $F) x 16 each way; the area reaches $30 above the point, $70 with bit 7. A width
// of 0 (WFZ's $90) is an inactive belt: a line.
ObjectOutline conveyor(std::uint8_t subtype) {
    const std::int32_t w = (subtype & 0x0F) * 16;
    return {-w, (subtype & 0x80) != 0 ? -0x70 : -0x30, w, 0};
}

std::optional<ObjectOutline> risingLava(std::uint8_t subtype) {
    switch (subtype) {
        case 0:
        case 2:
            return box(0xC0, 0x80);
        case 4:
            return box(0xC0, 0x78);
        case 6:
            return box(0xE0, 0x78);
        case 8:
            return box(0xC0, 0x2E);
        default:
            return std::nullopt;
    }
}

// The MTZ tube's entry, mirrored by the X flip.
ObjectOutline mtzSpinTube(bool xFlip) {
    return xFlip ? ObjectOutline{-13, -0x20, 3, 0x20} : ObjectOutline{-3, -0x20, 13, 0x20};
}

}  // namespace

bool neverDrawn(std::uint8_t id) {
    switch (id) {
        case objectid::kPlaneSwitcher:
        case objectid::kSpiral:
        case objectid::kSpinTube:
        case objectid::kLeavesGenerator:
        case objectid::kRisingLava:
        case objectid::kLavaMarker:
        case objectid::kSpringWall:
        case objectid::kMetropolisSpinTube:
        case objectid::kConveyorBelt:
        case objectid::kInvisibleBlock:
        case objectid::kPinballSwitch:
            return true;
        default:
            return false;
    }
}

// The rules hold the same in every zone and act so far.
std::optional<ObjectOutline> objectOutline(ZoneAct /*act*/, const ObjectPlacement& object) {
    const std::uint8_t sub = object.subtype;
    switch (object.id) {
        case objectid::kPlaneSwitcher:
        case objectid::kPinballSwitch:
            return switchLine(sub);
        case objectid::kInvisibleBlock:
            return invisibleBlock(sub);
        case objectid::kLavaMarker:
        case objectid::kLeavesGenerator:
            return touchBox(sub);
        case objectid::kSpringWall:
            return springWall(sub);
        case objectid::kSpiral:
            return spiral(sub);
        case objectid::kSpinTube:
            return spinTube(sub);
        case objectid::kConveyorBelt:
            return conveyor(sub);
        case objectid::kRisingLava:
            return risingLava(sub);
        case objectid::kMetropolisSpinTube:
            return mtzSpinTube(object.xFlip);
        default:
            return std::nullopt;
    }
}

}  // namespace orvex
