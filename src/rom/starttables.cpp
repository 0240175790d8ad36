#include "rom/starttables.h"

#include <algorithm>
#include <string_view>

#include "common/error.h"
#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "rom/codepatterns.h"
#include "rom/levelformat.h"
#include "rom/objectart.h"

namespace orvex {

namespace {

constexpr std::int32_t kChunkRamBytes = 0x1800;    // $300 chunks at RAM $FFFF9000
constexpr std::uint16_t kChunkTableWord = 0x9000;  // its address as a short address word
constexpr std::int32_t kZoneWords = 2 * kZoneCount;
constexpr std::int32_t kAnimationTableBytes = 4 * kZoneCount;
constexpr std::int32_t kMaxScripts = 8;
constexpr std::int32_t kScriptHeaderBytes = 8;
constexpr std::uint8_t kPerFrameDurations = 0x80;
constexpr std::int32_t kCliffPieceBytes = 0x80;  // 4 tiles, copied over a block's mappings
constexpr std::int32_t kRingMappingBytes = 8 * 2 + 8 * kSpritePieceBytes;
constexpr std::int32_t kUnderwaterLongs = 0x20;  // all four lines

// The zones whose animation routine runs a script list (normal, Hill Top's, Casino Night's,
// Aquatic Ruin's); the others' list word points at no list.
constexpr std::array<std::uint8_t, 10> kScriptZones = {0, 4, 5, 7, 8, 10, 12, 13, 14, 15};

// How a match of an instruction sequence holds the value, counted from the match's first byte.
enum class Read {
    Long,    // the long at `at`
    Word,    // the word at `at`
    Byte,    // the byte at `at` (an immediate operand)
    PcByte,  // (d8,PC,Xn): the extension word's address (at - 1) plus the signed byte at `at`
    PcWord,  // (d16,PC): the address of the word at `at` plus that signed word
};

struct Lookup {
    std::string_view bytes;
    std::int32_t at = 0;
    Read read = Read::Long;
};

// Every instruction sequence searched, in one pass; the second form of the cliff offsets and of
// the animal table is the absolute one some builds have.
enum Code : std::size_t {
    kHillTopArtCode,
    kHillTopFirstTileCode,
    kHillTopCopyCode,
    kWingFortressArtCode,
    kWingFortressFirstTileCode,
    kWingFortressCopyCode,
    kDeathEggCopyCode,
    kHillTopChunksCode,
    kHillTopChunkPlaceCode,
    kChunkRecordsCode,
    kAnimationsCode,
    kCliffArtCode,
    kCliffOffsetsCode,
    kCliffOffsetsLongCode,
    kCloudArtCode,
    kSlotPicturesCode,
    kAnimalCuesCode,
    kAnimalCuesJsrCode,
    kUnderwaterHiddenPalaceCode,
    kUnderwaterChemicalPlantCode,
    kUnderwaterOthersCode,
    kRingMappingsCode,
    kRingArtWordCode,
    kPaletteCyclesCode,
    kCodeCount,
};

// The sequences, as the level loader, LoadAnimatedBlocks, the animation and level event code
// have them. Entries that share bytes read another operand of the same sequence.
constexpr std::string_view kHillTopArt = "0C38 0007 FE10 66?? 41F9 ???????? 43F9 FFFF 3F80";
constexpr std::string_view kWingFortressArt = "0C38 0006 FE10 66?? 41F9 ???????? 43F9 FFFF 60E0";
constexpr std::string_view kHillTopChunks = "0C38 0007 FE10 66?? 43F8 9980 41F9 ????????";
constexpr std::string_view kUnderwaterIds =
    "70?? 0C38 0008 FE10 67?? 70?? 0C38 000D FE10 67?? 70??";
constexpr std::array<Lookup, kCodeCount> kLookups = {{
    {kHillTopArt, 10, Read::Long},
    {kHillTopArt, 18, Read::Word},
    {"43F9 FFFF 3F80 ???? ???? 363C ????", 12, Read::Word},
    {kWingFortressArt, 10, Read::Long},
    {kWingFortressArt, 18, Read::Word},
    {"43F9 FFFF 60E0 ???? ???? 363C ????", 12, Read::Word},
    {"0C38 000E FE10 6604 363C ????", 10, Read::Word},
    {kHillTopChunks, 14, Read::Long},
    {kHillTopChunks, 10, Read::Word},
    {"1038 FE10 D040 303B 00?? 41FB 00?? 4A78 FFD8", 9, Read::PcByte},
    {"D040 D040 323B 00?? 45FB 10?? 303B 00?? 4EFB 00??", 15, Read::PcByte},
    {"41F9 ???????? 49F8 B800", 2, Read::Long},
    {"43F8 B800 49FA ????", 6, Read::PcWord},
    {"43F8 B800 49F9 ????????", 6, Read::Long},
    {"41F9 ???????? 45F9 FFFF 7C00", 2, Read::Long},
    {"0240 0007 EE58 45F9 ????????", 8, Read::Long},
    {"7002 6100 ???? 7000 1038 FE10 103B 00??", 15, Read::PcByte},
    {"7002 4EB9 ???????? 7000 1038 FE10 103B 00??", 17, Read::PcByte},
    {kUnderwaterIds, 1, Read::Byte},
    {kUnderwaterIds, 11, Read::Byte},
    {kUnderwaterIds, 21, Read::Byte},
    {"0642 0078 43F9 ???????? 7200 1228 0001", 6, Read::Long},
    {"3019 0640 ???? 34C0 5449", 4, Read::Word},
    {"7400 7000 1038 FE10 D040 303B 00?? 4EFB 00??", 13, Read::PcByte},
}};

std::optional<std::int32_t> readValue(ByteSpan image, std::int32_t match, const Lookup& lookup) {
    const std::int64_t at = std::int64_t{match} + lookup.at;
    switch (lookup.read) {
        case Read::Long: {
            auto value = readLong(image, at);
            return value ? std::optional<std::int32_t>(*value) : std::nullopt;
        }
        case Read::Word: {
            auto value = readWord(image, at);
            return value ? std::optional<std::int32_t>(*value) : std::nullopt;
        }
        case Read::Byte: {
            auto value = readByte(image, at);
            return value ? std::optional<std::int32_t>(*value) : std::nullopt;
        }
        case Read::PcByte: {
            auto value = readByte(image, at);
            return value ? std::optional<std::int32_t>(
                               static_cast<std::int32_t>(at - 1 + static_cast<std::int8_t>(*value)))
                         : std::nullopt;
        }
        case Read::PcWord: {
            auto value = readWord(image, at);
            return value ? std::optional<std::int32_t>(
                               static_cast<std::int32_t>(at + static_cast<std::int16_t>(*value)))
                         : std::nullopt;
        }
    }
    return std::nullopt;
}

// What the code gives for one value: the value and the first match, or why there is none.
struct Named {
    std::optional<std::int32_t> value;
    std::optional<std::int32_t> codeAt;
    std::string problem;
};

// One value from every match of its sequence: a sequence the game has once must match once;
// `several` allows more matches, which must then agree.
Named nameValue(ByteSpan image, const std::vector<std::int32_t>& matches, const Lookup& lookup,
                bool several = false) {
    if (matches.empty()) {
        return {std::nullopt, std::nullopt, "not found: its code was not found"};
    }
    const std::string times = std::to_string(matches.size()) + " times";
    if (matches.size() > 1 && !several) {
        return {std::nullopt, matches.front(), "not found: its code appears " + times};
    }
    std::optional<std::int32_t> agreed;
    for (const std::int32_t match : matches) {
        const auto value = readValue(image, match, lookup);
        if (!value) {
            return {std::nullopt, match,
                    "the code at " + hexOffset(match) + " names no place inside the image"};
        }
        if (agreed && *agreed != *value) {
            return {std::nullopt, matches.front(),
                    "not found: its code appears " + times + " with different values"};
        }
        agreed = value;
    }
    return {agreed, matches.front(), {}};
}

std::string namedBy(const Named& named) {
    return "the code at " + hexOffset(named.codeAt.value_or(0)) + " names " +
           hexOffset(*named.value);
}

// Why `bytes` bytes at the named address cannot be the table, if they cannot: outside the
// image, or at an odd address where `even` (word data, which the processor cannot read there).
std::optional<std::string> placeFault(ByteSpan image, const Named& named, std::int64_t bytes,
                                      bool even) {
    const std::int32_t at = *named.value;
    if (at < 0 || static_cast<std::size_t>(at) >= image.size()) {
        return namedBy(named) + ", past the end of the image";
    }
    if (even && at % 2 != 0) {
        return namedBy(named) + ", an odd address";
    }
    if (!fitsIn(image.size(), at, bytes)) {
        return namedBy(named) + ", whose " + std::to_string(bytes) +
               " bytes run past the end of the image";
    }
    return std::nullopt;
}

// A byte length the loader copies to video memory, as a count of whole tiles.
std::optional<std::string> copyFault(std::int32_t bytes) {
    if (bytes == 0 || bytes % kTileBytes != 0) {
        return "the loader copies " + hexOffset(bytes) + " bytes, not a whole number of tiles";
    }
    return std::nullopt;
}

// The number of whole units of `unit` bytes the Kosinski stream at `at` decodes to.
Result<std::int32_t> decodedUnits(ByteSpan image, std::int32_t at, std::int32_t unit,
                                  std::string_view what) {
    auto decoded = decompressKosinski(image, at);
    if (!decoded) {
        return makeError(
            ErrorCode::CorruptStream,
            "its stream at " + hexOffset(at) + " does not decode: " + decoded.error().describe());
    }
    const auto size = static_cast<std::int32_t>(decoded->data.size());
    if (decoded->weirdOffset) {
        return makeError(ErrorCode::CorruptStream,
                         "its stream at " + hexOffset(at) + " copies from before its start");
    }
    if (size % unit != 0) {
        return makeError(ErrorCode::CorruptStream, "its stream at " + hexOffset(at) +
                                                       " decodes to " + std::to_string(size) +
                                                       " bytes, not whole " + std::string(what));
    }
    return size / unit;
}

std::string hexCount(std::int32_t count, std::string_view what) {
    return hexOffset(count) + " " + std::string(what);
}

class Locator {
public:
    Locator(ByteSpan image, const RomProfile& profile) : mImage(image), mProfile(profile) {
        std::vector<std::vector<std::int16_t>> patterns;
        for (const Lookup& lookup : kLookups) {
            patterns.push_back(parsePattern(lookup.bytes));
        }
        mMatches = findPatterns(image, patterns);
    }

