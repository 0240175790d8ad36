// collision-export and collision-import: a level's two collision indexes (a shape id per chunk
// and path) as a JSON file.

#include <nlohmann/json.hpp>

#include <algorithm>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "document/documentsaver.h"
#include "document/sharing.h"
#include "rom/collisiontables.h"
#include "terminalhost.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "tooljson.h"
#include "toolsupport.h"

namespace orvex {

namespace {

using ExportJson = nlohmann::ordered_json;
using Json = nlohmann::json;

constexpr std::array<const char*, kCollisionPaths> kPathFields = {"path1", "path2"};

// What the load said of the level's collision indexes, a sentence each.
std::string indexWarnings(const OpenLevel& level) {
    std::string said;
    for (const std::string& warning : level.warnings) {
        if (warning.find("collision index") != std::string::npos) {
            said += " " + warning;
        }
    }
    return said;
}

// Both pointer tables are needed to name the indexes at all; an export needs both indexes read
// whole for its file to mean anything.
Status checkLoaded(const OpenLevel& level, bool whole) {
    const LevelDocument& document = *level.document;
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        if (!collisionPointerTable(document.profile(), path)) {
            return makeError(ErrorCode::NotLoaded,
                             "the image has no " + std::string(partName(collisionPart(path))) +
                                 " index pointers (the code that names them was not found)");
        }
        if (whole && !document.collisionLoaded(path)) {
            return makeError(ErrorCode::NotLoaded,
                             "the " + std::string(partName(collisionPart(path))) + " index of " +
                                 levelName(document.level()) + " was not read whole." +
                                 indexWarnings(level) +
                                 " Import a whole index with collision-import to replace it");
        }
    }
    return {};
}

// The other levels (numbered from 1) that read either of the level's indexes.
ExportJson sharedWith(ByteSpan image, const LevelDocument& document) {
    std::vector<std::int16_t> levels;
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        for (const LevelPath& reader :
             pathsSharing(image, document.profile(), document.level(), path)) {
            if (reader.level != document.level() &&
                std::find(levels.begin(), levels.end(), reader.level) == levels.end()) {
                levels.push_back(reader.level);
            }
        }
    }
    std::sort(levels.begin(), levels.end());
    ExportJson list = ExportJson::array();
    for (const std::int16_t level : levels) {
        list.push_back(level + 1);
    }
    return list;
}

ExportJson collisionJson(ByteSpan image, const LevelDocument& document) {
    ExportJson chunks = ExportJson::array();
    const auto& collision = document.parts().collision;
    for (std::size_t chunk = 0; chunk < static_cast<std::size_t>(kCollisionIndexSize); ++chunk) {
        chunks.push_back({{"path1", collision[0][chunk]}, {"path2", collision[1][chunk]}});
    }
    return {{"level", document.level() + 1},
            {"sharedWith", sharedWith(image, document)},
            {"chunks", std::move(chunks)}};
}

using Indexes = std::array<std::vector<std::uint8_t>, kCollisionPaths>;

// The file's two indexes, every field checked; the first bad one names itself. A level whose
// paths read one index must give each chunk one shape.
Result<Indexes> readIndexes(const Json& file, const ArtArgs& args, bool oneIndex) {
    if (Status level = checkFileLevel(file, args.level, args.anyLevel); !level) {
        return level.error();
    }
    const auto list = file.find("chunks");
    if (list == file.end() || !list->is_array()) {
        return makeError(ErrorCode::CorruptStream, "the file holds no \"chunks\" list");
    }
    if (list->size() != static_cast<std::size_t>(kCollisionIndexSize)) {
        return makeError(ErrorCode::OutOfRange,
                         "the \"chunks\" list holds " + std::to_string(list->size()) +
                             " entries; the game reads exactly " +
                             std::to_string(kCollisionIndexSize) + ", one per chunk");
    }
    Indexes indexes;
    for (std::size_t chunk = 0; chunk < list->size(); ++chunk) {
        EntryReader read((*list)[chunk], "chunk " + std::to_string(chunk));
        for (std::size_t path = 0; path < indexes.size(); ++path) {
            indexes[path].push_back(
                static_cast<std::uint8_t>(read.number(kPathFields[path], 0, kShapeCount - 1)));
        }
        if (!read.error().empty()) {
            return makeError(ErrorCode::OutOfRange, read.error());
        }
        if (oneIndex && indexes[0].back() != indexes[1].back()) {
            return makeError(ErrorCode::OutOfRange, "chunk " + std::to_string(chunk) +
                                                        ": \"path1\" and \"path2\" differ, but " +
                                                        levelName(args.level) +
                                                        " reads one index for both paths");
        }
    }
    return indexes;
}

