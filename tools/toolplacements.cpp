// objects-export/-import and rings-export/-import: a level's placements as JSON files.

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "rom/romidentity.h"
#include "terminalhost.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "toolsupport.h"

namespace orvex {

namespace {

using Json = nlohmann::ordered_json;

// One field of one entry, checked against its range; the first bad one names itself.
class EntryReader {
public:
    EntryReader(const Json& entry, std::string what) : mEntry(entry), mWhat(std::move(what)) {}

    std::uint16_t number(const char* field, std::int64_t maximum) {
        const Json* value = find(field);
        if (value == nullptr) {
            return 0;
        }
        if (!value->is_number_integer() || value->get<std::int64_t>() < 0 ||
            value->get<std::int64_t>() > maximum) {
            fail(field, "must be a whole number from 0 to " + std::to_string(maximum));
            return 0;
        }
        return static_cast<std::uint16_t>(value->get<std::int64_t>());
    }

    bool flag(const char* field) {
        const Json* value = find(field);
        if (value != nullptr && !value->is_boolean()) {
            fail(field, "must be true or false");
            return false;
        }
        return value != nullptr && value->get<bool>();
    }

    [[nodiscard]] const std::string& error() const { return mError; }

private:
    const Json* find(const char* field) {
        if (!mEntry.is_object()) {
            fail(nullptr, "is not an object");
            return nullptr;
        }
        const auto found = mEntry.find(field);
        if (found == mEntry.end()) {
            fail(field, "is missing");
            return nullptr;
        }
        return &*found;
    }

    void fail(const char* field, const std::string& why) {
        if (mError.empty()) {
            mError = mWhat + (field != nullptr ? ", field \"" + std::string(field) + "\"" : "") +
                     " " + why;
        }
    }

