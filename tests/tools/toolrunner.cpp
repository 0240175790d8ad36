#include "toolrunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "support/testrom.h"

extern char** environ;

namespace orvex::testing {

namespace {

std::string textOf(const std::filesystem::path& path) {
    const auto bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::filesystem::path makeFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvex-tool-test-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    return pattern;
}

int waitFor(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
}

// Starts the tool with standard input, output and error redirected to files in `folder`.
int spawnAndWait(const std::vector<std::string>& args, const std::filesystem::path& folder) {
    std::vector<std::string> words = {ORVEX_TOOL_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (folder / "in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (folder / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (folder / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? waitFor(child) : -2000 - spawned;
}

}  // namespace

std::size_t ToolRun::errLines() const {
    return static_cast<std::size_t>(std::count(err.begin(), err.end(), '\n'));
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    return readFile(path);
}

void putFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    writeFile(path, bytes);
}

ToolRun runToolProgram(const std::vector<std::string>& args, const std::string& input) {
    const std::filesystem::path folder = makeFolder();
    putFile(folder / "in", {input.begin(), input.end()});
    ToolRun run;
    run.exitCode = spawnAndWait(args, folder);
    run.out = textOf(folder / "out");
    run.err = textOf(folder / "err");
    std::filesystem::remove_all(folder);
    return run;
}

ToolTest::ToolTest() : mFolder(makeFolder()) {}

ToolTest::~ToolTest() {
    std::error_code ignored;
    std::filesystem::remove_all(mFolder, ignored);
}

std::filesystem::path ToolTest::demoFile(const std::string& name, const DemoRomOptions& options) {
    const std::filesystem::path path = file(name);
    putFile(path, demo(options).image);
    return path;
}

const DemoRom& ToolTest::demo(const DemoRomOptions& options) {
    return demoRom(options);
}

PngSize pngSize(const std::filesystem::path& path) {
    const auto bytes = fileBytes(path);
    constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || !std::equal(kSignature, kSignature + 8, bytes.begin()) ||
        std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR") {
        return {};
    }
    const auto be32 = [&bytes](std::size_t at) {
        return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
               (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
    };
    return {be32(16), be32(20)};
}

}  // namespace orvex::testing
