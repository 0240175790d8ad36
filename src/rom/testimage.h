#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romprofile.h"

// A copy of an image that starts at a chosen level instead of the first: what Test Level hands
// to an emulator.

namespace orvex {

// The title screen's one-player start: moveq #0,d0, then d0 to $FF8A, $FFD8 and the zone and
// act word $FE10, then the tst.b that follows. Every revision has it once.
inline constexpr std::string_view kTitleStartCode = "7000 31C0 FF8A 31C0 FFD8 31C0 FE10 4A38";

// The 14 bytes a test copy puts in its place: clr.w $FF8A, clr.w $FFD8 and move.w of the
// level's zone << 8 | act to $FE10. The tst.b after them stays.
[[nodiscard]] std::array<std::uint8_t, 14> testStartCode(std::uint8_t zone, std::uint8_t act);

// A copy of `image` that starts level `level` (0..19) when Start is pressed on the title
// screen: the title screen's one-player start (or the start of an earlier test copy) rewritten
// to set the level's zone and act from the level list, and the checksum set to the game's sum;
// no other byte changes. `image` itself is never changed. NotARom when the start is not found
// or found more than once (the message names the bytes looked for); OutOfRange for a level
// the level list does not have; FileRead when the ROM end field lies past the file.
[[nodiscard]] Result<std::vector<std::uint8_t>> makeTestImage(ByteSpan image,
                                                              const RomProfile& profile,
                                                              std::int16_t level);

}  // namespace orvex
