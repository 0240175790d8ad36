#include "rom/starttables.h"

namespace orvex {

std::vector<std::string> LocatedStartTables::missing() const {
    std::vector<std::string> names;
    for (const StartTableReport& report : reports) {
        if (!report.problem.empty()) {
            names.push_back(report.name);
        }
    }
    return names;
}

LocatedStartTables locateStartTables(ByteSpan, const RomProfile&) {
    return {};
}

}  // namespace orvex
