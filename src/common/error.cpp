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

std::string hexOffset(std::int64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(offset));
    return text;
}

}  // namespace orvex
