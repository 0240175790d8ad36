#include "toolcommands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "demo/demorom.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "graphics/collisionimage.h"
#include "graphics/levelart.h"
#include "graphics/levelimage.h"
#include "graphics/levelstart.h"
#include "graphics/palette.h"
#include "graphics/placementimage.h"
#include "graphics/png.h"
#include "graphics/sprites.h"
#include "rom/cameraview.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "rom/starttables.h"
#include "terminalhost.h"
#include "toolfiles.h"
#include "toolsupport.h"

namespace orvex {

namespace {

constexpr std::string_view kCheckingCaption = "Checking the ROM ...";
constexpr std::string_view kWritingPngCaption = "Writing PNG ...";
constexpr std::string_view kMigrationQuestion =
    "The layouts of this ROM are not migrated. Saves can only be made safely once they are moved\n"
    "to the end of the ROM, each with room to grow. Migrate the layouts?\n";

TerminalHost makeHost(ToolIo& io, Answering answering) {
    return TerminalHost(io.in, io.out, io.err, io.showProgress, answering);
}

std::string bytesText(std::size_t count) {
    return std::to_string(count) + " bytes";
}

// The encoders return packedData: the stream and one 0x00 a level save pads with.
std::vector<std::uint8_t> streamOf(std::vector<std::uint8_t> packed) {
    if (!packed.empty()) {
        packed.pop_back();
    }
    return packed;
}

void printWarnings(ToolIo& io, std::string_view command, const LoadedLevel& loaded) {
    for (const std::string& warning : loaded.warnings) {
        reportWarning(io, command, warning);
    }
}

}  // namespace

int runKosDecompress(const KosDecompressArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "kos-decompress";
    auto input = readWholeFile(args.in);
    if (!input) {
        return reportFailure(io, kCommand, args.in, "cannot read the input", input.error());
    }
    const std::string what = "cannot decompress the stream at " + offsetText(args.offset);
    auto decoded = decompressKosinski(*input, args.offset);
    if (!decoded) {
        return reportFailure(io, kCommand, args.in, what, decoded.error());
    }
    if (decoded->weirdOffset) {
        return reportFailure(io, kCommand, args.in, what, brokenOffError(args.offset, *decoded));
    }
    if (Status written = writeOutput(args.out, decoded->data, io.out, args.in); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the output", written.error());
    }
    io.summary(args.out) << "stream length: " << decoded->packedLastIndex + 1 << " bytes\n"
                         << "wrote " << bytesText(decoded->data.size()) << " to "
                         << args.out.string() << '\n';
    return kExitOk;
}

int runKosCompress(const KosCompressArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "kos-compress";
    auto input = readWholeFile(args.in);
    if (!input) {
        return reportFailure(io, kCommand, args.in, "cannot read the input", input.error());
    }
    TerminalHost host = makeHost(io, Answering::No);
    host.setLabel("Compressing ...");
    auto packed = [&] {
        ProgressScope progress(host);
        return args.rle ? compressKosinski(*input, &host) : compressKosinskiOptimal(*input, &host);
    }();
    if (!packed) {
        return reportFailure(io, kCommand, args.in, "cannot compress", packed.error());
    }
    const std::vector<std::uint8_t> stream = streamOf(std::move(*packed));
    if (Status written = writeOutput(args.out, stream, io.out, args.in); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the output", written.error());
    }
    io.summary(args.out) << "compressed " << bytesText(input->size()) << " into a stream of "
                         << bytesText(stream.size()) << " ("
                         << (args.rle ? "run-length" : "optimal") << " encoder)\n";
    return kExitOk;
}

int runLayoutExport(const LayoutExportArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "layout-export";
    auto rom = readSourceImage(io, kCommand, args.rom);
    if (!rom) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", rom.error());
    }
    const RomProfile& profile = rom->identity.profile;
    const std::string what = "cannot read the layout of " + levelName(args.level);
    auto at = layoutAddress(rom->bytes, profile, args.level);
    auto layout = at ? decompressKosinski(rom->bytes, *at) : Result<KosinskiDecoded>(at.error());
    if (!layout) {
        return reportFailure(io, kCommand, args.rom, what, layout.error());
    }
    if (layout->weirdOffset) {
        return reportFailure(io, kCommand, args.rom, what, brokenOffError(*at, *layout));
    }
    if (Status written = writeOutput(args.out, layout->data, io.out, args.rom); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the layout", written.error());
    }
    io.summary(args.out) << "wrote the layout of " << levelName(args.level) << " ("
                         << bytesText(layout->data.size()) << ") to " << args.out.string() << '\n';
    return kExitOk;
}

