#include "project/projectreader.h"

#include <set>

#include "project/levelfiles.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romimage.h"

namespace orvex {

namespace {

// Runs the build when the listing is not current; the reason and the run when it did.
Status buildIfStale(OpenedProject& project, const ProjectOptions& options) {
    std::optional<std::string> stale;
    if (auto listing = readListing(project.folder.listing); listing) {
        stale = staleReason(project.folder, *listing);
    } else {
        stale = "its listing " + project.folder.listing.filename().string() + " cannot be read";
    }
    if (!stale) {
        return {};
    }
    const auto command =
        options.buildCommand ? options.buildCommand : defaultBuildCommand(project.folder);
    if (!command) {
        return makeError(ErrorCode::BuildFailed, project.folder.name() + " needs a build (" +
                                                     *stale +
                                                     ") and has no build command: it has no " +
                                                     std::string(kBuildScriptName));
    }
    BuildCommand build{*command};
    build.timeout = options.buildTimeout;
    auto run = runBuild(project.folder.root, build);
    if (!run) {
        return run.error();
    }
    project.builtBecause = std::move(stale);
    project.build = std::move(*run);
    return {};
}

// The file the listing places just before `address`: the one to shrink.
std::string fileBefore(const Listing& listing, std::int64_t address) {
    std::string before = "the files before it";
    for (const PlacedFile& file : listing.files) {
        if (file.address >= address) {
            break;
        }
        before = file.path;
    }
    return before;
}

// The largest file placed from `from` up to `to`: the first one to shrink.
std::string largestFile(const Listing& listing, std::int64_t from, std::int64_t to) {
    const PlacedFile* largest = nullptr;
    for (const PlacedFile& file : listing.files) {
        if (file.address >= from && file.address < to &&
            (largest == nullptr || file.length > largest->length)) {
            largest = &file;
        }
    }
    return largest == nullptr ? "the data after the directory"
                              : largest->path + " (" + std::to_string(largest->length) + " bytes)";
}

void checkReach(const Listing& listing, std::int64_t directory, std::int64_t list,
                std::int64_t reach, const std::string& what, std::vector<std::string>& problems) {
    // Lists lie after their directory; a word past the reach wraps to a place before it or to
    // one where no file starts.
    if (list > directory && list - directory <= reach && listing.fileAt(list) != nullptr) {
        return;
    }
    problems.push_back(what + " lies beyond the " + hexOffset(reach) + " bytes its directory at " +
                       hexOffset(directory) +
                       " reaches: shrink what lies between them, the largest being " +
                       largestFile(listing, directory, directory + reach + 1));
}

void checkLevel(const Listing& listing, ByteSpan image, const RomProfile& profile,
                std::int16_t level, std::vector<std::string>& problems,
                std::set<std::string>& odd) {
    auto files = levelFiles(listing, image, profile, level);
    if (!files) {
        return;
    }
    for (const PartFile& file : files->files) {
        if (file.address % 2 != 0 && odd.insert(file.path).second) {
            problems.push_back(file.path + " lies at the odd address " + hexOffset(file.address) +
                               ", where the game's processor stops: pad " +
                               fileBefore(listing, file.address) + " to an even length");
        }
    }
    const auto act = levelZoneAct(image, profile, level);
    const auto layouts = layoutDirectory(image, profile);
    const auto layout = layoutAddress(image, profile, level);
    const std::string name = levelName(level);
    if (act && layouts && layout) {
        checkReach(listing, *layouts, *layout, 0xFFFF, "The layout of " + name, problems);
    }
    if (act && profile.objectDirectory) {
        if (auto list = placementListAddress(image, *profile.objectDirectory, *act)) {
            checkReach(listing, *profile.objectDirectory, *list, 0x7FFF,
                       "The object list of " + name, problems);
        }
    }
    if (act && profile.ringDirectory) {
        if (auto list = placementListAddress(image, *profile.ringDirectory, *act)) {
            checkReach(listing, *profile.ringDirectory, *list, 0x7FFF, "The ring list of " + name,
                       problems);
        }
    }
}

}  // namespace

std::vector<std::string> buildProblems(const Listing& listing, ByteSpan image,
                                       const RomProfile& profile) {
    std::vector<std::string> problems;
    std::set<std::string> odd;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        checkLevel(listing, image, profile, level, problems, odd);
    }
    return problems;
}

Result<OpenedProject> readProject(const std::filesystem::path& folder,
                                  const ProjectOptions& options) {
    auto found = openProjectFolder(folder);
    if (!found) {
        return found.error();
    }
    OpenedProject project;
    project.folder = std::move(*found);
    if (Status built = buildIfStale(project, options); !built) {
        return built.error();
    }
    auto listing = readListing(project.folder.listing);
    if (!listing) {
        return listing.error();
    }
    project.listing = std::move(*listing);
    auto image = readRegularFile(project.folder.image);
    if (!image) {
        return image.error();
    }
    auto identity = identifyRom(*image);
    if (!identity) {
        return makeError(identity.error().code, project.folder.image.filename().string() + ": " +
                                                    identity.error().message);
    }
    project.image = std::move(*image);
    project.identity = std::move(*identity);
    project.problems = buildProblems(project.listing, project.image, project.identity.profile);
    return project;
}

}  // namespace orvex
