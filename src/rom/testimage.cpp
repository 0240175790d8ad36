#include "rom/testimage.h"

#include <algorithm>
#include <string>

#include "rom/checksum.h"
#include "rom/codepatterns.h"
#include "rom/leveldirectory.h"

namespace orvex {

namespace {

// What testStartCode wrote, for any level.
constexpr std::string_view kTestStartText = "4278 FF8A 4278 FFD8 31FC ???? FE10 4A38";

std::string matchList(const std::vector<std::int32_t>& matches) {
    std::string list;
    for (const std::int32_t at : matches) {
        list += (list.empty() ? "" : ", ") + hexOffset(at);
    }
    return list;
}

// The one place of the start code, a test copy's or the game's own.
Result<std::int32_t> findStart(ByteSpan image) {
    const auto found =
        findPatterns(image, {parsePattern(kTitleStartCode), parsePattern(kTestStartText)});
    std::vector<std::int32_t> matches = found[0];
    matches.insert(matches.end(), found[1].begin(), found[1].end());
    std::sort(matches.begin(), matches.end());
    const std::string looked =
        "the title screen's one-player start (the bytes " + std::string(kTitleStartCode) + ")";
    if (matches.empty()) {
        return makeError(ErrorCode::NotARom,
                         "The ROM does not have " + looked +
                             ", so no copy that starts at another level can be made; nothing "
                             "was written");
    }
    if (matches.size() > 1) {
        return makeError(ErrorCode::NotARom,
                         "The ROM has " + looked + " " + std::to_string(matches.size()) +
                             " times (at " + matchList(matches) +
                             "), so which one starts the game is unclear; nothing was written");
    }
    return matches.front();
}

}  // namespace

std::array<std::uint8_t, 14> testStartCode(std::uint8_t zone, std::uint8_t act) {
    return {0x42, 0x78, 0xFF, 0x8A, 0x42, 0x78, 0xFF, 0xD8, 0x31, 0xFC, zone, act, 0xFE, 0x10};
}

Result<std::vector<std::uint8_t>> makeTestImage(ByteSpan image, const RomProfile& profile,
                                                std::int16_t level) {
    auto act = levelZoneAct(image, profile, level);
    if (!act) {
        return act.error();
    }
    auto start = findStart(image);
    if (!start) {
        return start.error();
    }
    std::vector<std::uint8_t> copy(image.begin(), image.end());
    const auto code = testStartCode(act->zone, act->act);
    std::copy(code.begin(), code.end(), copy.begin() + *start);
    auto sum = computeChecksum(copy, profile.header);
    if (!sum) {
        return sum.error();
    }
    putWord(copy, static_cast<std::size_t>(profile.header.checksum), *sum);
    return copy;
}

}  // namespace orvex
