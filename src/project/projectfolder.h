#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "common/error.h"

// A disassembly project: a folder whose sources a build assembles into the game's image. It is
// one when it holds the build's listing (`s2.lst`), or a build script (`build.lua`) beside an
// assembly source (`.asm`).

namespace orvex {

inline constexpr std::string_view kListingName = "s2.lst";
inline constexpr std::string_view kBuildScriptName = "build.lua";
inline constexpr std::string_view kMainSourceName = "s2.asm";
inline constexpr std::string_view kBuiltImageName = "s2built.bin";

struct ProjectFolder {
    std::filesystem::path root;        // the folder, as given
    std::filesystem::path mainSource;  // s2.asm, or the only .asm file at the root
    std::filesystem::path listing;     // root/s2.lst, whether or not it exists yet
    std::filesystem::path image;       // root/s2built.bin, whether or not it exists yet
    std::optional<std::filesystem::path> buildScript;  // root/build.lua when it exists

    // A path the sources name ("level/layout/EHZ_1.kos", '/' between parts) inside the root.
    [[nodiscard]] std::filesystem::path file(const std::string& relative) const;
    // The project's name for status lines: the folder's last part.
    [[nodiscard]] std::string name() const;
};

// Whether `folder` is a project, and where its files are. NotAProject, saying what was found
// and what was missing ("... holds no s2.lst, and no build.lua beside an .asm source: it has
// build.lua but no .asm file"), for a folder that is not one; FileOpen for a path that is not a
// folder or cannot be read. Reads nothing but the folder's entries.
[[nodiscard]] Result<ProjectFolder> openProjectFolder(const std::filesystem::path& folder);

// The default build command of a project: `lua build.lua` where build.lua exists, else none.
[[nodiscard]] std::optional<std::string> defaultBuildCommand(const ProjectFolder& project);

}  // namespace orvex