    LocatedStartTables run() {
        locateExtraArt();
        locateDeathEgg();
        locateExtraChunks();
        locateChunkRecords();
        locateAnimations();
        locateHillTop();
        locateSlotPictures();
        locateAnimalCues();
        locateUnderwater();
        locateRing();
        locatePaletteCycles();
        return std::move(mLocated);
    }

private:
    [[nodiscard]] Named named(Code code, bool several = false) const {
        return nameValue(mImage, mMatches[code], kLookups[code], several);
    }

    // The value of exactly one of two forms of a sequence.
    [[nodiscard]] Named namedEither(Code first, Code second) const {
        if (!mMatches[first].empty() && !mMatches[second].empty()) {
            return {std::nullopt, mMatches[first].front(),
                    "not found: its code appears in two forms"};
        }
        return named(mMatches[first].empty() ? second : first);
    }

    void report(std::string name, const Named& named, std::string shown = {},
                std::optional<std::int32_t> offset = {}) {
        StartTableReport line;
        line.name = std::move(name);
        line.codeAt = named.codeAt;
        if (named.value) {
            line.offset = offset ? offset : named.value;
            line.found = shown.empty() ? hexOffset(*named.value) : std::move(shown);
        } else {
            line.problem = named.problem;
        }
        mLocated.reports.push_back(std::move(line));
    }

