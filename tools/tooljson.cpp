#include "tooljson.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "rom/leveldirectory.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"
#include "toolfiles.h"

namespace orvex {

namespace {

using Json = nlohmann::json;

static_assert(kMaxJsonFileSize <= kMaxRomFileSize, "readWholeFile reads no more");

// "line 3, column 7": where the byte before `position` lies, both counted from 1, as the
// library counts them.
std::string lineAndColumn(ByteSpan text, std::size_t position) {
    const auto end = text.begin() + static_cast<std::ptrdiff_t>(std::min(position, text.size()));
    const auto lines = std::count(text.begin(), end, std::uint8_t{'\n'});
    const auto lineStart =
        std::find(std::make_reverse_iterator(end), text.rend(), std::uint8_t{'\n'}).base();
    return "line " + std::to_string(lines + 1) + ", column " + std::to_string(end - lineStart);
}

// Builds the value as the library's own parser does, with the checks that parser lacks: a key
// an object already has, and nesting deeper than kMaxJsonDepth. The first refusal stops the
// parse and is kept in error().
class StrictBuilder final : public nlohmann::json_sax<Json> {
public:
    explicit StrictBuilder(ByteSpan text) : mText(text) {}

    bool null() override { return add(nullptr); }
    bool boolean(bool value) override { return add(value); }
    bool number_integer(number_integer_t value) override { return add(value); }
    bool number_unsigned(number_unsigned_t value) override { return add(value); }
    bool number_float(number_float_t value, const string_t& /*text*/) override {
        return add(value);
    }
    bool string(string_t& value) override { return add(std::move(value)); }
    bool binary(binary_t& value) override { return add(Json::binary(std::move(value))); }
    bool start_object(std::size_t /*elements*/) override { return open(Json::object()); }
    bool start_array(std::size_t /*elements*/) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& key) override {
        if (mOpen.back().value->contains(key)) {
            mError = "duplicate key \"" + key + "\" in " + openPath();
            return false;
        }
        mKey = std::move(key);
        return true;
    }

    bool parse_error(std::size_t position, const std::string& /*token*/,
                     const Json::exception& error) override {
        // "[json.exception.parse_error.101] parse error at line 1, column 5: ..." names the
        // place; the other kinds ("number overflow parsing '1e400'") do not.
        std::string text = error.what();
        const auto tagEnd = text.find("] ");
        text.erase(0, tagEnd == std::string::npos ? 0 : tagEnd + 2);
        if (dynamic_cast<const Json::parse_error*>(&error) == nullptr) {
            text += " at " + lineAndColumn(mText, position);
        }
        mError = text;
        return false;
    }

    [[nodiscard]] Json take() { return std::move(mRoot); }
    [[nodiscard]] const std::string& error() const { return mError; }

private:
    struct Frame {
        Json* value;
        std::string label;  // how its parent names it: ".objects", "[3]"
    };

    // Puts `value` where the parse is: the root, the end of the open array or the open
    // object's last key. Returns where it now lies.
    Json* place(Json&& value) {
        if (mOpen.empty()) {
            mRoot = std::move(value);
            return &mRoot;
        }
        Json& parent = *mOpen.back().value;
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        return &(parent[mKey] = std::move(value));
    }

    bool add(Json&& value) {
        place(std::move(value));
        return true;
    }

    bool open(Json&& value) {
        if (mOpen.size() >= kMaxJsonDepth) {
            mError =
                "arrays and objects nest deeper than " + std::to_string(kMaxJsonDepth) + " levels";
            return false;
        }
        std::string label;
        if (!mOpen.empty()) {
            const Json& parent = *mOpen.back().value;
            label = parent.is_array() ? "[" + std::to_string(parent.size()) + "]" : "." + mKey;
        }
        Json* placed = place(std::move(value));
        mOpen.push_back({placed, std::move(label)});
        return true;
    }

    bool close() {
        mOpen.pop_back();
        return true;
    }

    // "the top-level object", or the open value's path such as objects[3].
    [[nodiscard]] std::string openPath() const {
        std::string path;
        for (const Frame& frame : mOpen) {
            path += frame.label;
        }
        return path.empty() ? "the top-level object" : path.substr(path[0] == '.' ? 1 : 0);
    }

    ByteSpan mText;
    Json mRoot;
    std::vector<Frame> mOpen;
    std::string mKey;
    std::string mError;
};

}  // namespace

Result<Json> parseJson(ByteSpan text) {
    // The library's lexer takes a NUL byte for the end of the input, and JSON text never holds
    // one: whatever follows it would go unread.
    const auto nul = std::find(text.begin(), text.end(), std::uint8_t{0});
    if (nul != text.end()) {
        const auto position = static_cast<std::size_t>(nul - text.begin()) + 1;
        return makeError(
            ErrorCode::CorruptStream,
            "a NUL byte at " + lineAndColumn(text, position) + ", which JSON text never holds");
    }
    StrictBuilder builder(text);
    try {
        if (Json::sax_parse(text.data(), text.data() + text.size(), &builder)) {
            return builder.take();
        }
    } catch (const Json::exception& error) {
        return makeError(ErrorCode::CorruptStream, error.what());
    }
    return makeError(ErrorCode::CorruptStream, builder.error());
}

Status writeJsonOutput(const std::filesystem::path& output, const nlohmann::ordered_json& json,
                       std::ostream& standardOutput, const std::filesystem::path& input) {
    const std::string text = json.dump(2) + "\n";
    return writeOutput(output, std::vector<std::uint8_t>(text.begin(), text.end()), standardOutput,
                       input);
}

Result<Json> readJsonFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);  // an error for all but files
    if (!error && size > static_cast<std::uintmax_t>(kMaxJsonFileSize)) {
        return makeError(ErrorCode::FileOpen,
                         "Cannot read " + path.string() + ": it is " + std::to_string(size) +
                             " bytes, and a JSON file may have at most " +
                             std::to_string(kMaxJsonFileSize) + " bytes (8 MiB)");
    }
    auto bytes = readWholeFile(path);
    if (!bytes) {
        return bytes.error();
    }
    return parseJson(*bytes);
}

Status checkFileLevel(const nlohmann::json& file, std::int16_t level, bool anyLevel) {
    const auto found = file.find("level");
    if (anyLevel || found == file.end()) {
        return {};
    }
    if (!found->is_number_integer() || found->get<std::int64_t>() < 1 ||
        found->get<std::int64_t>() > kLevelCount) {
        return makeError(ErrorCode::OutOfRange,
                         "the file's field \"level\" " + rangeText(1, kLevelCount));
    }
    if (found->get<std::int64_t>() != level + 1) {
        return makeError(ErrorCode::OutOfRange, "the file holds level " +
                                                    std::to_string(found->get<std::int64_t>()) +
                                                    ", not " + levelName(level) +
                                                    "; pass --any-level to import it anyway");
    }
    return {};
}

}  // namespace orvex