// "level 1 path 1, level 2 path 1 and level 11 paths 1 and 2".
std::string readersText(const std::vector<LevelPath>& readers) {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < readers.size(); ++i) {
        const bool both = i + 1 < readers.size() && readers[i + 1].level == readers[i].level;
        items.push_back("level " + std::to_string(readers[i].level + 1) +
                        (both ? " paths 1 and 2" : " path " + std::to_string(readers[i].path + 1)));
        i += both ? 1 : 0;
    }
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

// A line for each index the save wrote, naming every level and path that reads it.
void reportReaders(ToolIo& io, const SaveReport& saved, ByteSpan image,
                   const LevelDocument& document) {
    for (const MovedStream& moved : saved.movedArt) {
        io.out << "moved the " << partName(moved.part) << " index to " << offsetText(moved.to)
               << " at the end of the ROM (it no longer fit its place at " << offsetText(moved.from)
               << "); every collision pointer that named it points there\n";
    }
    std::vector<LevelPath> named;
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        const LevelPath own{document.level(), path};
        if (saved.find(collisionPart(path)) == nullptr &&
            !(path == 1 && document.pathsShareIndex() && saved.find(collisionPart(0)))) {
            continue;
        }
        if (std::find(named.begin(), named.end(), own) != named.end()) {
            continue;
        }
        const auto readers = pathsSharing(image, document.profile(), document.level(), path);
        named.insert(named.end(), readers.begin(), readers.end());
        io.out << "changed the collision index read by " << readersText(readers) << '\n';
    }
}

// The file at `path`, or standard input for "-", parsed as JSON.
Result<Json> readJsonInput(const std::filesystem::path& path, std::istream& in) {
    if (!isStandardOutput(path)) {
        return readJsonFile(path);
    }
    std::vector<std::uint8_t> text;
    char c = 0;
    while (in.get(c)) {
        if (static_cast<std::int64_t>(text.size()) >= kMaxJsonFileSize) {
            return makeError(ErrorCode::FileOpen, "standard input holds more than " +
                                                      std::to_string(kMaxJsonFileSize) +
                                                      " bytes, the most a JSON file may have");
        }
        text.push_back(static_cast<std::uint8_t>(c));
    }
    return parseJson(text);
}

int saveCollision(const ArtArgs& args, ToolIo& io, std::string_view command, OpenLevel& level) {
    return saveImportedLevel(io, command, level, args.moveArt, "collision",
                             [&](const SaveReport& saved, ByteSpan image) {
                                 reportReaders(io, saved, image, *level.document);
                             });
}

}  // namespace

int runCollisionExport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "collision-export";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    auto image = level->source().readImage();
    if (!image) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", image.error());
    }
    if (Status loaded = checkLoaded(*level, true); !loaded) {
        return reportFailure(io, kCommand, args.rom, "cannot export the collision", loaded.error());
    }
    if (Status written =
            writeJsonOutput(args.file, collisionJson(*image, *level->document), io.out, args.rom);
        !written) {
        return reportFailure(io, kCommand, args.file, "cannot write the file", written.error());
    }
    io.summary(args.file) << "wrote the collision of " << levelName(args.level) << " to "
                          << args.file.string() << '\n';
    return kExitOk;
}

int runCollisionImport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "collision-import";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    if (Status loaded = checkLoaded(*level, false); !loaded) {
        return reportFailure(io, kCommand, args.rom, "cannot import the collision", loaded.error());
    }
    auto file = readJsonInput(args.file, io.in);
    auto indexes =
        file ? readIndexes(*file, args, document.pathsShareIndex()) : Result<Indexes>(file.error());
    if (!indexes) {
        return reportFailure(io, kCommand, args.file, "cannot read the collision", indexes.error());
    }
    for (std::int32_t path = 0; path < kCollisionPaths; ++path) {
        document.replaceCollision(path, (*indexes)[static_cast<std::size_t>(path)]);
    }
    if (!document.isModified()) {
        io.out << levelName(args.level) << " already has this collision; nothing to save\n";
        return kExitOk;
    }
    return saveCollision(args, io, kCommand, *level);
}

}  // namespace orvex