    // Marks `named` failed with `problem` when there is one; true if it still stands.
    static bool keep(Named& named, const std::optional<std::string>& problem) {
        if (named.value && problem) {
            named.value.reset();
            named.problem = *problem;
        }
        return named.value.has_value();
    }

    // A stream decoded at its first tile, then the tiles copied from tile 0: they must meet.
    [[nodiscard]] std::optional<std::string> artFault(std::int32_t stream, std::int32_t first,
                                                      std::int32_t copied) const {
        auto tiles = decodedUnits(mImage, stream, kTileBytes, "tiles");
        if (!tiles) {
            return tiles.error().message;
        }
        if (first + *tiles != copied) {
            return "decodes to " + std::to_string(*tiles) + " tiles from tile " + hexOffset(first) +
                   ", but the loader copies " + std::to_string(copied);
        }
        return std::nullopt;
    }

    // The extra art and the copy length stand or fall together.
    void locateArt(std::string_view zone, Code art, Code firstTile, Code copy,
                   std::optional<ExtraStream>& stream, std::optional<std::int32_t>& copied) {
        Named named = this->named(art);
        Named length = this->named(copy);
        const std::int32_t first = this->named(firstTile).value.value_or(0) / kTileBytes;
        keep(length, length.value ? copyFault(*length.value) : std::nullopt);
        keep(named, placeFault(mImage, named, 1, false));
        const std::int32_t tiles = length.value.value_or(0) / kTileBytes;
        if (named.value && length.value) {
            const auto fault = artFault(*named.value, first, tiles);
            keep(named, fault);
            keep(length, fault);
        } else {
            keep(named, "its copy length: " + length.problem);
            keep(length, "its art: " + named.problem);
        }
        if (named.value) {
            stream = ExtraStream{*named.value, first};
            copied = tiles;
        }
        report(std::string(zone) + " extra art", named,
               hexOffset(named.value.value_or(0)) + ", first tile " + hexOffset(first));
        report(std::string(zone) + " copied tiles", length, hexCount(tiles, "tiles"), tiles);
    }