int runLayoutImport(const LayoutImportArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "layout-import";
    auto layout = readWholeFile(args.in);
    if (!layout) {
        return reportFailure(io, kCommand, args.in, "cannot read the layout", layout.error());
    }
    const std::string what = "cannot save the layout of " + levelName(args.level);
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    if (document.layoutComplete() && layout->size() != document.layout().size()) {
        return reportFailure(io, kCommand, args.in,
                             what + ": the file has " + bytesText(layout->size()) +
                                 ", the level's layout " + bytesText(document.layout().size()));
    }
    document.replaceLayout(Layout(std::move(*layout)));
    TerminalHost host = makeHost(io, Answering::No);
    auto saved = level->source().save(document, &host, {});
    if (!saved) {
        return reportFailure(io, kCommand, args.rom, what, saved.error());
    }
    if (level->source().kind() == SourceKind::Project) {
        if (!saved->wroteFile()) {
            io.out << levelName(args.level) << " already has this layout; nothing to save\n";
            return kExitOk;
        }
        io.out << "saved the layout of " << levelName(args.level) << '\n';
        return reportProjectSave(io, kCommand, args.rom, *saved);
    }
    const PartWrite& written = *saved->find(Part::Layout);
    io.out << "saved the layout of " << levelName(args.level) << ": a stream of "
           << bytesText(static_cast<std::size_t>(written.bytes)) << " in a room of " << written.room
           << " bytes\n";
    reportBackups(io, saved->written);
    return kExitOk;
}

int runMigrate(const MigrateArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "migrate";
    const RomImage rom(args.rom);
    TerminalHost host = makeHost(io, args.yes ? Answering::Yes : Answering::Ask);
    auto check = [&] {
        ProgressScope progress(host);
        host.showStep(kCheckingCaption);
        return checkROM(rom);
    }();
    if (!check) {
        return reportFailure(io, kCommand, args.rom, "cannot migrate the layouts", check.error());
    }
    if (check->layoutsMigrated) {
        io.out << "the layouts are already migrated; nothing changed\n";
        return kExitOk;
    }
    if (!host.askYesNo("Migrate the layouts", kMigrationQuestion)) {
        io.out << "not migrated; nothing changed\n";
        return kExitOk;
    }
    auto migrated = migrateLayouts(rom, check->identity.profile);
    if (!migrated) {
        return reportFailure(io, kCommand, args.rom, "cannot migrate the layouts",
                             migrated.error());
    }
    auto directory = rom.readLong(check->identity.profile.layoutDirectoryPointer);
    io.out << "migrated the layouts of all " << kLevelCount
           << " levels; the layout directory is now at "
           << (directory ? offsetText(*directory) : std::string("?")) << '\n';
    reportBackups(io, *migrated);
    return kExitOk;
}

int runFixChecksum(const FixChecksumArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "fix-checksum";
    const RomImage rom(args.rom);
    auto image = readIdentifiedRom(rom);
    if (!image) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", image.error());
    }
    const HeaderFields& header = image->identity.profile.header;
    auto stored = storedChecksum(image->bytes, header);
    auto computed =
        stored ? computeChecksum(image->bytes, header) : Result<std::uint16_t>(stored.error());
    if (!computed) {
        return reportFailure(io, kCommand, args.rom, "cannot compute the checksum",
                             computed.error());
    }
    if (*stored == *computed) {
        io.out << "checksum " << hexOffset(*stored) << " is already correct; nothing changed\n";
        return kExitOk;
    }
    // Computed again from the file as it is under the write lock.
    std::uint16_t sum = *computed;
    auto written = rom.rewrite([&](ByteSpan current) -> Result<std::vector<std::uint8_t>> {
        if (Status cartridge = checkCartridge(current, header); !cartridge) {
            return cartridge.error();
        }
        if (Status code = checkPlacementCode(current, image->identity.profile); !code) {
            return code.error();
        }
        auto now = computeChecksum(current, header);
        if (!now) {
            return now.error();
        }
        sum = *now;
        std::vector<std::uint8_t> fixed(current.begin(), current.end());
        putWord(fixed, static_cast<std::size_t>(header.checksum), sum);
        return fixed;
    });
    if (!written) {
        return reportFailure(io, kCommand, args.rom, "cannot write the checksum", written.error());
    }
    io.out << "checksum at " << offsetText(header.checksum) << ": " << hexOffset(*stored) << " -> "
           << hexOffset(sum) << '\n';
    reportBackups(io, *written);
    return kExitOk;
}

