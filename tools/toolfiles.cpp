#include "toolfiles.h"

#include <string>

#include "rom/romimage.h"

namespace orvex {

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path) {
    return readRegularFile(path);
}

Status writeOutput(const std::filesystem::path& output, ByteSpan bytes,
                   std::ostream& standardOutput, const std::filesystem::path& input) {
    if (!isStandardOutput(output) && !input.empty() && sameFile(output, input)) {
        return makeError(ErrorCode::FileWrite, "the output " + output.string() +
                                                   " is the same file as " + input.string() +
                                                   "; name another file to write");
    }
    if (!isStandardOutput(output)) {
        return writeOutputFile(output, bytes);
    }
    standardOutput.write(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<std::streamsize>(bytes.size()));
    standardOutput.flush();
    if (!standardOutput) {
        return makeError(ErrorCode::FileWrite, "Cannot write to standard output");
    }
    return {};
}

}  // namespace orvex
