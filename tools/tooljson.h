#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "common/byteorder.h"
#include "common/error.h"

// JSON files the tool reads, parsed strictly.

namespace orvex {

// Larger files are refused before they are read.
inline constexpr std::int64_t kMaxJsonFileSize = 8 * 1024 * 1024;
// Arrays and objects nested deeper are refused.
inline constexpr std::size_t kMaxJsonDepth = 64;

// Parses `text` as exactly one JSON value, in time linear in its length (n log n for objects
// with many keys). CorruptStream, naming the line and column where the library gives them, for:
// a syntax error or a number past the range of a double; anything but whitespace after the
// value; a NUL byte anywhere; a key twice in one object (naming the key and the object's path,
// e.g. objects[3]); nesting deeper than kMaxJsonDepth.
[[nodiscard]] Result<nlohmann::json> parseJson(ByteSpan text);

// The file at `path` parsed by parseJson. FileOpen for a file that cannot be read or is larger
// than kMaxJsonFileSize (saying so and giving the limit).
[[nodiscard]] Result<nlohmann::json> readJsonFile(const std::filesystem::path& path);

// Writes `json` as the export commands do, two spaces an indent and a newline after it, through
// writeOutput (standard output for "-"; never over `input`).
[[nodiscard]] Status writeJsonOutput(const std::filesystem::path& output,
                                     const nlohmann::ordered_json& json,
                                     std::ostream& standardOutput,
                                     const std::filesystem::path& input);

// The file's "level", when it has one, must be `level` (an index; the file counts from 1)
// unless `anyLevel`: OutOfRange saying to pass --any-level.
[[nodiscard]] Status checkFileLevel(const nlohmann::json& file, std::int16_t level, bool anyLevel);

// "must be a whole number from 0 to 15", for messages about a field.
inline std::string rangeText(std::int64_t minimum, std::int64_t maximum) {
    return "must be a whole number from " + std::to_string(minimum) + " to " +
           std::to_string(maximum);
}

// One field of one entry of a file, checked against its range; the first bad one names itself
// ("object 3, field \"x\" must be a whole number from 0 to 65534").
class EntryReader {
    using Json = nlohmann::json;

public:
    EntryReader(const Json& entry, std::string what) : mEntry(entry), mWhat(std::move(what)) {}

    std::uint16_t number(const char* field, std::int64_t minimum, std::int64_t maximum) {
        const Json* value = find(field);
        if (value == nullptr) {
            return 0;
        }
        if (!value->is_number_integer() || value->get<std::int64_t>() < minimum ||
            value->get<std::int64_t>() > maximum) {
            fail(field, rangeText(minimum, maximum));
            return 0;
        }
        return static_cast<std::uint16_t>(value->get<std::int64_t>());
    }

    // A string that must be one of `names`; its index there.
    std::uint8_t choice(const char* field, std::initializer_list<std::string_view> names) {
        const Json* value = find(field);
        if (value == nullptr) {
            return 0;
        }
        std::uint8_t index = 0;
        for (const std::string_view name : names) {
            if (value->is_string() && value->get<std::string>() == name) {
                return index;
            }
            ++index;
        }
        std::string list;
        for (const std::string_view name : names) {
            list += (list.empty() ? "\"" : ", \"") + std::string(name) + "\"";
        }
        fail(field, "must be one of " + list);
        return 0;
    }

    bool flag(const char* field) {
        const Json* value = find(field);
        if (value != nullptr && !value->is_boolean()) {
            fail(field, "must be true or false");
            return false;
        }
        return value != nullptr && value->get<bool>();
    }

    [[nodiscard]] const std::string& error() const { return mError; }

private:
    const Json* find(const char* field) {
        if (!mEntry.is_object()) {
            fail(nullptr, "is not an object");
            return nullptr;
        }
        const auto found = mEntry.find(field);
        if (found == mEntry.end()) {
            fail(field, "is missing");
            return nullptr;
        }
        return &*found;
    }

    void fail(const char* field, const std::string& why) {
        if (mError.empty()) {
            mError = mWhat + (field != nullptr ? ", field \"" + std::string(field) + "\"" : "") +
                     " " + why;
        }
    }

    const Json& mEntry;
    std::string mWhat;
    std::string mError;
};

}  // namespace orvex
