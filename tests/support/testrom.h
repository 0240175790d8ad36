#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "common/error.h"
#include "common/progress.h"
#include "demo/demorom.h"
#include "rom/romprofile.h"

namespace orvex::testing {

using Bytes = std::vector<std::uint8_t>;

// The table layouts ROM tests run over: the three revisions and a build with every table moved.
inline std::vector<const RomProfile*> demoProfiles() {
    std::vector<const RomProfile*> profiles = factoryProfiles();
    profiles.push_back(&demoBuildProfile());
    return profiles;
}

// Test names for parameters over demoProfiles(): "Revision00" ... "Disassembly".
inline std::string profileLabel(const ::testing::TestParamInfo<const RomProfile*>& info) {
    const std::string_view name = info.param->name;
    return info.param->kind == RomKind::Disassembly
               ? "Disassembly"
               : "Revision" + std::string(name.substr(name.size() - 2));
}

// The demo ROM for a profile and a set of options, built once per test program.
inline const DemoRom& demoRom(const RomProfile& profile, const DemoRomOptions& options = {}) {
    static std::map<std::tuple<int, bool, bool, int>, DemoRom> cache;
    const std::tuple<int, bool, bool, int> key{static_cast<int>(profile.kind), options.fullTileArt,
                                               options.shortBlockMappings,
                                               options.weirdLayoutLevel.value_or(-1)};
    auto found = cache.find(key);
    if (found == cache.end()) {
        auto built = buildDemoRom(profile, options);
        EXPECT_TRUE(built.ok()) << (built.ok() ? "" : built.error().describe());
        found = cache.emplace(key, built.ok() ? std::move(*built) : DemoRom{}).first;
    }
    return found->second;
}

// The demo ROM with revision 01's tables, the one the editor's demo mode opens.
inline const DemoRom& demoRom(const DemoRomOptions& options = {}) {
    return demoRom(revisionProfile(RomKind::Revision01), options);
}

// A test over every demo profile.
class ProfileTest : public ::testing::TestWithParam<const RomProfile*> {
protected:
    [[nodiscard]] const RomProfile& profile() const { return *GetParam(); }
    [[nodiscard]] const DemoRom& demo(const DemoRomOptions& options = {}) const {
        return demoRom(profile(), options);
    }
};

#define ORVEX_ALL_PROFILES(Suite) \
    INSTANTIATE_TEST_SUITE_P(Profiles, Suite, ::testing::ValuesIn(demoProfiles()), profileLabel)

// For a test over a profile whose code does not depend on the table layout: the demo's own.
#define ORVEX_ONE_PROFILE(Suite) \
    INSTANTIATE_TEST_SUITE_P(    \
        Profiles, Suite, ::testing::Values(&revisionProfile(RomKind::Revision01)), profileLabel)

// A placement of `id` with `subtype` and the flips given, at the level's top left corner.
inline ObjectPlacement placed(std::uint8_t id, std::uint8_t subtype, bool xFlip = false,
                              bool yFlip = false) {
    ObjectPlacement object;
    object.id = id;
    object.subtype = subtype;
    object.xFlip = xFlip;
    object.yFlip = yFlip;
    return object;
}

// Whether `result` failed (with `code`, when one is given) and with a message holding `text`;
// if not, says what it got.
template <typename R>
::testing::AssertionResult failsWith(const R& result, std::optional<ErrorCode> code,
                                     const std::string& text = {}) {
    if (result.ok()) {
        return ::testing::AssertionFailure() << "it succeeded";
    }
    const Error& error = result.error();
    if ((code && error.code != *code) || error.message.find(text) == std::string::npos) {
        return ::testing::AssertionFailure()
               << "it failed with code " << static_cast<int>(error.code) << ": "
               << error.describe();
    }
    return ::testing::AssertionSuccess();
}

// Whether `text` holds `part`; if not, shows the text.
inline ::testing::AssertionResult holds(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << text;
}

inline Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Bytes that do not compress: 4096 of them pack into far more than 3200.
inline Bytes noiseBytes(std::size_t count) {
    Bytes bytes(count);
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 23);
    }
    return bytes;
}

// `plain` with the bytes of every word swapped, as some dumpers write it.
inline Bytes byteSwapped(Bytes plain) {
    for (std::size_t at = 0; at + 1 < plain.size(); at += 2) {
        std::swap(plain[at], plain[at + 1]);
    }
    return plain;
}

// `plain` as an interleaved .smd dump: a 512-byte header, then for every 16 KiB block its odd
// bytes, then its even ones.
inline Bytes interleavedSmd(const Bytes& plain) {
    Bytes smd(512, 0);
    for (std::size_t block = 0; block < plain.size(); block += 16384) {
        for (const std::size_t first : {1, 0}) {
            for (std::size_t at = first; at < 16384; at += 2) {
                smd.push_back(plain[block + at]);
            }
        }
    }
    return smd;
}

// A file in a fresh temporary folder, removed with the folder when the object goes.
class TempRomFile {
public:
    explicit TempRomFile(const Bytes& bytes) {
        std::string folder =
            (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
        EXPECT_NE(::mkdtemp(folder.data()), nullptr) << folder;
        mFolder = folder;
        mPath = mFolder / "rom.bin";
        writeFile(mPath, bytes);
    }
    ~TempRomFile() {
        std::error_code ignored;
        std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(mFolder, ignored);
    }
    TempRomFile(const TempRomFile&) = delete;
    TempRomFile& operator=(const TempRomFile&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return mPath; }
    [[nodiscard]] Bytes contents() const { return readFile(mPath); }

private:
    std::filesystem::path mFolder;
    std::filesystem::path mPath;
};

// Records the progress reports of an operation.
class RecordingProgress : public ProgressSink {
public:
    struct Report {
        Stage stage;
        std::int32_t done;
        std::int32_t total;
        friend bool operator==(const Report&, const Report&) = default;
    };

    std::vector<Report> reports;
    int begins = 0;
    int ends = 0;

    void begin() override { ++begins; }
    void end() override { ++ends; }
    void progress(Stage stage, std::int32_t done, std::int32_t total) override {
        reports.push_back({stage, done, total});
    }
};

}  // namespace orvex::testing