namespace {

constexpr std::string_view kRenderCommand = "render";

IndexedImage composePicture(const RenderArgs& args, const LevelDocument& document,
                            const LevelArt& art, const LevelSprites* sprites, TerminalHost& host) {
    if (args.sprite) {
        return renderObjectType(*sprites, args.sprite->first, args.sprite->second);
    }
    ProgressScope progress(host);
    if (args.blocks) {
        return renderBlockSheet(art.blocks);
    }
    IndexedImage picture = renderPlane(art.blocks, document.layout(), args.plane, &host);
    if (sprites != nullptr && !picture.isNull()) {
        drawPlacements(picture, document.parts(), *sprites, brightestColour(art.colours));
    }
    return picture;
}

// What the game adds at the level's start, which the picture is drawn with; tables that are
// missing and streams that cannot be read are warnings.
LevelStart levelStartFor(ByteSpan image, const LevelDocument& document, ToolIo& io) {
    const LocatedStartTables tables = locateStartTables(image, document.profile());
    LevelStart start = readLevelStart(image, document.profile(), tables.tables, document.zoneAct(),
                                      startCameraX(document.parts()));
    for (const std::string& name : tables.missing()) {
        reportWarning(io, kRenderCommand, "not found: " + name + "; drawn without what it adds");
    }
    for (const std::string& problem : start.problems) {
        reportWarning(io, kRenderCommand, problem);
    }
    return start;
}

// The sprites --objects and --sprite draw with; problems reading them are warnings, an image
// without object art an error.
Result<std::optional<LevelSprites>> spritesFor(const RenderArgs& args, ByteSpan image,
                                               const LevelDocument& document, const LevelArt& art,
                                               const LevelStart& start, ToolIo& io) {
    const bool wanted = args.sprite || args.objects;
    if (!wanted) {
        return std::optional<LevelSprites>{};
    }
    auto sprites = loadLevelSprites(image, document.profile(), document.zoneAct(), art.video, start,
                                    locateObjectTables(image));
    if (!sprites) {
        return sprites.error();
    }
    for (const std::string& problem : sprites->problems) {
        reportWarning(io, kRenderCommand, problem);
    }
    return std::optional<LevelSprites>(std::move(*sprites));
}

// The foreground of an act with water: below the water line, as the game shows it, in the
// underwater colours, which follow the level's own in the picture's colour table.
std::vector<std::uint32_t> showWater(const RenderArgs& args, ByteSpan image,
                                     const LevelDocument& document, const LevelArt& art,
                                     IndexedImage& picture) {
    std::vector<std::uint32_t> colours(art.colours.begin(), art.colours.end());
    const auto line = readWaterHeight(image, document.profile(), document.zoneAct());
    if (args.plane != Plane::Foreground || args.blocks || args.sprite || !art.underwater || !line ||
        *line >= picture.height()) {
        return colours;
    }
    markUnderwater(picture, *line);
    colours.insert(colours.end(), art.underwater->begin(), art.underwater->end());
    return colours;
}

// The three colours collision is drawn in, after the picture's own: ground met from above only,
// from the sides and below only, from every side.
constexpr std::array<std::uint32_t, 3> kCollisionColours = {0xFFFFD700, 0xFF00BFFF, 0xFFFF1493};

// The ground of `path` over the plane, in colours appended to `colours`.
void showCollision(const RenderArgs& args, const LevelDocument& document, IndexedImage& picture,
                   std::vector<std::uint32_t>& colours, ToolIo& io) {
    const std::int32_t path = *args.collision;
    const LevelParts& parts = document.parts();
    if (!parts.shapes) {
        reportWarning(io, kRenderCommand, "the collision shapes were not found; none is drawn");
    } else if (!document.collisionLoaded(path)) {
        reportWarning(io, kRenderCommand,
                      "the " + std::string(partName(collisionPart(path))) +
                          " index was not read whole; only the chunks it holds are drawn");
    }
    const auto first = static_cast<std::uint8_t>(colours.size());
    colours.insert(colours.end(), kCollisionColours.begin(), kCollisionColours.end());
    drawPlaneCollision(parts, args.plane, path, first, picture);
}

Status writePicture(const IndexedImage& image, std::span<const std::uint32_t> colours,
                    const RenderArgs& args, TerminalHost& host, std::ostream& standardOutput) {
    ProgressScope progress(host);
    host.showStep(kWritingPngCaption);
    auto png = encodeIndexedPng(image, colours);
    if (!png) {
        return png.error();
    }
    return writeOutput(args.out, *png, standardOutput, args.rom);
}

}  // namespace

