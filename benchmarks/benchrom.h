#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "demo/demorom.h"
#include "document/documentloader.h"
#include "rom/romcheck.h"
#include "rom/romimage.h"

// The demo ROM as a file, for the benchmarks that go through the file as the editor does.

namespace orvex::bench {

// The table layout the benchmarks' demo ROMs use.
inline const RomProfile& benchProfile() {
    return revisionProfile(RomKind::Revision01);
}

// A demo ROM file of a benchmark's own, removed at exit. With `fullTileArt` zone 0 has all 2048
// tiles (the heaviest art there is); with `migrated` its layouts are migrated.
class BenchRom {
public:
    explicit BenchRom(const std::string& name, bool fullTileArt, bool migrated = false)
        : mPath(std::filesystem::temp_directory_path() / ("orvex-bench-" + name + ".bin")) {
        DemoRomOptions options;
        options.fullTileArt = fullTileArt;
        if (!writeDemoRom(mPath, benchProfile(), options).ok() ||
            (migrated && !migrateLayouts(RomImage(mPath), benchProfile()).ok())) {
            std::fprintf(stderr, "cannot write %s\n", mPath.c_str());
        }
    }
    ~BenchRom() { std::filesystem::remove(mPath); }
    BenchRom(const BenchRom&) = delete;
    BenchRom& operator=(const BenchRom&) = delete;

    [[nodiscard]] RomImage rom() const { return RomImage(mPath); }

private:
    std::filesystem::path mPath;
};

// The level's document read from the file, for the benchmarks that start from one.
inline std::unique_ptr<LevelDocument> readDocument(const RomImage& rom, std::int16_t level) {
    auto image = rom.readAll();
    auto loaded =
        image ? loadDocument(*image, benchProfile(), level) : Result<LoadedLevel>(image.error());
    return loaded ? std::move(loaded->document) : nullptr;
}

}  // namespace orvex::bench
