#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "project/listing.h"
#include "project/projectfolder.h"

// Running a project's build (by default `lua build.lua`) and telling whether its last build is
// still current.

namespace orvex {

struct BuildCommand {
    // The command line: a program and its arguments, split at spaces; "..." or '...' keep
    // spaces inside one argument. The program is looked up in PATH unless it holds a '/'.
    std::string commandLine;
    // How long the build may run before it is stopped.
    std::chrono::milliseconds timeout = std::chrono::minutes(2);
    // How many of the output's last lines a failure's message quotes.
    std::int32_t tailLines = 20;
    // Told the output in pieces as it comes, and an empty piece at least every 50 ms while the
    // build is silent (a window may repaint then); none to tell no one.
    std::function<void(std::string_view piece)> output = {};
};

struct BuildRun {
    std::string output;  // what the build wrote to its output and error output, interleaved
    // The last `lines` lines of the output.
    [[nodiscard]] std::string tail(std::int32_t lines) const;
};

// Splits a command line as BuildCommand describes; an unclosed quote runs to the end.
[[nodiscard]] std::vector<std::string> splitCommandLine(const std::string& commandLine);

// Runs `command` in `folder` (no shell), its input empty, its output and error output captured
// (the last MiB kept). BuildFailed, its message naming the command and quoting the end of the
// output, when the program cannot be started (not found, not executable, an empty command),
// when it ends with a status other than 0 or by a signal, or when it runs past the timeout (then
// it and every process it started in its group are killed, and the message quotes the output so
// far). Blocks until the build ends or is stopped, telling its output to `command.output`.
[[nodiscard]] Result<BuildRun> runBuild(const std::filesystem::path& folder,
                                        const BuildCommand& command);

// Why the project's last build is not current: the listing or the built image is missing, or
// the listing is older than the main source or a file it names (a source it includes or a file
// it places). A named file that does not exist is left to whatever reads it. None when the
// build is current.
[[nodiscard]] std::optional<std::string> staleReason(const ProjectFolder& project,
                                                     const Listing& listing);

}  // namespace orvex
