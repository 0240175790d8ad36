#include "toolfiles.h"

#include <unistd.h>

#include <fstream>
#include <string>
#include <system_error>

#include "rom/romimage.h"

namespace orvex {

namespace {

Error writeError(const std::filesystem::path& path, const std::string& why) {
    return makeError(ErrorCode::FileWrite, "Cannot write " + path.string() + ": " + why);
}

}  // namespace

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path) {
    // The ROM reader reads any file in one go and names it in its errors.
    return RomImage(path).readAll();
}

std::filesystem::path temporarySibling(const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".orvex-tmp-" + std::to_string(::getpid());
    return temporary;
}

Status moveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& target) {
    std::error_code failure;
    std::filesystem::rename(temporary, target, failure);
    if (failure) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return writeError(target, failure.message());
    }
    return {};
}

Status writeFileAtomically(const std::filesystem::path& path, ByteSpan bytes) {
    const std::filesystem::path temporary = temporarySibling(path);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return writeError(path, "the file cannot be created");
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return writeError(path, "the write failed");
        }
    }
    return moveIntoPlace(temporary, path);
}

}  // namespace orvex