    void locateExtraArt() {
        locateArt("Hill Top", kHillTopArtCode, kHillTopFirstTileCode, kHillTopCopyCode,
                  mLocated.tables.hillTopArt, mLocated.tables.hillTopCopiedTiles);
        locateArt("Wing Fortress", kWingFortressArtCode, kWingFortressFirstTileCode,
                  kWingFortressCopyCode, mLocated.tables.wingFortressArt,
                  mLocated.tables.wingFortressCopiedTiles);
    }

    void locateDeathEgg() {
        Named length = named(kDeathEggCopyCode);
        if (keep(length, length.value ? copyFault(*length.value) : std::nullopt)) {
            mLocated.tables.deathEggCopiedTiles = *length.value / kTileBytes;
        }
        report("Death Egg copied tiles", length,
               hexCount(length.value.value_or(0) / kTileBytes, "tiles"),
               length.value.value_or(0) / kTileBytes);
    }

    void locateExtraChunks() {
        Named named = this->named(kHillTopChunksCode);
        const Named place = this->named(kHillTopChunkPlaceCode);
        const std::int32_t into = place.value.value_or(0) - kChunkTableWord;
        const std::int32_t first = into / kChunkBytes;
        if (keep(named, placeFault(mImage, named, 1, false))) {
            auto chunks = decodedUnits(mImage, *named.value, kChunkBytes, "chunks");
            if (!chunks) {
                keep(named, chunks.error().message);
            } else if (into < 0 || into + *chunks * kChunkBytes > kChunkRamBytes) {
                keep(named, "its " + std::to_string(*chunks) + " chunks from chunk " +
                                hexOffset(first) + " run past the chunk table");
            } else {
                mLocated.tables.hillTopChunks = ExtraStream{*named.value, first};
            }
        }
        report("Hill Top extra chunks", named,
               hexOffset(named.value.value_or(0)) + ", first chunk " + hexOffset(first));
    }

    // A record: word D (chunk table byte), word N (data words - 1), the data; or the word 0.
    [[nodiscard]] std::optional<std::string> recordFault(std::int32_t zone,
                                                         std::int32_t record) const {
        const std::string where =
            "the record of zone " + std::to_string(zone) + " at " + hexOffset(record);
        auto into = readWord(mImage, record);
        if (record % 2 != 0 || !into) {
            return where + (into ? " lies at an odd address" : " lies past the end of the image");
        }
        if (*into == 0) {
            return std::nullopt;
        }
        auto words = readWord(mImage, std::int64_t{record} + 2);
        const std::int32_t bytes = 2 * (std::int32_t{words ? *words : 0} + 1);
        if (!words || !fitsIn(mImage.size(), std::int64_t{record} + 4, bytes)) {
            return where + " runs past the end of the image";
        }
        if (*into % 2 != 0 || *into + bytes > kChunkRamBytes) {
            return where + " writes past the end of the chunk table";
        }
        return std::nullopt;
    }

    [[nodiscard]] std::optional<std::string> recordsFault(std::int32_t table) const {
        for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
            const auto offset = readWord(mImage, std::int64_t{table} + 2 * zone);
            const std::int32_t record = table + static_cast<std::int16_t>(*offset);
            if (auto fault = recordFault(zone, record)) {
                return fault;
            }
        }
        return std::nullopt;
    }

    void locateChunkRecords() {
        Named named = this->named(kChunkRecordsCode);
        if (keep(named, placeFault(mImage, named, kZoneWords, true)) &&
            keep(named, recordsFault(*named.value))) {
            mLocated.tables.chunkRecords = named.value;
        }
        report("chunk records", named);
    }

