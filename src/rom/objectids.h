#pragma once

#include <cstdint>

// The object ids the code handles one by one, as the game's object index numbers them (the
// names shown to the user are in objectnames.cpp).

namespace orvex::objectid {

inline constexpr std::uint8_t kPlaneSwitcher = 0x03;        // Plane Switcher
inline constexpr std::uint8_t kSpiral = 0x06;               // Spiral
inline constexpr std::uint8_t kSignpost = 0x0D;             // Signpost
inline constexpr std::uint8_t kBridge = 0x11;               // Bridge
inline constexpr std::uint8_t kEmeraldHillPlatform = 0x18;  // ARZ / EHZ Platform
inline constexpr std::uint8_t kFloatingPlatform = 0x19;     // CPZ / OOZ / WFZ Platform
inline constexpr std::uint8_t kScenery = 0x1C;              // Scenery / Bridge Stake
inline constexpr std::uint8_t kSpinTube = 0x1E;             // CPZ Spin Tube
inline constexpr std::uint8_t kCollapsingPlatform = 0x1F;   // Collapsing Platform
inline constexpr std::uint8_t kBubbles = 0x24;              // ARZ Bubbles
inline constexpr std::uint8_t kMonitor = 0x26;              // Monitor
inline constexpr std::uint8_t kLeavesGenerator = 0x2C;      // Leaves Generator
inline constexpr std::uint8_t kBarrier = 0x2D;              // Barrier
inline constexpr std::uint8_t kSmashableGround = 0x2F;      // Smashable Ground
inline constexpr std::uint8_t kRisingLava = 0x30;           // Rising Lava
inline constexpr std::uint8_t kLavaMarker = 0x31;           // Lava Marker
inline constexpr std::uint8_t kBreakableBlock = 0x32;       // Breakable Block
inline constexpr std::uint8_t kSpikes = 0x36;               // Spikes
inline constexpr std::uint8_t kFan = 0x3F;                  // Fan
inline constexpr std::uint8_t kSpringboard = 0x40;          // Springboard
inline constexpr std::uint8_t kSpring = 0x41;               // Spring
inline constexpr std::uint8_t kRoundBumper = 0x44;          // Round Bumper
inline constexpr std::uint8_t kLauncherBall = 0x48;         // Launcher Ball
inline constexpr std::uint8_t kBuzzer = 0x4B;               // Buzzer
inline constexpr std::uint8_t kLongPlatform = 0x65;         // MTZ Long Platform
inline constexpr std::uint8_t kSpringWall = 0x66;           // MTZ Spring Wall
inline constexpr std::uint8_t kMetropolisSpinTube = 0x67;   // MTZ Spin Tube
inline constexpr std::uint8_t kSpikyBlock = 0x68;           // Spiky Block
inline constexpr std::uint8_t kNut = 0x69;                  // Nut
inline constexpr std::uint8_t kSquarePlatform = 0x6B;       // MTZ / CPZ Square Platform
inline constexpr std::uint8_t kLavaCupConveyor = 0x6C;      // Conveyor
inline constexpr std::uint8_t kFloorSpike = 0x6D;           // Floor Spike
inline constexpr std::uint8_t kRotatingPlatform = 0x6E;     // Large Rotating Platform
inline constexpr std::uint8_t kConveyorBelt = 0x72;         // CNZ Conveyor Belt
inline constexpr std::uint8_t kInvisibleBlock = 0x74;       // Invisible Block
inline constexpr std::uint8_t kStarpost = 0x79;             // Starpost
inline constexpr std::uint8_t kMovingVine = 0x80;           // Moving Vine
inline constexpr std::uint8_t kPinballSwitch = 0x84;        // Forced Spin / Pinball Mode
inline constexpr std::uint8_t kFlipper = 0x86;              // Flipper
inline constexpr std::uint8_t kWhisp = 0x8C;                // Whisp
inline constexpr std::uint8_t kGrounderInWall = 0x8D;       // Grounder In Wall
inline constexpr std::uint8_t kGrounderInWall2 = 0x8E;      // Grounder In Wall 2
inline constexpr std::uint8_t kChopChop = 0x91;             // Chop Chop
inline constexpr std::uint8_t kSpiker = 0x92;               // Spiker
inline constexpr std::uint8_t kNebula = 0x99;               // Nebula
inline constexpr std::uint8_t kCoconuts = 0x9D;             // Coconuts
inline constexpr std::uint8_t kCrawlton = 0x9E;             // Crawlton
inline constexpr std::uint8_t kSlicer = 0xA1;               // Slicer
inline constexpr std::uint8_t kFlasher = 0xA3;              // Flasher
inline constexpr std::uint8_t kAsteron = 0xA4;              // Asteron
inline constexpr std::uint8_t kSpiny = 0xA5;                // Spiny
inline constexpr std::uint8_t kBalkiry = 0xAC;              // Balkiry
inline constexpr std::uint8_t kTornado = 0xB2;              // Tornado
inline constexpr std::uint8_t kBigBlock = 0xD4;             // CNZ Big Block
inline constexpr std::uint8_t kPointPokey = 0xD6;           // Point Pokey
inline constexpr std::uint8_t kBonusBlock = 0xD8;           // Bonus Block

}  // namespace orvex::objectid