int runRender(const RenderArgs& args, ToolIo& io) {
    auto opened = openSource(io, kRenderCommand, args.rom);
    if (!opened) {
        return reportFailure(io, kRenderCommand, args.rom, "cannot read the ROM", opened.error());
    }
    // Loaded first: a project whose build is stale builds before it reads.
    auto loaded = opened->source->loadLevel(args.level);
    if (!loaded) {
        return reportFailure(io, kRenderCommand, args.rom, "cannot load " + levelName(args.level),
                             loaded.error());
    }
    auto rom = opened->source->readImage();
    if (!rom) {
        return reportFailure(io, kRenderCommand, args.rom, "cannot read the ROM", rom.error());
    }
    const LevelDocument& document = *loaded->document;
    TerminalHost host = makeHost(io, Answering::No);
    const LevelStart start = levelStartFor(*rom, document, io);
    auto art = std::make_unique<LevelArt>();
    {
        ProgressScope progress(host);
        drawLevelArt(document.parts(), start, *art, &host);
    }
    auto sprites = spritesFor(args, *rom, document, *art, start, io);
    if (!sprites) {
        return reportFailure(io, kRenderCommand, args.rom, "cannot draw the objects",
                             sprites.error());
    }
    const LevelSprites* drawnWith = *sprites ? &**sprites : nullptr;
    IndexedImage image = composePicture(args, document, *art, drawnWith, host);
    if (image.isNull() && args.sprite) {
        return reportFailure(
            io, kRenderCommand, args.rom,
            levelName(args.level) + " has no sprite for object " + hexOffset(args.sprite->first));
    }
    if (image.isNull()) {
        return reportFailure(io, kRenderCommand, args.rom,
                             "the layout of " + levelName(args.level) + " has " +
                                 bytesText(document.layout().size()) +
                                 ", not one complete row of 256");
    }
    printWarnings(io, kRenderCommand, *loaded);
    if (!document.layoutComplete() && !args.blocks && !args.sprite) {
        reportWarning(io, kRenderCommand,
                      "the layout stream breaks off; the picture shows the rows decoded before "
                      "the break");
    }
    std::vector<std::uint32_t> colours = showWater(args, *rom, document, *art, image);
    if (args.collision) {
        showCollision(args, document, image, colours, io);
    }
    if (Status written = writePicture(image, colours, args, host, io.out); !written) {
        return reportFailure(io, kRenderCommand, args.out, "cannot write the picture",
                             written.error());
    }
    io.summary(args.out) << "wrote " << args.out.string() << ": " << image.width() << " x "
                         << image.height() << " pixels\n";
    return kExitOk;
}

namespace {

std::string word(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned{value});
    return text;
}

std::string placeText(const StoredPart& stored, std::int32_t lead, bool shared) {
    if (stored.empty()) {
        return "";
    }
    return ", list at " + offsetText(stored.front().offset + lead) +
           (shared ? " (shared with another act)" : "");
}

