// objects-export/-import and rings-export/-import: a level's placements as JSON files.

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "rom/objectnames.h"
#include "rom/romidentity.h"
#include "terminalhost.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "tooljson.h"
#include "toolsupport.h"

namespace orvex {

namespace {

// The export keeps its fields in the order it writes them; the import looks fields up in a map.
using ExportJson = nlohmann::ordered_json;
using Json = nlohmann::json;

ExportJson objectJson(const ObjectPlacement& object) {
    return {{"x", object.x},
            {"y", object.y},
            {"id", object.id},
            {"subtype", object.subtype},
            {"xFlip", object.xFlip},
            {"yFlip", object.yFlip},
            {"rememberState", object.rememberState},
            {"twoPlayer", object.twoPlayer}};
}

ExportJson ringJson(const RingGroup& group) {
    return {{"x", group.x}, {"y", group.y}, {"count", group.count}, {"column", group.column}};
}

std::string byteText(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned{value});
    return text;
}

Result<ObjectPlacement> readObject(const Json& entry, std::size_t index, bool anyId) {
    const std::string what = "object " + std::to_string(index);
    EntryReader read(entry, what);
    ObjectPlacement object;
    object.x = read.number("x", 0, 0xFFFE);  // $FFFF ends the list
    object.y = read.number("y", 0, 0xFFF);
    object.id = static_cast<std::uint8_t>(read.number("id", 0, 0xFF));
    object.subtype = static_cast<std::uint8_t>(read.number("subtype", 0, 0xFF));
    object.xFlip = read.flag("xFlip");
    object.yFlip = read.flag("yFlip");
    object.rememberState = read.flag("rememberState");
    object.twoPlayer = read.flag("twoPlayer");
    if (!read.error().empty()) {
        return makeError(ErrorCode::OutOfRange, read.error());
    }
    if (!anyId && (object.id < kFirstObjectId || object.id > kLastObjectId)) {
        return makeError(ErrorCode::OutOfRange,
                         what + ", field \"id\" is " + byteText(object.id) +
                             ", an id the game has no code for (its object index has code for " +
                             byteText(kFirstObjectId) + " to " + byteText(kLastObjectId) +
                             "); pass --any-id to import it anyway");
    }
    return object;
}

Result<RingGroup> readRing(const Json& entry, std::size_t index) {
    EntryReader read(entry, "ring group " + std::to_string(index));
    RingGroup group;
    group.x = read.number("x", 0, 0x7FFF);  // bit 15 ends the list
    group.y = read.number("y", 0, 0xFFF);
    group.count = static_cast<std::uint8_t>(read.number("count", 1, kMaxRingsInGroup));
    group.column = read.flag("column");
    if (!read.error().empty()) {
        return makeError(ErrorCode::OutOfRange, read.error());
    }
    return group;
}

// The list under `key` of the file, each entry read by `readEntry`.
template <typename Entry, typename Reader>
Result<std::vector<Entry>> readEntries(const Json& file, const char* key, Reader readEntry) {
    const auto list = file.find(key);
    if (list == file.end() || !list->is_array()) {
        return makeError(ErrorCode::CorruptStream,
                         std::string("the file holds no \"") + key + "\" list");
    }
    std::vector<Entry> entries;
    for (std::size_t index = 0; index < list->size(); ++index) {
        auto entry = readEntry((*list)[index], index);
        if (!entry) {
            return entry.error();
        }
        entries.push_back(*entry);
    }
    return entries;
}

ExportJson levelJson(const LevelDocument& document) {
    return {{"level", document.level() + 1},
            {"zone", document.zoneAct().zone},
            {"act", document.zoneAct().act + 1}};
}

// "1 object", "3 ring groups".
std::string listCount(std::size_t count, bool objects) {
    return std::to_string(count) + (objects ? " object" : " ring group") + (count == 1 ? "" : "s");
}

// Whether the image has the list at all: without its directory there is no list to read or
// write.
bool hasList(const LevelDocument& document, bool objects) {
    return objects ? document.parts().objects.has_value() : document.parts().rings.has_value();
}

std::string noDirectory(bool objects) {
    return std::string("the image's ") + (objects ? "object" : "ring") + " directory was not found";
}

int exportList(const PlacementArgs& args, ToolIo& io, std::string_view command, bool objects) {
    auto level = openLevelFor(io, command, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    const LevelParts& parts = level->document->parts();
    if (!hasList(*level->document, objects)) {
        return reportFailure(io, command, args.rom, noDirectory(objects));
    }
    ExportJson file = levelJson(*level->document);
    ExportJson& list = file[objects ? "objects" : "rings"] = ExportJson::array();
    if (objects) {
        for (const ObjectPlacement& object : *parts.objects) {
            list.push_back(objectJson(object));
        }
    } else {
        for (const RingGroup& group : *parts.rings) {
            list.push_back(ringJson(group));
        }
    }
    if (Status written = writeJsonOutput(args.file, file, io.out, args.rom); !written) {
        return reportFailure(io, command, args.file, "cannot write the file", written.error());
    }
    io.summary(args.file) << "wrote " << listCount(list.size(), objects) << " of "
                          << levelName(args.level) << " to " << args.file.string() << '\n';
    return kExitOk;
}

// Puts the file's list into the document; returns how many entries it has.
Result<std::size_t> takeList(const Json& file, const PlacementArgs& args, LevelDocument& document,
                             bool objects) {
    if (Status level = checkFileLevel(file, args.level, args.anyLevel); !level) {
        return level.error();
    }
    if (objects) {
        auto list = readEntries<ObjectPlacement>(file, "objects",
                                                 [&](const Json& entry, std::size_t index) {
                                                     return readObject(entry, index, args.anyId);
                                                 });
        if (!list) {
            return list.error();
        }
        // As a save orders them, so that the level's own list read back compares equal.
        std::stable_sort(
            list->begin(), list->end(),
            [](const ObjectPlacement& a, const ObjectPlacement& b) { return a.x < b.x; });
        const std::size_t count = list->size();
        document.setObjects(std::move(*list));
        return count;
    }
    auto list = readEntries<RingGroup>(file, "rings", readRing);
    if (!list) {
        return list.error();
    }
    const std::size_t count = list->size();
    document.setRings(std::move(*list));
    return count;
}

int importList(const PlacementArgs& args, ToolIo& io, std::string_view command, bool objects) {
    auto level = openLevelFor(io, command, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    if (!hasList(document, objects)) {
        return reportFailure(
            io, command, args.rom,
            noDirectory(objects) + ", so it has no list to import into; nothing was written");
    }
    auto file = readJsonFile(args.file);
    auto count =
        file ? takeList(*file, args, document, objects) : Result<std::size_t>(file.error());
    if (!count) {
        return reportFailure(io, command, args.file,
                             std::string("cannot read the ") + (objects ? "objects" : "rings"),
                             count.error());
    }
    if (!document.isModified()) {
        io.out << levelName(args.level) << " already has these " << listCount(*count, objects)
               << "; nothing to save\n";
        return kExitOk;
    }
    TerminalHost host(io.in, io.out, io.err, io.showProgress, Answering::No);
    auto saved = level->source().save(
        document, &host, {.alwaysWriteLayout = false, .movePlacementLists = args.moveLists});
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
               << "object directory at " << offsetText(saved->moved->objects)
               << ", ring directory at " << offsetText(saved->moved->rings) << '\n';
    }
    io.out << "saved " << listCount(*count, objects) << " of " << levelName(args.level) << '\n';
    if (level->source().kind() == SourceKind::Project) {
        return reportProjectSave(io, command, args.rom, *saved);
    }
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
