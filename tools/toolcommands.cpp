#include "toolcommands.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "pngwriter.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/demorom.h"
#include "rom/leveldirectory.h"
#include "rom/levelloader.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "terminalhost.h"
#include "toolfiles.h"
#include "toolsupport.h"

namespace orvex {

namespace {

constexpr std::string_view kCheckingCaption = "Checking the ROM ...";
constexpr std::string_view kWritingPngCaption = "Writing PNG ...";

TerminalHost makeHost(ToolIo& io, Answering answering) {
    return TerminalHost(io.in, io.out, io.err, io.showProgress, answering);
}

// A host for commands that report a layout breaking off themselves.
TerminalHost makeLevelHost(ToolIo& io) {
    TerminalHost host = makeHost(io, Answering::No);
    host.holdMessages();
    return host;
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

void printWarnings(ToolIo& io, std::string_view command, const LoadReport& report) {
    for (const std::string& warning : report.warnings) {
        reportWarning(io, command, warning);
    }
}

// The ROM read whole and identified.
Result<IdentifiedRom> readRom(const std::filesystem::path& path) {
    return readIdentifiedRom(RomImage(path));
}

// Names the copies of the ROM a write kept beside it.
void reportBackups(ToolIo& io, const WriteReport& written) {
    io.out << "the ROM as it was before this change is kept in " << written.previous.string()
           << '\n'
           << "the ROM as Orvex first found it " << (written.originalMadeNow ? "is kept" : "stays")
           << " in " << written.original.string() << '\n';
}

}  // namespace

int runKosDecompress(const KosDecompressArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "kos-decompress";
    auto input = readWholeFile(args.in);
    if (!input) {
        return reportFailure(io, kCommand, args.in, "cannot read the input", input.error());
    }
    const std::string what = "cannot decompress the stream at " + hexOffset(args.offset);
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
    auto rom = readRom(args.rom);
    if (!rom) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", rom.error());
    }
    const RomProfile& profile = rom->identity.profile;
    TerminalHost host = makeLevelHost(io);
    auto data = std::make_unique<LevelData>();
    const std::string what = "cannot read the layout of " + levelName(args.level);
    auto layout = readMap(rom->bytes, profile, args.level, *data, host);
    if (!layout) {
        return reportFailure(io, kCommand, args.rom, what, layout.error());
    }
    if (layout->weirdOffset) {
        auto at = layoutAddress(rom->bytes, profile, args.level);
        return reportFailure(io, kCommand, args.rom, what, brokenOffError(at ? *at : 0, *layout));
    }
    if (Status written = writeOutput(args.out, data->unpackedData, io.out, args.rom); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the layout", written.error());
    }
    io.summary(args.out) << "wrote the layout of " << levelName(args.level) << " ("
                         << bytesText(data->unpackedData.size()) << ") to " << args.out.string()
                         << '\n';
    return kExitOk;
}

int runLayoutImport(const LayoutImportArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "layout-import";
    auto layout = readWholeFile(args.in);
    if (!layout) {
        return reportFailure(io, kCommand, args.in, "cannot read the layout", layout.error());
    }
    const RomImage rom(args.rom);
    auto identified = readIdentifiedRom(rom);
    if (!identified) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", identified.error());
    }
    const RomProfile& profile = identified->identity.profile;
    TerminalHost host = makeLevelHost(io);
    auto data = std::make_unique<LevelData>();
    const std::string what = "cannot save the layout of " + levelName(args.level);
    auto loaded = loadLevel(identified->bytes, profile, args.level, *data, host);
    if (!loaded) {
        return reportFailure(io, kCommand, args.rom, "cannot load " + levelName(args.level),
                             loaded.error());
    }
    if (loaded->layoutComplete && layout->size() != data->unpackedData.size()) {
        return reportFailure(io, kCommand, args.in,
                             what + ": the file has " + bytesText(layout->size()) +
                                 ", the level's layout " + bytesText(data->unpackedData.size()));
    }
    data->unpackedData = std::move(*layout);
    auto saved = saveLevel(rom, profile, args.level, *data, host);
    if (!saved) {
        return reportFailure(io, kCommand, args.rom, what, saved.error());
    }
    io.out << "saved the layout of " << levelName(args.level) << ": a stream of "
           << bytesText(static_cast<std::size_t>(saved->packedBytes)) << " in a room of "
           << saved->room << " bytes\n";
    reportBackups(io, saved->written);
    return kExitOk;
}

