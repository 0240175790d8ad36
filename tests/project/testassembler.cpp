#include "project/testassembler.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "rom/checksum.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex::testing {

namespace {

constexpr int kLinesPerPage = 60;
constexpr std::size_t kFieldWidth = 20;

struct SourceLine {
    std::string file;
    int number = 0;
    int depth = 0;
    std::string text;
};

std::string trim(std::string_view text) {
    const auto from = text.find_first_not_of(" \t");
    if (from == std::string_view::npos) {
        return {};
    }
    const auto to = text.find_last_not_of(" \t");
    return std::string(text.substr(from, to - from + 1));
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string withoutComment(const std::string& text) {
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quote != 0) {
            quote = text[i] == quote ? 0 : quote;
        } else if (text[i] == '"') {
            quote = '"';
        } else if (text[i] == ';') {
            return text.substr(0, i);
        }
    }
    return text;
}

std::string quotedArgument(const std::string& text) {
    const auto open = text.find('"');
    const auto close = open == std::string::npos ? open : text.find('"', open + 1);
    return close == std::string::npos ? std::string{} : text.substr(open + 1, close - open - 1);
}

std::vector<std::string> splitArguments(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ',')) {
        parts.push_back(trim(part));
    }
    return parts;
}

Result<std::string> readText(const std::filesystem::path& path) {
    auto bytes = readRegularFile(path);
    if (!bytes) {
        return bytes.error();
    }
    return std::string(bytes->begin(), bytes->end());
}

// A statement of a line: its label, its instruction (lower case) and the text after it.
struct Statement {
    std::string label;
    std::string instruction;
    std::string arguments;
};

Statement parseStatement(const std::string& text) {
    Statement statement;
    std::string rest = trim(withoutComment(text));
    const auto colon = rest.find(':');
    const auto space = rest.find_first_of(" \t");
    if (colon != std::string::npos && (space == std::string::npos || colon < space)) {
        statement.label = rest.substr(0, colon);
        rest = trim(rest.substr(colon + 1));
    }
    const auto end = rest.find_first_of(" \t");
    statement.instruction = lower(rest.substr(0, end));
    statement.arguments = end == std::string::npos ? std::string{} : trim(rest.substr(end));
    // `name macro ...` defines a macro: the name comes first.
    const auto words = rest.find_first_of(" \t");
    if (words != std::string::npos && lower(trim(rest.substr(words))).rfind("macro", 0) == 0) {
        statement.instruction = "macro";
    }
    return statement;
}

class Assembler {
public:
    explicit Assembler(std::filesystem::path folder) : mFolder(std::move(folder)) {}

