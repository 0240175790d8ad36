#include "project/listing.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>

namespace orvex {

namespace {

// Bytes read from the stream at a time; a line may span two reads.
constexpr std::size_t kReadBlock = 1 << 20;
// A longer line is no listing line; it is skipped rather than held.
constexpr std::size_t kMaxLine = 1 << 16;

// What the number and address columns of a code line hold.
struct CodeLine {
    std::int32_t depth = 0;
    std::int32_t line = 0;
    std::int64_t address = 0;
    std::string_view rest;  // the generated field and the source text
};

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

void skipSpaces(std::string_view text, std::size_t& at) {
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
}

// Decimal digits at `at` (at most nine), advancing past them.
std::optional<std::int32_t> readDecimal(std::string_view text, std::size_t& at) {
    const std::size_t from = at;
    std::int32_t value = 0;
    while (at < text.size() && at - from < 9 &&
           std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return at == from ? std::nullopt : std::optional(value);
}

std::optional<std::int64_t> readHex(std::string_view text, std::size_t& at) {
    const std::size_t from = at;
    std::int64_t value = 0;
    while (at < text.size() && at - from < 12 &&
           std::isxdigit(static_cast<unsigned char>(text[at]))) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[at])));
        value = value * 16 + (c <= '9' ? c - '0' : c - 'A' + 10);
        ++at;
    }
    return at == from ? std::nullopt : std::optional(value);
}

// "(n)  line/  address : rest"; none for page headers, continuation and blank lines.
std::optional<CodeLine> parseCodeLine(std::string_view text) {
    CodeLine code;
    std::size_t at = 0;
    if (!text.empty() && text[0] == '(') {
        ++at;
        const auto depth = readDecimal(text, at);
        if (!depth || at >= text.size() || text[at] != ')') {
            return std::nullopt;
        }
        code.depth = *depth;
        ++at;
    }
    skipSpaces(text, at);
    const auto line = readDecimal(text, at);
    if (!line || at >= text.size() || text[at] != '/') {
        return std::nullopt;
    }
    ++at;
    skipSpaces(text, at);
    const auto address = readHex(text, at);
    if (!address || text.substr(at, 3) != " : ") {
        return std::nullopt;
    }
    code.line = *line;
    code.address = *address;
    code.rest = text.substr(at + 3);
    return code;
}

// The text before a comment (a ';' outside quotes).
std::string_view withoutComment(std::string_view text) {
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            return text.substr(0, i);
        }
    }
    return text;
}

