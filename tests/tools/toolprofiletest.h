#pragma once

#include <nlohmann/json.hpp>

#include "document/documenttestsupport.h"
#include "toolrunner.h"

namespace orvex::testing {

// A tool test run once for each profile's demo ROM, reading back the JSON files the tool wrote
// and every level of a ROM file it changed.
class ProfileToolTest : public ToolTest, public ::testing::WithParamInterface<const RomProfile*> {
protected:
    using Json = nlohmann::json;

    [[nodiscard]] const RomProfile& profile() const { return *GetParam(); }
    [[nodiscard]] const DemoRom& demo() const { return demoRom(profile()); }
    std::string romFile() const { return put("rom.bin", demo().image); }

    [[nodiscard]] Json readJson(const std::string& name) const {
        const Bytes bytes = readFile(file(name));
        return Json::parse(bytes.begin(), bytes.end());
    }
    // Every level's parts as the file `rom` holds them.
    [[nodiscard]] std::vector<LevelParts> everyLevel(const std::string& rom) const {
        return orvex::testing::everyLevel(readFile(rom), profile());
    }
};

}  // namespace orvex::testing