// What the document holds of the level's placements, a line each.
void printPlacements(std::ostream& out, const LevelDocument& document) {
    const LevelParts& parts = document.parts();
    out << levelName(document.level()) << " (zone " << int{document.zoneAct().zone} << ", act "
        << document.zoneAct().act + 1 << ")\n";
    if (parts.start) {
        out << "start position: x " << word(parts.start->x) << ", y " << word(parts.start->y)
            << '\n';
    }
    if (parts.bounds) {
        out << "boundaries: x " << word(parts.bounds->xMin) << ".." << word(parts.bounds->xMax)
            << ", y " << word(parts.bounds->yMin) << ".." << word(parts.bounds->yMax) << '\n';
    }
    if (parts.objects) {
        const auto remembered = std::count_if(parts.objects->begin(), parts.objects->end(),
                                              [](const auto& o) { return o.rememberState; });
        out << "objects: " << parts.objects->size() << " (" << remembered
            << " remember their state)"
            << placeText(document.stored(Part::Objects), kObjectBytes,
                         document.isShared(Part::Objects))
            << '\n';
    }
    if (parts.rings) {
        int rings = 0;
        for (const RingGroup& group : *parts.rings) {
            rings += group.count;
        }
        out << "rings: " << parts.rings->size() << " groups, " << rings << " rings"
            << placeText(document.stored(Part::Rings), 0, document.isShared(Part::Rings)) << '\n';
    }
}

}  // namespace

int runLevelInfo(const LevelInfoArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "level-info";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    printPlacements(io.out, *level->document);
    return kExitOk;
}

namespace {

// Warns when the start position lies outside what the camera can show within the boundaries,
// all compared as the game compares them, as signed words.
void warnOfStartOutside(ToolIo& io, std::string_view command, const LevelParts& parts) {
    if (!parts.start || !parts.bounds) {
        return;
    }
    const CameraReach reach = cameraReach(*parts.bounds);
    if (cameraShows(reach, *parts.start)) {
        return;
    }
    reportWarning(io, command,
                  "the start position (x " +
                      std::to_string(static_cast<std::int16_t>(parts.start->x)) + ", y " +
                      std::to_string(static_cast<std::int16_t>(parts.start->y)) +
                      ") lies outside what the camera shows within the boundaries (x " +
                      std::to_string(reach.left) + " to " + std::to_string(reach.right) + ", y " +
                      std::to_string(reach.top) + " to " + std::to_string(reach.bottom) +
                      "); it is written all the same");
}

}  // namespace

int runLevelSet(const LevelSetArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "level-set";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    const std::string what = "cannot set the placements of " + levelName(args.level);
    if ((args.start && !document.parts().start) || (args.bounds && !document.parts().bounds)) {
        return reportFailure(io, kCommand, args.rom,
                             what +
                                 ": the image's start position or level size table was not "
                                 "found");
    }
    if (args.start) {
        document.setStart(*args.start);
    }
    if (args.bounds) {
        document.setBounds(*args.bounds);
    }
    warnOfStartOutside(io, kCommand, document.parts());
    TerminalHost host = makeHost(io, Answering::No);
    auto saved = level->source().save(document, &host, {.alwaysWriteLayout = false});
    if (!saved) {
        return reportFailure(io, kCommand, args.rom, what, saved.error());
    }
    printPlacements(io.out, document);
    if (!saved->wroteFile()) {
        io.out << "the level already has these values; nothing to save\n";
        return kExitOk;
    }
    if (level->source().kind() == SourceKind::Project) {
        return reportProjectSave(io, kCommand, args.rom, *saved);
    }
    reportBackups(io, saved->written);
    return kExitOk;
}

namespace {

const RomProfile& demoProfile(const std::string& revision) {
    if (revision == "built") {
        return demoBuildProfile();
    }
    return revisionProfile(revision == "00"   ? RomKind::Revision00
                           : revision == "02" ? RomKind::Revision02
                                              : RomKind::Revision01);
}

}  // namespace

int runDemoRom(const DemoRomArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "demo-rom";
    auto demo = buildDemoRom(demoProfile(args.revision));
    if (!demo) {
        return reportFailure(io, kCommand, args.out, "cannot build the demo ROM", demo.error());
    }
    if (Status written = writeOutput(args.out, demo->image, io.out); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the demo ROM", written.error());
    }
    io.summary(args.out) << "wrote the demo ROM (" << bytesText(demo->image.size()) << ") to "
                         << args.out.string() << '\n';
    return kExitOk;
}

}  // namespace orvex
