#include "rom/objectnames.h"

#include <array>

namespace orvex {

namespace {

// Indexed by id; ids belonging to other game modes (title screen, special stage, endings) are
// named too, since a list may hold any id.
constexpr std::array<std::string_view, kLastObjectId + 1> kNames{
    "",                                // 00
    "Sonic",                           // 01
    "Tails",                           // 02
    "Plane Switcher",                  // 03
    "Water Surface",                   // 04
    "Tails' Tails",                    // 05
    "Spiral",                          // 06
    "Oil",                             // 07
    "Spindash Dust / Splash",          // 08
    "Sonic Special Stage",             // 09
    "Small Bubbles",                   // 0A
    "Tipping Floor",                   // 0B
    "",                                // 0C
    "Signpost",                        // 0D
    "Title Intro",                     // 0E
    "Title Menu",                      // 0F
    "Tails Special Stage",             // 10
    "Bridge",                          // 11
    "HPZ Emerald",                     // 12
    "HPZ Waterfall",                   // 13
    "Seesaw",                          // 14
    "Swinging Platform",               // 15
    "HTZ Lift",                        // 16
    "",                                // 17
    "ARZ / EHZ Platform",              // 18
    "CPZ / OOZ / WFZ Platform",        // 19
    "HPZ Collapsing Platform",         // 1A
    "Speed Booster",                   // 1B
    "Scenery / Bridge Stake",          // 1C
    "Blue Balls",                      // 1D
    "CPZ Spin Tube",                   // 1E
    "Collapsing Platform",             // 1F
    "Lava Bubble",                     // 20
    "Two-Player Results",              // 21
    "Arrow Shooter",                   // 22
    "Falling Pillar",                  // 23
    "ARZ Bubbles",                     // 24
    "Ring",                            // 25
    "Monitor",                         // 26
    "Explosion",                       // 27
    "Animal",                          // 28
    "Points",                          // 29
    "Stomper",                         // 2A
    "Rising Pillar",                   // 2B
    "Leaves Generator",                // 2C
    "Barrier",                         // 2D
    "Monitor Contents",                // 2E
    "Smashable Ground",                // 2F
    "Rising Lava",                     // 30
    "Lava Marker",                     // 31
    "Breakable Block",                 // 32
    "OOZ Popping Platform",            // 33
    "Title Card",                      // 34
    "Invincibility Stars",             // 35
    "Spikes",                          // 36
    "Lost Rings",                      // 37
    "Shield",                          // 38
    "Game Over / Time Over",           // 39
    "Results",                         // 3A
    "",                                // 3B
    "",                                // 3C
    "OOZ Launcher",                    // 3D
    "Egg Prison",                      // 3E
    "Fan",                             // 3F
    "Springboard",                     // 40
    "Spring",                          // 41
    "Steam Spring",                    // 42
    "Sliding Spike",                   // 43
    "Round Bumper",                    // 44
    "OOZ Spring",                      // 45
    "OOZ Ball",                        // 46
    "Button",                          // 47
    "Launcher Ball",                   // 48
    "EHZ Waterfall",                   // 49
    "Octus",                           // 4A
    "Buzzer",                          // 4B
    "",                                // 4C
    "",                                // 4D
    "",                                // 4E
    "",                                // 4F
    "Aquis",                           // 50
    "CNZ Boss",                        // 51
    "HTZ Boss",                        // 52
    "MTZ Boss Orb",                    // 53
    "MTZ Boss",                        // 54
    "OOZ Boss",                        // 55
    "EHZ Boss",                        // 56
    "MCZ Boss",                        // 57
    "Boss Explosion",                  // 58
    "Special Stage Emerald",           // 59
    "Special Stage Message",           // 5A
    "Special Stage Ring Spill",        // 5B
    "Masher",                          // 5C
    "CPZ Boss",                        // 5D
    "Special Stage HUD",               // 5E
    "Start Banner",                    // 5F
    "Special Stage Ring",              // 60
    "Special Stage Bomb",              // 61
    "",                                // 62
    "Special Stage Shadow",            // 63
    "MTZ Twin Stompers",               // 64
    "MTZ Long Platform",               // 65
    "MTZ Spring Wall",                 // 66
    "MTZ Spin Tube",                   // 67
    "Spiky Block",                     // 68
    "Nut",                             // 69
    "MCZ / MTZ Moving Platforms",      // 6A
    "MTZ / CPZ Square Platform",       // 6B
    "Conveyor",                        // 6C
    "Floor Spike",                     // 6D
    "Large Rotating Platform",         // 6E
    "Special Stage Results",           // 6F
    "Cog",                             // 70
    "MTZ Lava Bubble / Bridge Stake",  // 71
    "CNZ Conveyor Belt",               // 72
    "Rotating Rings",                  // 73
    "Invisible Block",                 // 74
    "MCZ Brick",                       // 75
    "Sliding Spikes",                  // 76
    "MCZ Bridge",                      // 77
    "CPZ Staircase",                   // 78
    "Starpost",                        // 79
    "Sideways Platform",               // 7A
    "Pipe Exit Spring",                // 7B
    "CPZ Pylon",                       // 7C
    "",                                // 7D
    "Super Sonic Stars",               // 7E
    "Vine Switch",                     // 7F
    "Moving Vine",                     // 80
    "MCZ Drawbridge",                  // 81
    "Swinging Platform",               // 82
    "ARZ Rotating Platforms",          // 83
    "Forced Spin / Pinball Mode",      // 84
    "Launcher Spring",                 // 85
    "Flipper",                         // 86
    "Special Stage Number Of Rings",   // 87
    "Special Stage Tails' Tails",      // 88
    "ARZ Boss",                        // 89
    "",                                // 8A
    "WFZ Palette Switcher",            // 8B
    "Whisp",                           // 8C
    "Grounder In Wall",                // 8D
    "Grounder In Wall 2",              // 8E
    "Grounder Wall",                   // 8F
    "Grounder Rocks",                  // 90
    "Chop Chop",                       // 91
    "Spiker",                          // 92
    "Spiker Drill",                    // 93
    "Rexon",                           // 94
    "Sol",                             // 95
    "Rexon 2",                         // 96
    "Rexon Head",                      // 97
    "Projectile",                      // 98
    "Nebula",                          // 99
    "Turtloid",                        // 9A
    "Turtloid Rider",                  // 9B
    "Balkiry Jet",                     // 9C
    "Coconuts",                        // 9D
    "Crawlton",                        // 9E
    "Shellcracker",                    // 9F
    "Shellcracker Claw",               // A0
    "Slicer",                          // A1
    "Slicer Pincers",                  // A2
    "Flasher",                         // A3
    "Asteron",                         // A4
    "Spiny",                           // A5
    "Spiny On Wall",                   // A6
    "Grabber",                         // A7
    "Grabber Legs",                    // A8
    "Grabber Box",                     // A9
    "Grabber String",                  // AA
    "",                                // AB
    "Balkiry",                         // AC
    "Clucker Base",                    // AD
    "Clucker",                         // AE
    "Mecha Sonic",                     // AF
    "Sonic On Sega Screen",            // B0
    "Sega Hide TM",                    // B1
    "Tornado",                         // B2
    "Cloud",                           // B3
    "Vertical Propeller",              // B4
    "Horizontal Propeller",            // B5
    "Tilting Platform",                // B6
    "Vertical Laser",                  // B7
    "Wall Turret",                     // B8
    "Laser",                           // B9
    "WFZ Wheel",                       // BA
    "",                                // BB
    "WFZ Ship Fire",                   // BC
    "Small Metal Platform",            // BD
    "Lateral Cannon",                  // BE
    "WFZ Stick",                       // BF
    "Speed Launcher",                  // C0
    "Breakable Plating",               // C1
    "Rivet",                           // C2
    "Tornado Smoke",                   // C3
    "Tornado Smoke 2",                 // C4
    "WFZ Boss",                        // C5
    "Eggman",                          // C6
    "Eggrobo",                         // C7
    "Crawl",                           // C8
    "Title Screen Palette Changer",    // C9
    "Cut Scene",                       // CA
    "Ending Sequence Clouds",          // CB
    "Ending Sequence Trigger",         // CC
    "Ending Sequence Bird",            // CD
    "Ending Sequence Sonic / Tails",   // CE
    "Tornado Helixes",                 // CF
    "",                                // D0
    "",                                // D1
    "CNZ Rectangle Blocks",            // D2
    "Bomb Prize",                      // D3
    "CNZ Big Block",                   // D4
    "Elevator",                        // D5
    "Point Pokey",                     // D6
    "Bumper",                          // D7
    "Bonus Block",                     // D8
    "Grab",                            // D9
    "Continue Text",                   // DA
    "Continue Characters",             // DB
    "Ring Prize",                      // DC
};

}  // namespace

std::string_view objectName(std::uint8_t id) {
    return id < kNames.size() ? kNames[id] : std::string_view{};
}

}  // namespace orvex