    Status run() {
        if (Status read = flatten("s2.asm", 0); !read) {
            return read;
        }
        if (Status first = pass(false); !first) {
            return first;
        }
        mImage.clear();
        mListing.clear();
        if (Status second = pass(true); !second) {
            return second;
        }
        return finish();
    }

private:
    Status flatten(const std::string& file, int depth) {
        auto text = readText(mFolder / file);
        if (!text) {
            return makeError(ErrorCode::FileOpen, "cannot open " + file);
        }
        std::stringstream stream(*text);
        std::string line;
        int number = 0;
        while (std::getline(stream, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            mLines.push_back({file, ++number, depth, line});
            const Statement statement = parseStatement(line);
            if (statement.instruction == "include") {
                if (Status inner = flatten(quotedArgument(statement.arguments), depth + 1);
                    !inner) {
                    return inner;
                }
            }
        }
        return {};
    }

    Error lineError(const SourceLine& line, const std::string& what) const {
        return makeError(ErrorCode::CorruptStream,
                         line.file + ":" + std::to_string(line.number) + ": " + what);
    }

    Result<std::int64_t> value(const SourceLine& line, const std::string& expression) const {
        std::int64_t total = 0;
        std::size_t at = 0;
        int sign = 1;
        while (at < expression.size()) {
            const char c = expression[at];
            if (c == ' ' || c == '\t') {
                ++at;
            } else if (c == '+' || c == '-') {
                sign = c == '-' ? -sign : sign;
                ++at;
            } else {
                std::size_t to = at;
                while (to < expression.size() && expression[to] != '+' && expression[to] != '-' &&
                       expression[to] != ' ' && expression[to] != '\t') {
                    ++to;
                }
                const std::string term = expression.substr(at, to - at);
                std::int64_t number = 0;
                if (term[0] == '$') {
                    number = std::stoll(term.substr(1), nullptr, 16);
                } else if (auto label = mLabels.find(term); label != mLabels.end()) {
                    number = label->second;
                } else if (mEmitting) {
                    return lineError(line, "unknown label " + term);
                }
                total += sign * number;
                sign = 1;
                at = to;
            }
        }
        return total;
    }

    // One statement's bytes; `field` gets what the listing shows of them.
    Result<std::vector<std::uint8_t>> data(const SourceLine& line, const Statement& statement,
                                           std::string& field) {
        const int width = statement.instruction == "dc.b"   ? 1
                          : statement.instruction == "dc.w" ? 2
                                                            : 4;
        std::vector<std::uint8_t> bytes;
        for (const std::string& argument : splitArguments(statement.arguments)) {
            auto number = value(line, argument);
            if (!number) {
                return number.error();
            }
            char text[12];
            for (int i = width - 1; i >= 0; --i) {
                bytes.push_back(static_cast<std::uint8_t>((*number >> (8 * i)) & 0xFF));
            }
            const auto masked =
                static_cast<unsigned long long>(*number) & ((1ULL << (8 * width)) - 1);
            std::snprintf(text, sizeof text, "%0*llX ", 2 * width, masked);
            field += text;
        }
        return bytes;
    }

    Result<std::vector<std::uint8_t>> fileBytes(const SourceLine& line, const std::string& path) {
        auto bytes = readRegularFile(mFolder / path);
        if (!bytes) {
            return lineError(line, "cannot open " + path);
        }
        return bytes;
    }

    void list(const SourceLine& line, std::int64_t address, const std::string& field,
              const std::string& text) {
        if (!mEmitting) {
            return;
        }
        if (mListedLines % kLinesPerPage == 0) {
            mListing += "\f AS V1.42 Beta [Bld 212] - Source File s2.asm(" + line.file +
                        ") - Page " + std::to_string(mListedLines / kLinesPerPage + 1) +
                        " - 12/08/2026 06:00:00 PM\n\n\n";
        }
        ++mListedLines;
        const std::string depth = line.depth > 0 ? "(" + std::to_string(line.depth) + ")" : "";
        char columns[64];
        std::snprintf(columns, sizeof columns, "%s%*d/%8llX : ", depth.c_str(),
                      static_cast<int>(8 - depth.size()), line.number,
                      static_cast<unsigned long long>(address));
        std::string shown = field;
        std::string more;
        if (shown.size() > kFieldWidth) {
            // What does not fit goes on lines of its own, without a number or an address.
            const auto cut = shown.rfind(' ', kFieldWidth);
            more = shown.substr(cut + 1);
            shown = shown.substr(0, cut + 1);
        }
        shown.resize(kFieldWidth, ' ');
        mListing += columns + shown + text + "\n";
        while (!more.empty()) {
            const auto cut =
                more.size() > kFieldWidth ? more.rfind(' ', kFieldWidth) + 1 : more.size();
            mListing += std::string(19, ' ') + more.substr(0, cut) + "\n";
            more = more.substr(cut);
        }
    }

    void place(const std::vector<std::uint8_t>& bytes) {
        if (mEmitting) {
            mImage.insert(mImage.end(), bytes.begin(), bytes.end());
        }
        mAddress += static_cast<std::int64_t>(bytes.size());
    }

    Status macroExpansion(const SourceLine& line, const Statement& statement) {
        list(line, mAddress, "(MACRO)", line.text);
        if (statement.instruction == "zonetableentry.w") {
            for (const std::string& argument : splitArguments(statement.arguments)) {
                std::string field;
                auto bytes = data(line, {"", "dc.w", argument}, field);
                if (!bytes) {
                    return bytes.error();
                }
                list(line, mAddress, field, "                \tdc.w " + argument);
                place(*bytes);
            }
            return {};
        }
        for (const std::string& name : splitArguments(statement.arguments)) {
            const std::string path = "art/palettes/" + name;
            auto bytes = fileBytes(line, path);
            if (!bytes) {
                return bytes.error();
            }
            list(line, mAddress, "", "                \tBINCLUDE \"" + path + "\"");
            place(*bytes);
        }
        return {};
    }

    Status statement(const SourceLine& line) {
        const Statement statement = parseStatement(line.text);
        if (!statement.label.empty()) {
            if (!mEmitting && mLabels.contains(statement.label)) {
                return lineError(line, "label " + statement.label + " defined twice");
            }
            mLabels[statement.label] = mAddress;
        }
        const std::string& op = statement.instruction;
        if (op == "macro") {
            mInMacro = true;
        }
        if (mInMacro) {
            list(line, mAddress, "", line.text);
            mInMacro = op != "endm";
            return {};
        }
        if (op == "zonetableentry.w" || op == "palette") {
            return macroExpansion(line, statement);
        }
        std::string field;
        std::vector<std::uint8_t> bytes;
        if (op == "binclude") {
            auto file = fileBytes(line, quotedArgument(statement.arguments));
            if (!file) {
                return file.error();
            }
            bytes = std::move(*file);
        } else if (op == "dc.b" || op == "dc.w" || op == "dc.l") {
            auto values = data(line, statement, field);
            if (!values) {
                return values.error();
            }
            bytes = std::move(*values);
        } else if (!op.empty() && op != "include" && op != "padding" && op != "end") {
            return lineError(line, "unknown statement " + op);
        }
        list(line, mAddress, field, line.text);
        place(bytes);
        return {};
    }

    Status pass(bool emitting) {
        mEmitting = emitting;
        mAddress = 0;
        mListedLines = 0;
        mInMacro = false;
        for (const SourceLine& line : mLines) {
            if (Status done = statement(line); !done) {
                return done;
            }
        }
        return {};
    }

    void listSymbols() {
        mListing += "\f AS V1.42 Beta [Bld 212] - Source File s2.asm - Page " +
                    std::to_string(mListedLines / kLinesPerPage + 2) +
                    " - 12/08/2026 06:00:00 PM\n\n\n  Symbol Table (* = unused):\n"
                    "  ------------------------\n\n";
        int column = 0;
        for (const auto& [name, address] : mLabels) {
            char entry[96];
            std::snprintf(entry, sizeof entry, " %-28s : %20llX C |", name.c_str(),
                          static_cast<unsigned long long>(address));
            mListing += entry;
            mListing += ++column % 2 == 0 ? "\n" : "";
        }
        mListing += "\n";
    }

    Status finish() {
        std::size_t size = 0x80000;
        while (size < mImage.size()) {
            size *= 2;
        }
        mImage.resize(size, 0);
        if (Status header = finishHeader(mImage, HeaderFields{}); !header) {
            return header;
        }
        listSymbols();
        const std::vector<std::uint8_t> listing(mListing.begin(), mListing.end());
        if (Status image = writeOutputFile(mFolder / kTestBuildImage, mImage); !image) {
            return image;
        }
        return writeOutputFile(mFolder / kTestBuildListing, listing);
    }

    std::filesystem::path mFolder;
    std::vector<SourceLine> mLines;
    std::map<std::string, std::int64_t> mLabels;
    std::vector<std::uint8_t> mImage;
    std::string mListing;
    std::int64_t mAddress = 0;
    int mListedLines = 0;
    bool mEmitting = false;
    bool mInMacro = false;
};

}  // namespace

Status assembleTestProject(const std::filesystem::path& folder) {
    Assembler assembler(folder);
    return assembler.run();
}

}  // namespace orvex::testing
