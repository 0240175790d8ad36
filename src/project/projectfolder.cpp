#include "project/projectfolder.h"

#include <algorithm>
#include <system_error>
#include <vector>

namespace orvex {

namespace {

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The .asm files at the root, by name.
Result<std::vector<std::filesystem::path>> assemblySources(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> sources;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return makeError(ErrorCode::FileOpen,
                         "Cannot read the folder " + folder.string() + ": " + error.message());
    }
    for (const auto& entry : it) {
        std::error_code kind;
        if (entry.path().extension() == ".asm" && entry.is_regular_file(kind)) {
            sources.push_back(entry.path());
        }
    }
    std::sort(sources.begin(), sources.end());
    return sources;
}

}  // namespace

std::filesystem::path ProjectFolder::file(const std::string& relative) const {
    return root / std::filesystem::path(relative).relative_path();
}

std::string ProjectFolder::name() const {
    const std::filesystem::path clean = root.lexically_normal();
    const std::filesystem::path last =
        clean.has_filename() ? clean.filename() : clean.parent_path().filename();
    return last.empty() ? root.string() : last.string();
}

Result<ProjectFolder> openProjectFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return makeError(ErrorCode::FileOpen, folder.string() + " is not a folder");
    }
    auto sources = assemblySources(folder);
    if (!sources) {
        return sources.error();
    }
    ProjectFolder project;
    project.root = folder;
    project.listing = folder / kListingName;
    project.image = folder / kBuiltImageName;
    if (isFile(folder / kBuildScriptName)) {
        project.buildScript = folder / kBuildScriptName;
    }
    const bool hasListing = isFile(project.listing);
    if (!hasListing && (!project.buildScript || sources->empty())) {
        const std::string found =
            project.buildScript ? "it has build.lua but no .asm file"
            : !sources->empty()
                ? "it has " + sources->front().filename().string() + " but no build.lua"
                : "it has neither";
        return makeError(ErrorCode::NotAProject, folder.string() +
                                                     " is not a disassembly project: it holds no " +
                                                     std::string(kListingName) + ", and no " +
                                                     std::string(kBuildScriptName) +
                                                     " beside an .asm source (" + found + ")");
    }
    const auto main = std::find_if(sources->begin(), sources->end(), [](const auto& path) {
        return path.filename() == kMainSourceName;
    });
    project.mainSource = main != sources->end() ? *main
                         : sources->size() == 1 ? sources->front()
                                                : folder / kMainSourceName;
    return project;
}

std::optional<std::string> defaultBuildCommand(const ProjectFolder& project) {
    if (!project.buildScript) {
        return std::nullopt;
    }
    return "lua " + std::string(kBuildScriptName);
}

}  // namespace orvex
