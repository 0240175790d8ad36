#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/testrom.h"

namespace orvex::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::filesystem::path makeFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvex-tool-test-XXXXXX").string();
    EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
    return pattern;
}

inline std::string textOf(const std::filesystem::path& path) {
    const Bytes bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

// Bytes that no encoder can shrink much.
inline Bytes noise(std::size_t size, std::uint32_t state) {
    Bytes bytes(size);
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

// What a run of the real orvex-tool executable gave.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    [[nodiscard]] long errLines() const { return std::count(err.begin(), err.end(), '\n'); }
};

// A fresh folder for every test, removed afterwards.
class ToolTest : public ::testing::Test {
protected:
    ~ToolTest() override { std::filesystem::remove_all(mFolder); }

    // Runs orvex-tool in the test's folder with `args` (no argument holds a quote) and `input` on
    // its standard input.
    ToolRun tool(const std::vector<std::string>& args, const std::string& input = {}) const {
        const std::filesystem::path io = makeFolder();
        writeFile(io / "in", {input.begin(), input.end()});
        std::string command = "cd '" + mFolder.string() + "' && '" ORVEX_TOOL_PATH "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        const std::string at = io.string();
        const int status =
            std::system((command + " <" + at + "/in >" + at + "/out 2>" + at + "/err").c_str());
        ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, textOf(io / "out"),
                    textOf(io / "err")};
        std::filesystem::remove_all(io);
        return run;
    }

    [[nodiscard]] std::string file(const std::string& name) const {
        return (mFolder / name).string();
    }
    std::string put(const std::string& name, const Bytes& bytes) const {
        writeFile(mFolder / name, bytes);
        return file(name);
    }
    std::string demoFile(const std::string& name, const DemoRomOptions& options = {}) const {
        return put(name, demoRom(options).image);
    }
    // Every file and folder under the test's folder, with the files' bytes.
    [[nodiscard]] std::map<std::string, Bytes> snapshot() const {
        std::map<std::string, Bytes> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(mFolder)) {
            entries[entry.path().string()] =
                entry.is_directory() ? Bytes{} : readFile(entry.path());
        }
        return entries;
    }

private:
    std::filesystem::path mFolder = makeFolder();
};

}  // namespace orvex::testing
