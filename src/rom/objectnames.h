#pragma once

#include <cstdint>
#include <string_view>

// Names for the object ids the game's object index knows, for people: "Spring", "Monitor".

namespace orvex {

inline constexpr std::uint8_t kFirstObjectId = 0x01;
inline constexpr std::uint8_t kLastObjectId = 0xDC;  // the last id the object index has code for

// The name of object `id`; empty for an id the game has no code for and for ids whose code
// has no known purpose.
[[nodiscard]] std::string_view objectName(std::uint8_t id);

}  // namespace orvex
