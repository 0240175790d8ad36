#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "project/buildrunner.h"
#include "project/listing.h"
#include "project/projectfolder.h"
#include "rom/romidentity.h"

// Reading a disassembly project through its last build: the built image, read as any image
// built from the disassembly is (tables located through the code), and the listing, which names
// the file behind each stream. A build that is not current is run first.

namespace orvex {

struct ProjectOptions {
    // The build's command line; none for the default (`lua build.lua` where build.lua exists).
    std::optional<std::string> buildCommand;
    std::chrono::milliseconds buildTimeout = std::chrono::minutes(2);
};

struct OpenedProject {
    ProjectFolder folder;
    Listing listing;
    std::vector<std::uint8_t> image;
    RomIdentity identity;
    // Why the build ran before reading, and what it wrote; none when the last build was current.
    std::optional<std::string> builtBecause;
    std::optional<BuildRun> build;
    // What the build does not check and the game needs (see buildProblems).
    std::vector<std::string> problems;
};

// Opens the project in `folder`: when its listing or image is missing or older than a file the
// listing names (or the main source), runs its build first. Fails, having read nothing, with
// NotAProject for a folder that is not one, BuildFailed when a build is needed and there is no
// command for it or it fails (the message quotes the end of its output), the errors of
// readListing, and those of reading the image and identifying it, prefixed with its name.
[[nodiscard]] Result<OpenedProject> readProject(const std::filesystem::path& folder,
                                                const ProjectOptions& options = {});

// What the game needs of a build and the build does not check, one message each naming the
// file to shrink or pad: every level's layout within the $FFFF bytes its directory's unsigned
// word reaches; every object and ring list within the $7FFF bytes the signed words of their
// directories reach, after the directory; every level stream at an even address. Found by
// following each level's tables in `image` to a file the listing places there.
[[nodiscard]] std::vector<std::string> buildProblems(const Listing& listing, ByteSpan image,
                                                     const RomProfile& profile);

}  // namespace orvex