    // A script: duration, 24-bit art address, destination, frames, tiles a frame, frame list.
    [[nodiscard]] std::optional<std::string> scriptFault(std::int32_t script,
                                                         std::int32_t& next) const {
        const std::string where = "the script at " + hexOffset(script);
        if (!fitsIn(mImage.size(), script, kScriptHeaderBytes)) {
            return where + " runs past the end of the image";
        }
        const auto at = static_cast<std::size_t>(script);
        const bool perFrame = (mImage[at] & kPerFrameDurations) != 0;
        const std::int32_t art = (std::int32_t{mImage[at + 1]} << 16) |
                                 (std::int32_t{mImage[at + 2]} << 8) | mImage[at + 3];
        const std::int32_t frames = mImage[at + 6];
        const std::int32_t tiles = mImage[at + 7];
        std::int32_t list = perFrame ? 2 * frames : frames;
        list += list % 2;
        next = script + kScriptHeaderBytes + list;
        if (!fitsIn(mImage.size(), std::int64_t{script} + kScriptHeaderBytes, list)) {
            return where + " runs past the end of the image";
        }
        std::int32_t last = 0;
        for (std::int32_t frame = 0; frame < frames; ++frame) {
            const std::int32_t entry = kScriptHeaderBytes + (perFrame ? 2 * frame : frame);
            last = std::max<std::int32_t>(last, mImage[at + static_cast<std::size_t>(entry)]);
        }
        if (!fitsIn(mImage.size(), art, std::int64_t{last + tiles} * kTileBytes)) {
            return where + " names art at " + hexOffset(art) + ", past the end of the image";
        }
        return std::nullopt;
    }

    [[nodiscard]] std::optional<std::string> scriptListFault(std::int32_t table,
                                                             std::uint8_t zone) const {
        const auto offset = readWord(mImage, std::int64_t{table} + 4 * zone + 2);
        const std::int32_t list = table + static_cast<std::int16_t>(*offset);
        const std::string where =
            "the script list of zone " + std::to_string(zone) + " at " + hexOffset(list);
        auto count = readWord(mImage, list);
        if (list % 2 != 0 || !count || *count >= kMaxScripts) {
            return where + (list % 2 != 0 ? " lies at an odd address"
                            : !count      ? " lies past the end of the image"
                                          : " holds more than 8 scripts");
        }
        std::int32_t script = list + 2;
        for (std::int32_t s = 0; s <= *count; ++s) {
            if (auto fault = scriptFault(script, script)) {
                return fault;
            }
        }
        return std::nullopt;
    }

    void locateAnimations() {
        Named named = this->named(kAnimationsCode);
        if (keep(named, placeFault(mImage, named, kAnimationTableBytes, true))) {
            for (const std::uint8_t zone : kScriptZones) {
                if (!keep(named, scriptListFault(*named.value, zone))) {
                    break;
                }
            }
        }
        mLocated.tables.animations = named.value;
        report("animations", named);
    }

    [[nodiscard]] std::optional<std::string> cliffArtFault(std::int32_t at) const {
        auto count = nemesisTileCount(mImage, at);
        if (!count || *count != kCliffTiles) {
            return "its Nemesis art at " + hexOffset(at) + " holds " +
                   (count ? std::to_string(*count) : std::string("no")) + " tiles, not " +
                   std::to_string(kCliffTiles);
        }
        auto decoded = decompressNemesis(mImage, at, kCliffTiles);
        if (!decoded) {
            return "its Nemesis art at " + hexOffset(at) +
                   " does not decode: " + decoded.error().describe();
        }
        return std::nullopt;
    }

    [[nodiscard]] std::optional<std::string> cliffOffsetsFault(std::int32_t table) const {
        for (std::int32_t word = 0; word < kCliffOffsetWords; ++word) {
            const auto offset = readWord(mImage, std::int64_t{table} + 2 * word);
            if (*offset % kCliffPieceBytes != 0 || *offset >= kBlockMappingsSize) {
                return "its word " + std::to_string(word) + " (" + hexOffset(*offset) +
                       ") names no place of the block table";
            }
        }
        return std::nullopt;
    }

