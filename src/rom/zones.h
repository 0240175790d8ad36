#pragma once

#include <cstdint>

// Zone numbers as the game's level list and its zone-indexed tables hold them. Zones 1, 2, 3
// and 9 are unused slots; Metropolis's third act is a zone of its own.

namespace orvex {

inline constexpr std::uint8_t kEmeraldHill = 0;
inline constexpr std::uint8_t kMetropolis = 4;  // acts 1 and 2
inline constexpr std::uint8_t kMetropolis3 = 5;
inline constexpr std::uint8_t kWingFortress = 6;
inline constexpr std::uint8_t kHillTop = 7;
inline constexpr std::uint8_t kHiddenPalace = 8;
inline constexpr std::uint8_t kOilOcean = 10;
inline constexpr std::uint8_t kMysticCave = 11;
inline constexpr std::uint8_t kCasinoNight = 12;
inline constexpr std::uint8_t kChemicalPlant = 13;
inline constexpr std::uint8_t kDeathEgg = 14;
inline constexpr std::uint8_t kAquaticRuin = 15;
inline constexpr std::uint8_t kSkyChase = 16;

}  // namespace orvex