    const Json& mEntry;
    std::string mWhat;
    std::string mError;
};

Json objectJson(const ObjectPlacement& object) {
    return {{"x", object.x},
            {"y", object.y},
            {"id", object.id},
            {"subtype", object.subtype},
            {"xFlip", object.xFlip},
            {"yFlip", object.yFlip},
            {"rememberState", object.rememberState},
            {"twoPlayer", object.twoPlayer}};
}

Json ringJson(const RingGroup& group) {
    return {{"x", group.x}, {"y", group.y}, {"count", group.count}, {"column", group.column}};
}

Result<ObjectPlacement> readObject(const Json& entry, std::size_t index) {
    EntryReader read(entry, "object " + std::to_string(index));
    ObjectPlacement object;
    object.x = read.number("x", 0xFFFE);  // $FFFF ends the list
    object.y = read.number("y", 0xFFF);
    object.id = static_cast<std::uint8_t>(read.number("id", 0xFF));
    object.subtype = static_cast<std::uint8_t>(read.number("subtype", 0xFF));
    object.xFlip = read.flag("xFlip");
    object.yFlip = read.flag("yFlip");
    object.rememberState = read.flag("rememberState");
    object.twoPlayer = read.flag("twoPlayer");
    if (!read.error().empty()) {
        return makeError(ErrorCode::OutOfRange, read.error());
    }
    return object;
}

Result<RingGroup> readRing(const Json& entry, std::size_t index) {
    EntryReader read(entry, "ring group " + std::to_string(index));
    RingGroup group;
    group.x = read.number("x", 0x7FFF);  // bit 15 ends the list
    group.y = read.number("y", 0xFFF);
    const std::uint16_t count = read.number("count", kMaxRingsInGroup);
    group.count = static_cast<std::uint8_t>(count);
    group.column = read.flag("column");
    if (read.error().empty() && count == 0) {
        return makeError(ErrorCode::OutOfRange,
                         "ring group " + std::to_string(index) +
                             ", field \"count\" must be a whole number from 1 to 8");
    }
    if (!read.error().empty()) {
        return makeError(ErrorCode::OutOfRange, read.error());
    }
    return group;
}

// The list under `key` of a JSON file, each entry read by `readEntry`.
template <typename Entry, typename Reader>
Result<std::vector<Entry>> readList(const std::filesystem::path& path, const char* key,
                                    Reader readEntry) {
    auto bytes = readWholeFile(path);
    if (!bytes) {
        return bytes.error();
    }
    Json file;
    try {
        file = Json::parse(bytes->begin(), bytes->end());
    } catch (const Json::parse_error& error) {  // its message names the line and column
        return makeError(ErrorCode::CorruptStream, error.what());
    }
    if (!file.is_object() || !file.contains(key) || !file[key].is_array()) {
        return makeError(ErrorCode::CorruptStream,
                         std::string("the file holds no \"") + key + "\" list");
    }
    std::vector<Entry> entries;
    for (std::size_t index = 0; index < file[key].size(); ++index) {
        auto entry = readEntry(file[key][index], index);
        if (!entry) {
            return entry.error();
        }
        entries.push_back(*entry);
    }
    return entries;
}

struct OpenLevel {
    RomImage rom;
    std::unique_ptr<LevelDocument> document;
};

Result<OpenLevel> openLevel(const std::filesystem::path& path, std::int16_t level) {
    RomImage rom(path);
    auto identified = readIdentifiedRom(rom);
    if (!identified) {
        return identified.error();
    }
    auto loaded = loadDocument(identified->bytes, identified->identity.profile, level);
    if (!loaded) {
        return loaded.error();
    }
    return OpenLevel{std::move(rom), std::move(loaded->document)};
}

Json levelJson(const LevelDocument& document) {
    return {{"level", document.level() + 1},
            {"zone", document.zoneAct().zone},
            {"act", document.zoneAct().act + 1}};
}

int exportList(const PlacementArgs& args, ToolIo& io, std::string_view command, bool objects) {
    auto level = openLevel(args.rom, args.level);
    if (!level) {
        return reportFailure(io, command, args.rom, "cannot load " + levelName(args.level),
                             level.error());
    }
    const LevelParts& parts = level->document->parts();
    if (objects ? !parts.objects : !parts.rings) {
        return reportFailure(io, command, args.rom,
                             std::string("the image's ") + (objects ? "object" : "ring") +
                                 " directory was not found");
    }
    Json file = levelJson(*level->document);
    Json& list = file[objects ? "objects" : "rings"] = Json::array();
    if (objects) {
        for (const ObjectPlacement& object : *parts.objects) {
            list.push_back(objectJson(object));
        }
    } else {
        for (const RingGroup& group : *parts.rings) {
            list.push_back(ringJson(group));
        }
    }
    const std::string text = file.dump(2) + "\n";
    if (Status written = writeOutput(args.file, std::vector<std::uint8_t>(text.begin(), text.end()),
                                     io.out, args.rom);
        !written) {
        return reportFailure(io, command, args.file, "cannot write the file", written.error());
    }
    io.summary(args.file) << "wrote " << list.size() << (objects ? " objects" : " ring groups")
                          << " of " << levelName(args.level) << " to " << args.file.string()
                          << '\n';
    return kExitOk;
}

int importList(const PlacementArgs& args, ToolIo& io, std::string_view command, bool objects) {
    auto level = openLevel(args.rom, args.level);
    if (!level) {
        return reportFailure(io, command, args.rom, "cannot load " + levelName(args.level),
                             level.error());
    }
    LevelDocument& document = *level->document;
    std::size_t count = 0;
    if (objects) {
        auto list = readList<ObjectPlacement>(args.file, "objects", readObject);
        if (!list) {
            return reportFailure(io, command, args.file, "cannot read the objects", list.error());
        }
        count = list->size();
        document.setObjects(std::move(*list));
    } else {
        auto list = readList<RingGroup>(args.file, "rings", readRing);
        if (!list) {
            return reportFailure(io, command, args.file, "cannot read the rings", list.error());
        }
        count = list->size();
        document.setRings(std::move(*list));
    }
    TerminalHost host(io.in, io.out, io.err, io.showProgress, Answering::No);
    auto saved = saveDocument(level->rom, document, &host,
                              {.alwaysWriteLayout = false, .movePlacementLists = args.moveLists});
    if (!saved) {
        Error error = saved.error();
        if (error.code == ErrorCode::ListsMustMove) {
            error.message += ". Nothing was written; run again with --move-lists to move them";
        }
        return reportFailure(io, command, args.rom,
                             "cannot save the placements of " + levelName(args.level), error);
    }
    if (saved->moved) {
        io.out << "moved the object and ring lists of every level to the end of the ROM: "
               << "object directory at " << hexOffset(saved->moved->objects)
               << ", ring directory at " << hexOffset(saved->moved->rings) << '\n';
    }
    io.out << "saved " << count << (objects ? " objects" : " ring groups") << " of "
           << levelName(args.level) << '\n';
    reportBackups(io, saved->written);
    return kExitOk;
}

}  // namespace

int runObjectsExport(const PlacementArgs& args, ToolIo& io) {
    return exportList(args, io, "objects-export", true);
}

int runObjectsImport(const PlacementArgs& args, ToolIo& io) {
    return importList(args, io, "objects-import", true);
}

int runRingsExport(const PlacementArgs& args, ToolIo& io) {
    return exportList(args, io, "rings-export", false);
}

int runRingsImport(const PlacementArgs& args, ToolIo& io) {
    return importList(args, io, "rings-import", false);
}

}  // namespace orvex
