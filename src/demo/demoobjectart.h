#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/error.h"
#include "rom/romprofile.h"

// The demo ROM builder's object art (see demorom.h).

namespace orvex {

// Writes Nemesis art for rings and a few object types, their sprite mappings, the pattern load
// cue lists that load the art and the debug object lists of `zones` (the zones the demo has, in
// its order) at the places `profile` gives.
[[nodiscard]] Status buildDemoObjectArt(std::vector<std::uint8_t>& image, const RomProfile& profile,
                                        const std::vector<std::uint8_t>& zones);

// The two pattern load cue lists of the demo's zone at place `zoneIndex` in its zone list, for
// the top bytes of the zone's art table longs.
[[nodiscard]] std::array<std::uint8_t, 2> demoZoneCueLists(std::size_t zoneIndex);

}  // namespace orvex
