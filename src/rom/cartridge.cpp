#include "rom/cartridge.h"

#include <algorithm>
#include <string>
#include <utility>

namespace orvex {

namespace {

constexpr std::string_view kConsoleName = "SEGA";
constexpr std::string_view kSwappedConsoleName = "ESAG";
constexpr std::size_t kCopierHeaderSize = 512;
constexpr std::size_t kSmdBlockSize = 16384;
constexpr std::size_t kSmdHalf = kSmdBlockSize / 2;
// Dumps are told apart before anything else is known of them: by the console name's place in
// the header every cartridge has.
constexpr auto kConsoleNameAt = static_cast<std::size_t>(HeaderFields{}.consoleName);

bool hasText(ByteSpan file, std::size_t at, std::string_view text) {
    return file.size() >= at + text.size() &&
           std::equal(text.begin(), text.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
}

// Byte `at` of the plain image inside the first block of an .smd dump: the block's first half
// holds the odd bytes, its second half the even ones.
std::uint8_t interleavedByte(ByteSpan file, std::size_t at) {
    const std::size_t inBlock = at % 2 == 0 ? kSmdHalf + at / 2 : at / 2;
    return file[kCopierHeaderSize + inBlock];
}

bool looksInterleaved(ByteSpan file) {
    if (file.size() < kCopierHeaderSize + kSmdBlockSize ||
        (file.size() - kCopierHeaderSize) % kSmdBlockSize != 0) {
        return false;
    }
    for (std::size_t i = 0; i < kConsoleName.size(); ++i) {
        if (interleavedByte(file, kConsoleNameAt + i) !=
            static_cast<std::uint8_t>(kConsoleName[i])) {
            return false;
        }
    }
    return true;
}

void deinterleave(ByteSpan file, std::vector<std::uint8_t>& plain) {
    const std::size_t blocks = (file.size() - kCopierHeaderSize) / kSmdBlockSize;
    plain.resize(blocks * kSmdBlockSize);
    for (std::size_t block = 0; block < blocks; ++block) {
        const std::size_t from = kCopierHeaderSize + block * kSmdBlockSize;
        const std::size_t to = block * kSmdBlockSize;
        for (std::size_t i = 0; i < kSmdHalf; ++i) {
            plain[to + 2 * i] = file[from + kSmdHalf + i];
            plain[to + 2 * i + 1] = file[from + i];
        }
    }
}

std::string sizeText(std::int64_t bytes) {
    return std::to_string(bytes) + " bytes";
}

}  // namespace

DumpFormat detectDumpFormat(ByteSpan file) {
    if (hasText(file, kConsoleNameAt, kConsoleName) ||
        hasText(file, kConsoleNameAt + 1, kConsoleName)) {
        return DumpFormat::Plain;
    }
    if (looksInterleaved(file)) {
        return DumpFormat::Interleaved;
    }
    if (hasText(file, kCopierHeaderSize + kConsoleNameAt, kConsoleName)) {
        return DumpFormat::CopierHeader;
    }
    if (hasText(file, kConsoleNameAt, kSwappedConsoleName)) {
        return DumpFormat::ByteSwapped;
    }
    return DumpFormat::Unrecognised;
}

std::string_view describeDumpFormat(DumpFormat format) {
    switch (format) {
        case DumpFormat::Plain:
            return "a plain cartridge image";
        case DumpFormat::CopierHeader:
            return "an image with a 512-byte copier header";
        case DumpFormat::Interleaved:
            return "an interleaved .smd dump";
        case DumpFormat::ByteSwapped:
            return "a byte-swapped image";
        case DumpFormat::Unrecognised:
            break;
    }
    return "not a Mega Drive cartridge image";
}

std::vector<std::uint8_t> plainImage(ByteSpan file, DumpFormat format) {
    std::vector<std::uint8_t> plain;
    switch (format) {
        case DumpFormat::CopierHeader:
            plain.assign(file.begin() + kCopierHeaderSize, file.end());
            break;
        case DumpFormat::Interleaved:
            deinterleave(file, plain);
            break;
        case DumpFormat::ByteSwapped:
            plain.assign(file.begin(), file.end());
            for (std::size_t at = 0; at + 1 < plain.size(); at += 2) {
                std::swap(plain[at], plain[at + 1]);
            }
            break;
        case DumpFormat::Plain:
        case DumpFormat::Unrecognised:
            plain.assign(file.begin(), file.end());
            break;
    }
    return plain;
}

std::filesystem::path plainCopyPath(const std::filesystem::path& dump) {
    std::filesystem::path copy = dump;
    copy.replace_extension(".bin");
    if (copy == dump) {
        copy = dump.parent_path() / (dump.stem().string() + "-plain.bin");
    }
    return copy;
}

Status checkCartridge(ByteSpan rom, const HeaderFields& header) {
    const DumpFormat format = detectDumpFormat(rom);
    if (format != DumpFormat::Plain && format != DumpFormat::Unrecognised) {
        return makeError(ErrorCode::NotPlainImage,
                         "This is " + std::string(describeDumpFormat(format)) +
                             ", not a plain cartridge image. Convert it with \"orvex-tool "
                             "normalize\" (or let the editor save a plain copy) and open that");
    }
    if (rom.size() < static_cast<std::size_t>(header.checksumStart)) {
        return makeError(ErrorCode::NotARom,
                         "The file is only " + sizeText(static_cast<std::int64_t>(rom.size())) +
                             " long: too short for a Mega Drive cartridge image");
    }
    if (format == DumpFormat::Unrecognised) {
        return makeError(ErrorCode::NotARom,
                         "The file is not a Mega Drive cartridge image (no \"SEGA\" at " +
                             hexOffset(header.consoleName) + ")",
                         header.consoleName);
    }
    if (static_cast<std::int64_t>(rom.size()) > kCartridgeSpace) {
        return makeError(ErrorCode::NotARom,
                         "The file is " + sizeText(static_cast<std::int64_t>(rom.size())) +
                             ", more than the 4 MiB (" + sizeText(kCartridgeSpace) +
                             ") a Mega Drive cartridge can address");
    }
    auto end = readLong(rom, header.romEnd);
    const std::int64_t claimed = end ? std::int64_t{*end} + 1 : -1;
    if (!end || claimed > static_cast<std::int64_t>(rom.size())) {
        return makeError(ErrorCode::Truncated,
                         "The file is " + sizeText(static_cast<std::int64_t>(rom.size())) +
                             ", but its header says the image is " +
                             (end ? sizeText(claimed) : std::string("larger")) +
                             ": it is cut short (an incomplete dump or copy). Open a complete "
                             "image; Orvex never writes into a truncated one",
                         header.romEnd);
    }
    return {};
}

namespace {

// Padding long enough that a file whose ROM end field covers it still counts it as free.
constexpr std::size_t kMinPadding = 0x10000;
// Bytes of such padding left to the data before it, which may end in the filler's value (a
// Kosinski stream ends in $00, a ring list in $FFFF).
constexpr std::size_t kPaddingGuard = 0x10;

bool isFillerByte(std::uint8_t byte) {
    return byte == 0x00 || byte == 0xFF;
}

// Where the run of one filler value that ends the file begins.
std::size_t trailingFiller(ByteSpan rom) {
    if (rom.empty() || !isFillerByte(rom.back())) {
        return rom.size();
    }
    const std::uint8_t filler = rom.back();
    const auto data = std::find_if(rom.rbegin(), rom.rend(),
                                   [filler](std::uint8_t byte) { return byte != filler; });
    return static_cast<std::size_t>(rom.rend() - data);
}

}  // namespace

std::optional<std::size_t> paddedDataEnd(ByteSpan rom, const HeaderFields& header) {
    auto end = readLong(rom, header.romEnd);
    if (!end || static_cast<std::size_t>(*end) + 1 >= rom.size()) {
        return std::nullopt;
    }
    const std::size_t dataEnd = static_cast<std::size_t>(*end) + 1;
    const auto padding = rom.subspan(dataEnd);
    const std::uint8_t filler = padding.front();
    const bool onlyFiller =
        isFillerByte(filler) && std::all_of(padding.begin(), padding.end(),
                                            [filler](std::uint8_t byte) { return byte == filler; });
    return onlyFiller ? std::optional<std::size_t>(dataEnd) : std::nullopt;
}

std::size_t appendOffset(ByteSpan rom, const HeaderFields& header) {
    if (const auto padded = paddedDataEnd(rom, header)) {
        return (*padded + 1) & ~std::size_t{1};
    }
    const std::size_t run = trailingFiller(rom);
    if (rom.size() - run >= kMinPadding) {
        return (std::max(run + kPaddingGuard, static_cast<std::size_t>(header.checksumStart)) + 1) &
               ~std::size_t{1};
    }
    return (rom.size() + 1) & ~std::size_t{1};
}

void coverData(std::vector<std::uint8_t>& rom, const HeaderFields& header, std::size_t end) {
    if (rom.size() < static_cast<std::size_t>(header.romEnd) + 4 || end == 0) {
        return;
    }
    auto field = readLong(rom, header.romEnd);
    if (!field || static_cast<std::size_t>(*field) + 1 < end) {
        putLong(rom, static_cast<std::size_t>(header.romEnd), static_cast<std::uint32_t>(end - 1));
    }
}

}  // namespace orvex
