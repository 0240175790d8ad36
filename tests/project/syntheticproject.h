#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/error.h"
#include "demo/demorom.h"

// A disassembly project made from the demo image (built with every table moved, as a hack's
// build is): every level stream split into a file at the path the disassembly uses (collision
// index names with spaces included), the bytes between them in files of their own or inline
// bytes, a main source s2.asm that includes s2.macros.asm (which includes s2.macrosetup.asm) and
// the object and ring lists' sources, BINCLUDEs in the order of the image, tables of label
// expressions wherever a table points at a file (so a grown file moves what follows it and the
// tables follow), inline `zoneTableEntry.w` boundary lines under `LevelSize`, and `palette`
// macro lines for the palettes. Then the test build assembles it into s2built.bin and s2.lst;
// unchanged, the image is the demo image byte for byte.

namespace orvex::testing {

struct SyntheticProjectOptions {
    bool crlf = false;  // write the sources with CRLF line endings
};

// The demo image the project is made from.
[[nodiscard]] const DemoRom& syntheticProjectRom();

// Writes the project into `folder` (created if needed) and builds it.
[[nodiscard]] Status writeSyntheticProject(const std::filesystem::path& folder,
                                           const SyntheticProjectOptions& options = {});

// The short zone names the file names use ("EHZ", "MTZ", ...).
[[nodiscard]] std::string syntheticZoneName(std::uint8_t zone);

// The path of the test build program (set by the build system).
[[nodiscard]] std::string testBuildProgram();

}  // namespace orvex::testing