bool sameWord(std::string_view word, std::string_view lowerKeyword) {
    return word.size() == lowerKeyword.size() &&
           std::equal(word.begin(), word.end(), lowerKeyword.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

enum class Directive { None, Binclude, Include, SizeEntry, MacroStart, MacroEnd };

struct Statement {
    Directive directive = Directive::None;
    std::string_view argument;  // the quoted path of BINCLUDE and include
    bool levelSizeLabel = false;
};

// The quoted text after `from`, without its quotes.
std::string_view quoted(std::string_view text, std::size_t from) {
    const std::size_t open = text.find_first_of("\"'", from);
    if (open == std::string_view::npos) {
        return {};
    }
    const std::size_t close = text.find(text[open], open + 1);
    return close == std::string_view::npos ? std::string_view{}
                                           : text.substr(open + 1, close - open - 1);
}

// What the source text of a code line does. The generated field before it holds only hex
// bytes, "=$..." and "(MACRO...)", none of which is a word looked for here.
Statement classify(std::string_view rest) {
    const std::string_view code = withoutComment(rest);
    Statement statement;
    std::size_t at = 0;
    while (at < code.size()) {
        while (at < code.size() && (isSpace(code[at]) || code[at] == ',')) {
            ++at;
        }
        const std::size_t from = at;
        while (at < code.size() && !isSpace(code[at]) && code[at] != ',' && code[at] != '"' &&
               code[at] != '\'') {
            ++at;
        }
        const std::string_view word = code.substr(from, at - from);
        if (word.empty()) {
            ++at;  // a quote outside a directive
            continue;
        }
        if (word == "LevelSize:" || word == "LevelSize") {
            statement.levelSizeLabel = true;
            continue;
        }
        if (sameWord(word, "binclude")) {
            statement.directive = Directive::Binclude;
        } else if (sameWord(word, "include")) {
            statement.directive = Directive::Include;
        } else if (sameWord(word, "zonetableentry.w")) {
            statement.directive = Directive::SizeEntry;
        } else if (sameWord(word, "macro")) {
            // `name macro ...` opens a macro's definition, whose lines place nothing.
            statement.directive = Directive::MacroStart;
        } else if (sameWord(word, "endm")) {
            statement.directive = Directive::MacroEnd;
        } else {
            continue;
        }
        if (statement.directive == Directive::Binclude ||
            statement.directive == Directive::Include) {
            statement.argument = quoted(code, at);
        }
        return statement;
    }
    return statement;
}

class ListingReader {
public:
    explicit ListingReader(std::string mainSource) {
        mStack.push_back(mainSource);
        mListing.sources.push_back(std::move(mainSource));
    }

    // False once the symbol table begins.
    bool take(std::string_view text) {
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        const std::size_t first = text.find_first_not_of(" \f");
        if (first != std::string_view::npos && text.substr(first).starts_with("Symbol Table")) {
            return false;
        }
        if (const auto code = parseCodeLine(text)) {
            takeCode(*code);
        }
        return true;
    }

    Listing finish() {
        const auto byAddress = [](const auto& a, const auto& b) { return a.address < b.address; };
        std::stable_sort(mListing.files.begin(), mListing.files.end(), byAddress);
        std::stable_sort(mListing.entries.begin(), mListing.entries.end(), byAddress);
        return std::move(mListing);
    }

private:
    void takeCode(const CodeLine& code) {
        ++mListing.codeLines;
        if (mOpenFile) {
            PlacedFile& open = mListing.files[*mOpenFile];
            open.length = code.address >= open.address ? code.address - open.address : 0;
            mOpenFile.reset();
        }
        const auto depth = static_cast<std::size_t>(code.depth);
        const std::string& source = depth < mStack.size() ? mStack[depth] : mUnknown;
        const Statement statement = classify(code.rest);
        if (mInMacro || statement.directive == Directive::MacroStart) {
            mInMacro = statement.directive != Directive::MacroEnd;
            return;
        }
        if (statement.levelSizeLabel) {
            mListing.levelSizeTable = code.address;
        }
        switch (statement.directive) {
            case Directive::Binclude:
                // A path that still holds a macro's parameter is the macro's definition.
                if (!statement.argument.empty() &&
                    statement.argument.find('\\') == std::string_view::npos) {
                    mOpenFile = mListing.files.size();
                    mListing.files.push_back(
                        {code.address, 0, std::string(statement.argument), source, code.line});
                }
                break;
            case Directive::Include:
                mStack.resize(depth + 2);
                mStack[depth + 1] = std::string(statement.argument);
                mListing.sources.emplace_back(statement.argument);
                break;
            case Directive::SizeEntry:
                mListing.entries.push_back({code.address, source, code.line});
                break;
            case Directive::MacroStart:
            case Directive::MacroEnd:
            case Directive::None:
                break;
        }
    }

    Listing mListing;
    std::vector<std::string> mStack;  // the source file open at each depth
    std::string mUnknown;
    std::optional<std::size_t> mOpenFile;  // the file whose end the next code line gives
    bool mInMacro = false;                 // inside a macro's definition
};

}  // namespace

const PlacedFile* Listing::fileAt(std::int64_t address) const {
    auto it = std::lower_bound(files.begin(), files.end(), address,
                               [](const PlacedFile& f, std::int64_t a) { return f.address < a; });
    const PlacedFile* empty = nullptr;
    for (; it != files.end() && it->address == address; ++it) {
        if (it->length > 0) {
            return &*it;
        }
        empty = empty != nullptr ? empty : &*it;
    }
    return empty;
}

const InlineEntry* Listing::entryAt(std::int64_t address) const {
    auto it = std::lower_bound(entries.begin(), entries.end(), address,
                               [](const InlineEntry& e, std::int64_t a) { return e.address < a; });
    return it != entries.end() && it->address == address ? &*it : nullptr;
}

Result<Listing> parseListing(std::istream& in, std::string mainSource) {
    ListingReader reader(std::move(mainSource));
    std::vector<char> block(kReadBlock);
    std::string carry;  // the start of a line the last block cut
    bool going = true;
    bool skipping = false;  // inside a line longer than kMaxLine
    while (going && in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) {
            return makeError(ErrorCode::FileRead, "The listing could not be read");
        }
        std::string_view data(block.data(), got);
        while (going && !data.empty()) {
            const std::size_t end = data.find('\n');
            const std::string_view piece = data.substr(0, end);
            if (end == std::string_view::npos) {
                skipping = skipping || carry.size() + piece.size() > kMaxLine;
                if (!skipping) {
                    carry.append(piece);
                }
                break;
            }
            if (!skipping) {
                going = carry.empty() ? reader.take(piece) : reader.take(carry.append(piece));
            }
            carry.clear();
            skipping = false;
            data.remove_prefix(end + 1);
        }
    }
    if (going && !carry.empty() && !skipping) {
        reader.take(carry);
    }
    Listing listing = reader.finish();
    if (listing.codeLines == 0) {
        return makeError(ErrorCode::CorruptStream,
                         "This is not an assembler listing: it holds no line with a line "
                         "number and an address");
    }
    return listing;
}

Result<Listing> readListing(const std::filesystem::path& path, std::string mainSource) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return makeError(ErrorCode::FileOpen, "Cannot open the listing " + path.string());
    }
    auto listing = parseListing(in, std::move(mainSource));
    if (!listing) {
        return makeError(listing.error().code, path.string() + ": " + listing.error().message);
    }
    return listing;
}

}  // namespace orvex
