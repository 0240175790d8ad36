#include "rom/collisiontables.h"

#include <algorithm>
#include <string>

#include "rom/collision.h"

namespace orvex {

static_assert(kShapeTablesBeforeIndexes == kShapeTablesSize);

std::optional<std::int32_t> collisionPointerTable(const RomProfile& profile, std::int32_t path) {
    return path == 0 ? profile.collisionPrimary : profile.collisionSecondary;
}

Result<std::int32_t> collisionPointerOffset(const RomProfile& profile, std::int32_t path,
                                            std::int32_t zone) {
    const std::optional<std::int32_t> table = collisionPointerTable(profile, path);
    if (!table) {
        return makeError(ErrorCode::NotLoaded, std::string("The image has no ") +
                                                   (path == 0 ? "primary" : "secondary") +
                                                   " collision index pointers");
    }
    return *table + 4 * zone;
}

Result<std::int32_t> collisionIndexAddress(ByteSpan image, const RomProfile& profile,
                                           std::int32_t path, std::int32_t zone) {
    auto at = collisionPointerOffset(profile, path, zone);
    if (!at) {
        return at.error();
    }
    return readLong(image, *at);
}

std::vector<std::int32_t> collisionIndexAddresses(ByteSpan image, const RomProfile& profile) {
    std::vector<std::int32_t> addresses;
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
            if (auto address = collisionIndexAddress(image, profile, path, zone)) {
                addresses.push_back(*address);
            }
        }
    }
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

std::optional<std::int32_t> locateShapeTables(ByteSpan image, const RomProfile& profile) {
    const std::vector<std::int32_t> indexes = collisionIndexAddresses(image, profile);
    if (!indexes.empty()) {
        const std::int32_t before = indexes.front() - kShapeTablesBeforeIndexes;
        if (plausibleShapeTables(image, before)) {
            return before;
        }
    }
    if (plausibleShapeTables(image, kFactoryShapeTables)) {
        return kFactoryShapeTables;
    }
    return std::nullopt;
}

}  // namespace orvex
