#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/error.h"
#include "rom/objecttables.h"
#include "rom/romprofile.h"

// The demo ROM builder's object art (see demorom.h).

namespace orvex {

// Where the builder put the object tables and the mappings the debug lists name.
struct DemoObjectArt {
    ObjectTables tables;
    std::int32_t monitorMappings = 0;
    std::int32_t springMappings = 0;  // red springs; the yellow ones are in `tables`
    std::int32_t spikeMappings = 0;
    std::int32_t badnikMappings = 0;
};

// Writes Nemesis art for rings and a few object types, their sprite mappings, the pattern load
// cue lists that load the art (the signpost's in a list of its own), the debug object lists of
// `zones` (the zones the demo has, in its order) at the places `profile` gives, and the object
// tables the debug lists do not reach with the code that names them, at a place that differs
// with the profile. Fails only if the Nemesis encoder fails.
[[nodiscard]] Result<DemoObjectArt> buildDemoObjectArt(std::vector<std::uint8_t>& image,
                                                       const RomProfile& profile,
                                                       const std::vector<std::uint8_t>& zones);

// The two pattern load cue lists of the demo's zone at place `zoneIndex` in its zone list, for
// the top bytes of the zone's art table longs.
[[nodiscard]] std::array<std::uint8_t, 2> demoZoneCueLists(std::size_t zoneIndex);

}  // namespace orvex
