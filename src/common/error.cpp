#include "common/error.h"

#include <cstdio>

namespace orvex {

std::string Error::describe() const {
    if (!offset) {
        return message;
    }
    return message + " (offset " + hexOffset(*offset) + ")";
}

Error makeError(ErrorCode code, std::string message) {
    return Error{code, std::move(message), std::nullopt};
}

Error makeError(ErrorCode code, std::string message, std::int64_t offset) {
    return Error{code, std::move(message), offset};
}

// Images are at most 8 MiB: offsets print in 32 bits at most, one before an image's start as a
// negative number rather than a 64-bit wrap.
std::string hexOffset(std::int64_t offset) {
    char text[24];
    const auto magnitude = offset < 0 ? 0 - static_cast<unsigned long long>(offset)
                                      : static_cast<unsigned long long>(offset);
    std::snprintf(text, sizeof text, "%s0x%llX", offset < 0 ? "-" : "", magnitude);
    return text;
}

}  // namespace orvex
