#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "support/testrom.h"  // gtest, <cstdint>, <filesystem>, <map>, <string>, <vector>

namespace orvex::testing {

using Bytes = std::vector<std::uint8_t>;
using Args = std::vector<std::string>;

// What a run of the real orvex-tool executable gave.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;

    [[nodiscard]] long errLines() const { return std::count(err.begin(), err.end(), '\n'); }
    // Whether the run ended with `code` and its errors hold `text`; if not, shows what it said.
    [[nodiscard]] ::testing::AssertionResult endedWith(int code, const std::string& text) const {
        if (exitCode == code && err.find(text) != std::string::npos) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "exit status " << exitCode << ", errors:\n" << err;
    }
};

// Every test gets a fresh folder (removed afterwards) whose files/ the tool runs in; the tool's
// standard streams are kept beside it, where snapshot() does not look.
class ToolTest : public ::testing::Test {
protected:
    ToolTest() {
        std::filesystem::remove_all(mRoot);  // left by an earlier process of the same id
        std::filesystem::create_directories(mRoot / "files");
    }
    ~ToolTest() override { std::filesystem::remove_all(mRoot); }

    // Runs orvex-tool with `args` (no argument holds a quote) and `input` on its standard input;
    // its standard output goes to `output` when one is named (and ToolRun::out is empty).
    ToolRun tool(const Args& args, const std::string& input = {},
                 const std::string& output = {}) const {
        writeFile(mRoot / "in", {input.begin(), input.end()});
        std::filesystem::remove(mRoot / "out");
        std::string command = "cd '" + file("") + "' && '" ORVEX_TOOL_PATH "'";
        for (const std::string& arg : args) {
            command += " '" + arg + "'";
        }
        const std::string at = mRoot.string();
        const std::string out = output.empty() ? at + "/out" : output;
        const int status =
            std::system((command + " <" + at + "/in >" + out + " 2>" + at + "/err").c_str());
        const auto text = [&](const char* name) {
            const Bytes bytes = readFile(mRoot / name);
            return std::string(bytes.begin(), bytes.end());
        };
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text("out"), text("err")};
    }

    [[nodiscard]] std::string file(const std::string& name) const {
        return (mRoot / "files" / name).string();
    }
    std::string put(const std::string& name, const Bytes& bytes) const {
        writeFile(file(name), bytes);
        return file(name);
    }
    std::string putText(const std::string& name, const std::string& text) const {
        return put(name, Bytes(text.begin(), text.end()));
    }
    std::string demoFile(const std::string& name, const DemoRomOptions& options = {}) const {
        return put(name, demoRom(options).image);
    }
    // Every file and folder the tool can see, with the files' bytes.
    [[nodiscard]] std::map<std::string, Bytes> snapshot() const {
        std::map<std::string, Bytes> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(file(""))) {
            entries[entry.path().string()] =
                entry.is_directory() ? Bytes{} : readFile(entry.path());
        }
        return entries;
    }

private:
    const std::filesystem::path mRoot =
        std::filesystem::temp_directory_path() / ("orvex-tool-test-" + std::to_string(::getpid()));
};

}  // namespace orvex::testing
