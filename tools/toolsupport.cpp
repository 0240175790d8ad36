#include "toolsupport.h"

#include <cstdio>
#include <ostream>

#include "document/documentloader.h"
#include "rom/romidentity.h"
#include "terminalhost.h"
#include "toolargs.h"

namespace orvex {

std::string offsetText(std::int64_t offset) {
    constexpr std::int64_t kLargest = 0xFFFFFFFF;
    if (offset > kLargest || offset < -kLargest) {
        return offset > 0 ? "beyond 0xFFFFFFFF" : "beyond -0xFFFFFFFF";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%s0x%llX", offset < 0 ? "-" : "",
                  static_cast<unsigned long long>(offset < 0 ? -offset : offset));
    return text;
}

std::string describeError(const Error& error) {
    if (!error.offset) {
        return error.message;
    }
    return error.message + " (offset " + offsetText(*error.offset) + ")";
}

int reportFailure(ToolIo& io, std::string_view command, const std::filesystem::path& file,
                  std::string_view what, const Error& error) {
    io.err << kToolName << ": " << command << ": " << file.string() << ": " << what << ": "
           << oneLine(describeError(error)) << '\n';
    return kExitFailure;
}

int reportFailure(ToolIo& io, std::string_view command, const std::filesystem::path& file,
                  std::string_view what) {
    io.err << kToolName << ": " << command << ": " << file.string() << ": " << what << '\n';
    return kExitFailure;
}

void reportWarning(ToolIo& io, std::string_view command, std::string_view text) {
    io.err << kToolName << ": " << command << ": warning: " << oneLine(text) << '\n';
}

Error brokenOffError(std::int32_t streamOffset, const KosinskiDecoded& decoded) {
    return makeError(
        ErrorCode::CorruptStream,
        std::string("Argh, weird offset!") + " A copy reaches before the start of the output",
        std::int64_t{streamOffset} + decoded.packedLastIndex);
}

// Names the copies of the ROM a write kept beside it.
void reportBackups(ToolIo& io, const WriteReport& written) {
    io.out << "the ROM as it was before this change is kept in " << written.previous.string()
           << '\n';
    if (!written.originalIsCopy) {
        io.out << written.original.string()
               << " is not a file Orvex wrote (a link or a folder): it was left alone, and no "
                  "copy of the ROM as Orvex first found it is kept\n";
        return;
    }
    io.out << "the ROM as Orvex first found it " << (written.originalMadeNow ? "is kept" : "stays")
           << " in " << written.original.string() << '\n';
}

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
    return OpenLevel{std::move(rom), std::move(loaded->document), std::move(loaded->warnings)};
}

std::optional<OpenLevel> openLevelFor(ToolIo& io, std::string_view command,
                                      const std::filesystem::path& path, std::int16_t level) {
    auto opened = openLevel(path, level);
    if (!opened) {
        reportFailure(io, command, path, "cannot load " + levelName(level), opened.error());
        return std::nullopt;
    }
    return std::move(*opened);
}

int saveImportedLevel(ToolIo& io, std::string_view command, OpenLevel& level, bool moveArt,
                      std::string_view what, const WritesReporter& reportWrites) {
    const std::filesystem::path& rom = level.rom.romPath();
    auto image = level.rom.readAll();
    if (!image) {
        return reportFailure(io, command, rom, "cannot read the ROM", image.error());
    }
    const std::string saving = std::string(what) + " of " + levelName(level.document->level());
    TerminalHost host(io.in, io.out, io.err, io.showProgress, Answering::No);
    auto saved = saveDocument(level.rom, *level.document, &host,
                              {.alwaysWriteLayout = false, .moveGrownArt = moveArt});
    if (!saved) {
        Error error = saved.error();
        if (error.code == ErrorCode::ArtMustMove) {
            error.message += ". Nothing was written; run again with --move-art to move it";
        }
        return reportFailure(io, command, rom, "cannot save the " + saving, error);
    }
    io.out << "saved the " << saving << '\n';
    reportWrites(*saved, *image);
    reportBackups(io, saved->written);
    return kExitOk;
}

}  // namespace orvex
