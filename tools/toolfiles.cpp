#include "toolfiles.h"

#include <string>

#include "rom/romimage.h"

namespace orvex {

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path) {
    return readRegularFile(path);
}

namespace {

Status writeStandardOutput(ByteSpan bytes, std::ostream& standardOutput) {
    standardOutput.write(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<std::streamsize>(bytes.size()));
    standardOutput.flush();
    if (!standardOutput) {
        return makeError(ErrorCode::FileWrite, "Cannot write to standard output");
    }
    return {};
}

}  // namespace

Status writeOutput(const std::filesystem::path& output, ByteSpan bytes,
                   std::ostream& standardOutput, const std::filesystem::path& input) {
    if (isStandardOutput(output)) {
        return writeStandardOutput(bytes, standardOutput);
    }
    if (!input.empty() && sameFile(output, input)) {
        return makeError(ErrorCode::FileWrite, "the output " + output.string() +
                                                   " is the same file as " + input.string() +
                                                   "; name another file to write");
    }
    // The rename that replaces the file would be allowed, but a file marked read-only is left
    // alone, as a read-only ROM is.
    std::error_code error;
    if (std::filesystem::is_regular_file(output, error)) {
        if (Status writable = RomImage(output).checkWritable(); !writable) {
            return writable;
        }
    }
    return writeOutputFile(output, bytes);
}

}  // namespace orvex
