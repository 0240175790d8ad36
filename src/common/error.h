#pragma once

#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace orvex {

// What kind of failure an operation met. The message carries the details a user reads.
enum class ErrorCode {
    FileOpen,       // the file could not be opened
    FileRead,       // a read failed or ran past the end of the file
    FileWrite,      // a write failed or the file is read-only
    ValueTooLarge,  // a field does not fit its width (a long of 0x80000000 or more, ...)
    OutOfRange,     // an offset or index lies outside the data it refers to
    CorruptStream,  // a compressed stream breaks the format or exceeds its limits
    InputTooLarge,  // an encoder input is longer than the encoder accepts
    NoRoom,         // new data is longer than the room it must fit into
    NotLoaded,      // the operation needs a level that has been loaded completely
    Cancelled,      // the user answered a question with No
    NotARom,        // the file is not a Mega Drive cartridge image this editor understands
    NotPlainImage,  // a copier dump (header, interleaved, byte-swapped): normalise it first
    Truncated,      // the image is shorter than its own header says
    ChangedOnDisk,  // another program changed what a save would overwrite since it was read
    ListsMustMove,  // a placement list outgrew its place or is shared: the lists must be moved
    ArtMustMove,    // an art or mapping stream outgrew its place: it must be moved
    NotAProject,    // a folder that holds no disassembly project (no listing, no build script)
    BuildFailed,    // a project's build could not run, failed or did not finish in time
};

// An error value: a code, a message for the user, and the byte offset where the data broke
// (when there is one).
struct Error {
    ErrorCode code;
    std::string message;
    std::optional<std::int64_t> offset;

    // The message, followed by " (offset 0x...)" when an offset is known.
    [[nodiscard]] std::string describe() const;
};

[[nodiscard]] Error makeError(ErrorCode code, std::string message);
[[nodiscard]] Error makeError(ErrorCode code, std::string message, std::int64_t offset);

// "0x1A4"-style hexadecimal text for offsets in messages.
[[nodiscard]] std::string hexOffset(std::int64_t offset);

// Either a value or an Error. No exception crosses the core's API; callers test ok() first.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : mState(std::move(value)) {}      // NOLINT: implicit by design
    Result(Error error) : mState(std::move(error)) {}  // NOLINT: implicit by design

    [[nodiscard]] bool ok() const { return std::holds_alternative<T>(mState); }
    explicit operator bool() const { return ok(); }

    [[nodiscard]] T& value() & {
        assert(ok());
        return std::get<T>(mState);
    }
    [[nodiscard]] const T& value() const& {
        assert(ok());
        return std::get<T>(mState);
    }
    [[nodiscard]] T&& value() && {
        assert(ok());
        return std::get<T>(std::move(mState));
    }
    [[nodiscard]] const Error& error() const {
        assert(!ok());
        return std::get<Error>(mState);
    }

    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

private:
    std::variant<T, Error> mState;
};

// The result of an operation that yields nothing but success or an Error.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : mError(std::move(error)) {}  // NOLINT: implicit by design

    [[nodiscard]] bool ok() const { return !mError.has_value(); }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const Error& error() const {
        assert(!ok());
        return *mError;
    }

private:
    std::optional<Error> mError;
};

using Status = Result<void>;

}  // namespace orvex