int runMigrate(const MigrateArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "migrate";
    const RomImage rom(args.rom);
    TerminalHost host = makeHost(io, args.yes ? Answering::Yes : Answering::Ask);
    auto check = [&] {
        ProgressScope progress(host);
        host.setCaption(kCheckingCaption);
        host.setBarWidth(0);
        return checkROM(rom, host);
    }();
    if (!check) {
        return reportFailure(io, kCommand, args.rom, "cannot migrate the layouts", check.error());
    }
    switch (check->outcome) {
        case RomCheckOutcome::AlreadyMigrated:
            io.out << "the layouts are already migrated; nothing changed\n";
            break;
        case RomCheckOutcome::Declined:
            io.out << "not migrated; nothing changed\n";
            break;
        case RomCheckOutcome::Migrated: {
            auto directory = rom.readLong(check->identity.profile.layoutDirectoryPointer);
            io.out << "migrated the layouts of all " << kLevelCount
                   << " levels; the layout directory is now at "
                   << (directory ? hexOffset(*directory) : std::string("?")) << '\n';
            reportBackups(io, *check->written);
            break;
        }
    }
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
    io.out << "checksum at " << hexOffset(header.checksum) << ": " << hexOffset(*stored) << " -> "
           << hexOffset(sum) << '\n';
    reportBackups(io, *written);
    return kExitOk;
}

namespace {

constexpr std::string_view kRenderCommand = "render";

Image composePicture(const RenderArgs& args, const LevelData& data, TerminalHost& host) {
    ProgressScope progress(host);
    return args.blocks ? renderBlockSheet(data.blockPictures)
                       : renderPlane(data.blockPictures, data.unpackedData, args.plane, &host);
}

Status writePicture(const Image& image, const RenderArgs& args, TerminalHost& host,
                    std::ostream& standardOutput) {
    ProgressScope progress(host);
    host.setCaption(kWritingPngCaption);
    host.setBarWidth(0);
    auto png = encodePng(image);
    if (!png) {
        return png.error();
    }
    return writeOutput(args.out, *png, standardOutput, args.rom);
}

}  // namespace

int runRender(const RenderArgs& args, ToolIo& io) {
    auto rom = readRom(args.rom);
    if (!rom) {
        return reportFailure(io, kRenderCommand, args.rom, "cannot read the ROM", rom.error());
    }
    TerminalHost host = makeLevelHost(io);
    auto data = std::make_unique<LevelData>();
    auto loaded = loadLevel(rom->bytes, rom->identity.profile, args.level, *data, host);
    if (!loaded) {
        return reportFailure(io, kRenderCommand, args.rom, "cannot load " + levelName(args.level),
                             loaded.error());
    }
    const Image image = composePicture(args, *data, host);
    if (image.isNull()) {
        return reportFailure(io, kRenderCommand, args.rom,
                             "the layout of " + levelName(args.level) + " has " +
                                 bytesText(data->unpackedData.size()) +
                                 ", not one complete row of 256");
    }
    printWarnings(io, kRenderCommand, *loaded);
    if (!loaded->layoutComplete && !args.blocks) {
        reportWarning(io, kRenderCommand,
                      "the layout stream breaks off; the picture shows the rows decoded before "
                      "the break");
    }
    if (Status written = writePicture(image, args, host, io.out); !written) {
        return reportFailure(io, kRenderCommand, args.out, "cannot write the picture",
                             written.error());
    }
    io.summary(args.out) << "wrote " << args.out.string() << ": " << image.width() << " x "
                         << image.height() << " pixels\n";
    return kExitOk;
}

int runNormalize(const NormalizeArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "normalize";
    auto input = readWholeFile(args.in);
    if (!input) {
        return reportFailure(io, kCommand, args.in, "cannot read the input", input.error());
    }
    const DumpFormat format = detectDumpFormat(*input);
    if (format == DumpFormat::Unrecognised) {
        return reportFailure(io, kCommand, args.in,
                             "not a Mega Drive cartridge image in any format Orvex knows (no "
                             "\"SEGA\" where a plain image, a copier dump or a byte-swapped "
                             "image has it)");
    }
    const std::vector<std::uint8_t> plain = plainImage(*input, format);
    if (Status written = writeOutput(args.out, plain, io.out, args.in); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the plain image",
                             written.error());
    }
    io.summary(args.out) << args.in.string() << " is " << describeDumpFormat(format)
                         << "; wrote the plain image (" << bytesText(plain.size()) << ") to "
                         << args.out.string() << '\n';
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