    void locateHillTop() {
        Named art = named(kCliffArtCode);
        if (keep(art, placeFault(mImage, art, 1, false)) && keep(art, cliffArtFault(*art.value))) {
            mLocated.tables.hillTopCliffArt = art.value;
        }
        report("Hill Top cliff art", art);
        Named offsets = namedEither(kCliffOffsetsCode, kCliffOffsetsLongCode);
        if (keep(offsets, placeFault(mImage, offsets, 2 * kCliffOffsetWords, true)) &&
            keep(offsets, cliffOffsetsFault(*offsets.value))) {
            mLocated.tables.hillTopCliffOffsets = offsets.value;
        }
        report("Hill Top cliff offsets", offsets);
        Named clouds = named(kCloudArtCode);
        if (keep(clouds, placeFault(mImage, clouds, kCloudArtBytes, true))) {
            mLocated.tables.hillTopCloudArt = clouds.value;
        }
        report("Hill Top cloud art", clouds);
    }

    void locateSlotPictures() {
        Named named = this->named(kSlotPicturesCode);
        if (keep(named, placeFault(mImage, named, kSlotPictureBytes, true))) {
            mLocated.tables.slotPictures = named.value;
        }
        report("slot pictures", named);
    }

    [[nodiscard]] std::optional<std::string> animalFault(std::int32_t table) const {
        for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
            const std::uint8_t list = mImage[static_cast<std::size_t>(table + zone)];
            if (list >= kArtCueListCount) {
                return "its byte for zone " + std::to_string(zone) + " names cue list " +
                       hexOffset(list) + ", past the last";
            }
        }
        return std::nullopt;
    }

    void locateAnimalCues() {
        Named named = namedEither(kAnimalCuesCode, kAnimalCuesJsrCode);
        if (keep(named, placeFault(mImage, named, kZoneCount, false)) &&
            keep(named, animalFault(*named.value))) {
            mLocated.tables.animalCues = named.value;
        }
        report("animal cue lists", named);
    }

    // An id must name an entry of the palette pointer table whose colours lie in the image.
    [[nodiscard]] std::optional<std::string> paletteFault(std::int32_t id) const {
        const std::int64_t entry =
            std::int64_t{mProfile.palettePointerTable} + kPalettePointerEntrySize * id;
        auto source = readLong(mImage, entry);
        if (!source || !fitsIn(mImage.size(), *source, 4 * kUnderwaterLongs)) {
            return "palette " + hexOffset(id) + " names no colours inside the image";
        }
        return std::nullopt;
    }

    void locateUnderwater() {
        std::array<Named, 3> ids = {named(kUnderwaterHiddenPalaceCode, true),
                                    named(kUnderwaterChemicalPlantCode, true),
                                    named(kUnderwaterOthersCode, true)};
        Named all = ids[0];
        for (const Named& id : ids) {
            if (!id.value) {
                all = id;
                break;
            }
        }
        for (const Named& id : ids) {
            keep(all, all.value ? paletteFault(*id.value) : std::nullopt);
        }
        std::string shown;
        if (all.value) {
            std::array<std::uint8_t, 3> numbers{};
            for (std::size_t i = 0; i < ids.size(); ++i) {
                numbers[i] = static_cast<std::uint8_t>(*ids[i].value);
                shown += (i == 0 ? "palettes " : ", ") + hexOffset(numbers[i]);
            }
            mLocated.tables.underwaterPalettes = numbers;
        }
        report("underwater palettes", all, shown);
    }

    void locateRing() {
        Named mappings = named(kRingMappingsCode);
        if (keep(mappings, placeFault(mImage, mappings, kRingMappingBytes, true))) {
            mLocated.tables.ringMappings = mappings.value;
        }
        report("ring mappings", mappings);
        const Named art = named(kRingArtWordCode);
        if (art.value) {
            mLocated.tables.ringArtWord = static_cast<std::uint16_t>(*art.value);
        }
        report("ring art word", art);
    }

    void locatePaletteCycles() {
        Named named = this->named(kPaletteCyclesCode);
        if (keep(named, placeFault(mImage, named, kZoneWords, true))) {
            mLocated.tables.paletteCycles = named.value;
        }
        report("palette cycles", named);
    }

    ByteSpan mImage;
    const RomProfile& mProfile;
    std::vector<std::vector<std::int32_t>> mMatches;
    LocatedStartTables mLocated;
};

}  // namespace

std::vector<std::string> LocatedStartTables::missing() const {
    std::vector<std::string> names;
    for (const StartTableReport& report : reports) {
        if (!report.offset) {
            names.push_back(report.name);
        }
    }
    return names;
}

LocatedStartTables locateStartTables(ByteSpan image, const RomProfile& profile) {
    return Locator(image, profile).run();
}

}  // namespace orvex
