// normalize: the plain image inside a copier dump, refused when the dump is cut short.

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "rom/cartridge.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "toolsupport.h"

namespace orvex {

namespace {

constexpr std::string_view kCommand = "normalize";
constexpr std::size_t kCopierHeaderSize = 512;
constexpr std::size_t kSmdBlockSize = 16384;

std::string bytesText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// Whether `file` is an interleaved .smd dump whose last 16 KiB block is cut short, which the
// core does not recognise as one: after the 512-byte header, the first block's first half holds
// the image's odd bytes and its second half the even ones, so "SEGA" at 0x100 lies at 0x80 and
// 0x81 of each half.
bool isCutInterleavedDump(ByteSpan file) {
    const std::size_t data = file.size() < kCopierHeaderSize ? 0 : file.size() - kCopierHeaderSize;
    constexpr std::array<std::uint8_t, 4> kConsoleName{'S', 'E', 'G', 'A'};
    constexpr auto kNameAt = static_cast<std::size_t>(HeaderFields{}.consoleName);
    for (std::size_t i = 0; i < kConsoleName.size(); ++i) {
        const std::size_t at = kNameAt + i;
        const std::size_t inBlock = at % 2 == 0 ? kSmdBlockSize / 2 + at / 2 : at / 2;
        if (inBlock >= data || file[kCopierHeaderSize + inBlock] != kConsoleName[i]) {
            return false;
        }
    }
    return data % kSmdBlockSize != 0;
}

constexpr auto kRomEndAt = static_cast<std::size_t>(HeaderFields{}.romEnd);

// The bytes the plain image lacks: it must reach the end its own ROM end field names, and at
// least the field itself. A field that does not fit a signed long is no evidence either way
// and is left to the ROM check.
std::size_t plainShortfall(ByteSpan plain) {
    if (plain.size() < kRomEndAt + 4) {
        return kRomEndAt + 4 - plain.size();
    }
    const auto end = readLong(plain, static_cast<std::int64_t>(kRomEndAt));
    const std::size_t whole = end ? static_cast<std::size_t>(*end) + 1 : 0;
    return whole > plain.size() ? whole - plain.size() : 0;
}

int refuseCut(ToolIo& io, const NormalizeArgs& args, std::string_view format, std::size_t missing,
              std::string_view how) {
    return reportFailure(io, kCommand, args.in,
                         std::string("the input is ") + std::string(format) +
                             " cut short: " + std::string(how) + ", so " + bytesText(missing) +
                             (missing == 1 ? " is" : " are") + " missing; nothing was written");
}

}  // namespace

int runNormalize(const NormalizeArgs& args, ToolIo& io) {
    auto input = readWholeFile(args.in);
    if (!input) {
        return reportFailure(io, kCommand, args.in, "cannot read the input", input.error());
    }
    const DumpFormat format = detectDumpFormat(*input);
    if (format == DumpFormat::Unrecognised && isCutInterleavedDump(*input)) {
        const std::size_t filled = (input->size() - kCopierHeaderSize) % kSmdBlockSize;
        return refuseCut(io, args, describeDumpFormat(DumpFormat::Interleaved),
                         kSmdBlockSize - filled,
                         "its last 16 KiB block holds " + bytesText(filled));
    }
    if (format == DumpFormat::Unrecognised) {
        return reportFailure(io, kCommand, args.in,
                             "not a Mega Drive cartridge image in any format Orvex knows (no "
                             "\"SEGA\" where a plain image, a copier dump or a byte-swapped "
                             "image has it)");
    }
    const std::vector<std::uint8_t> plain = plainImage(*input, format);
    if (const std::size_t missing = plainShortfall(plain); missing > 0) {
        const std::string field = "its ROM end field at " + offsetText(kRomEndAt);
        return refuseCut(io, args, describeDumpFormat(format), missing,
                         "the plain image is " + bytesText(plain.size()) +
                             (plain.size() < kRomEndAt + 4 ? " and ends before " + field
                                                           : ", less than " + field + " says"));
    }
    if (Status written = writeOutput(args.out, plain, io.out, args.in); !written) {
        return reportFailure(io, kCommand, args.out, "cannot write the plain image",
                             written.error());
    }
    io.summary(args.out) << args.in.string() << " is " << describeDumpFormat(format)
                         << "; wrote the plain image (" << bytesText(plain.size()) << ") to "
                         << args.out.string() << '\n';
    return kExitOk;
}

}  // namespace orvex
