#include "project/boundaryline.h"

#include <array>
#include <cctype>
#include <optional>

namespace orvex {

namespace {

constexpr std::string_view kKeyword = "zonetableentry.w";

// One number of the line: where it stands and how it is written.
struct Number {
    std::size_t from = 0;
    std::size_t to = 0;
    bool negative = false;
    bool hex = false;
    bool lowercase = false;
    std::size_t digits = 0;  // digits written, leading zeros included
    bool leadingZero = false;
    std::int64_t value = 0;  // as written, sign included
};

struct ParsedLine {
    std::array<Number, 4> numbers;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

Error notPlain(std::string_view line, std::string_view why) {
    return makeError(ErrorCode::CorruptStream,
                     "The boundaries of this act are read-only here: its source line is not a "
                     "plain list of four numbers (" +
                         std::string(why) + "): " + std::string(line));
}

// The keyword's position as a whole word, case ignored.
std::optional<std::size_t> findKeyword(std::string_view line) {
    for (std::size_t at = 0; at + kKeyword.size() <= line.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < kKeyword.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(line[at + i])) == kKeyword[i];
        }
        const bool startsWord = at == 0 || isSpace(line[at - 1]) || line[at - 1] == ':';
        if (same && startsWord) {
            return at;
        }
    }
    return std::nullopt;
}

int digitValue(char c, bool hex) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return hex && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// A plain number at `at`: [-]$hex or [-]decimal, advancing past it.
std::optional<Number> readNumber(std::string_view line, std::size_t& at) {
    Number number;
    number.from = at;
    if (at < line.size() && line[at] == '-') {
        number.negative = true;
        ++at;
    }
    if (at < line.size() && line[at] == '$') {
        number.hex = true;
        ++at;
    }
    std::int64_t magnitude = 0;
    for (; at < line.size() && number.digits < 8; ++at, ++number.digits) {
        const int digit = digitValue(line[at], number.hex);
        if (digit < 0) {
            break;
        }
        number.lowercase = number.lowercase || std::islower(static_cast<unsigned char>(line[at]));
        magnitude = magnitude * (number.hex ? 16 : 10) + digit;
    }
    number.to = at;
    number.leadingZero = number.digits > 1 && line[at - number.digits] == '0';
    number.value = number.negative ? -magnitude : magnitude;
    if (number.digits == 0 || number.value < -0x8000 || number.value > 0xFFFF) {
        return std::nullopt;
    }
    return number;
}

Result<ParsedLine> parseLine(std::string_view line) {
    const auto keyword = findKeyword(line);
    if (!keyword) {
        return notPlain(line, "no zoneTableEntry.w");
    }
    ParsedLine parsed;
    std::size_t at = *keyword + kKeyword.size();
    if (at >= line.size() || !isSpace(line[at])) {
        return notPlain(line, "no values after zoneTableEntry.w");
    }
    for (std::size_t i = 0; i < parsed.numbers.size(); ++i) {
        while (at < line.size() && isSpace(line[at])) {
            ++at;
        }
        if (i > 0) {
            if (at >= line.size() || line[at] != ',') {
                return notPlain(line, "fewer than four values");
            }
            ++at;
            while (at < line.size() && isSpace(line[at])) {
                ++at;
            }
        }
        const auto number = readNumber(line, at);
        if (!number ||
            (at < line.size() && !isSpace(line[at]) && line[at] != ',' && line[at] != ';')) {
            return notPlain(line, "value " + std::to_string(i + 1) + " is not a plain number");
        }
        parsed.numbers[i] = *number;
    }
    while (at < line.size() && isSpace(line[at])) {
        ++at;
    }
    if (at < line.size() && line[at] != ';') {
        return notPlain(line, "more than four values");
    }
    return parsed;
}

std::uint16_t word(const Number& number) {
    return static_cast<std::uint16_t>(number.value & 0xFFFF);
}

// `value` in the notation of `was`.
std::string written(const Number& was, std::uint16_t value) {
    const auto asSigned = static_cast<std::int16_t>(value);
    const bool negative = was.negative && asSigned < 0;
    const std::uint32_t magnitude =
        negative ? static_cast<std::uint32_t>(-std::int32_t{asSigned}) : std::uint32_t{value};
    std::string digits;
    const std::uint32_t base = was.hex ? 16 : 10;
    const char* set = was.lowercase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::uint32_t rest = magnitude;
    do {
        digits.insert(digits.begin(), set[rest % base]);
        rest /= base;
    } while (rest != 0);
    // Leading zeros written before stay: `$0320` keeps four digits.
    if (was.leadingZero && was.digits > digits.size()) {
        digits.insert(0, was.digits - digits.size(), '0');
    }
    return std::string(negative ? "-" : "") + (was.hex ? "$" : "") + digits;
}

// The line without its ending, and the ending ("\n", "\r\n" or "").
std::pair<std::string_view, std::string_view> splitEnding(std::string_view line) {
    std::size_t end = line.size();
    if (end > 0 && line[end - 1] == '\n') {
        --end;
    }
    if (end > 0 && line[end - 1] == '\r') {
        --end;
    }
    return {line.substr(0, end), line.substr(end)};
}

// Where line `lineNumber` (1-based) starts and ends (past its '\n') in `file`.
Result<std::pair<std::size_t, std::size_t>> lineSpan(ByteSpan file, std::int32_t lineNumber) {
    std::size_t from = 0;
    for (std::int32_t n = 1; n < lineNumber && from < file.size(); ++n) {
        while (from < file.size() && file[from] != '\n') {
            ++from;
        }
        from += from < file.size() ? std::size_t{1} : std::size_t{0};
    }
    if (lineNumber < 1 || from >= file.size()) {
        return makeError(ErrorCode::OutOfRange,
                         "The source has no line " + std::to_string(lineNumber));
    }
    std::size_t to = from;
    while (to < file.size() && file[to] != '\n') {
        ++to;
    }
    return std::pair(from, to < file.size() ? to + 1 : to);
}

}  // namespace

Result<LevelBounds> parseBoundaryLine(std::string_view line) {
    auto parsed = parseLine(splitEnding(line).first);
    if (!parsed) {
        return parsed.error();
    }
    const auto& n = parsed->numbers;
    return LevelBounds{word(n[0]), word(n[1]), word(n[2]), word(n[3])};
}

Result<std::string> rewriteBoundaryLine(std::string_view line, const LevelBounds& bounds) {
    const auto [body, ending] = splitEnding(line);
    auto parsed = parseLine(body);
    if (!parsed) {
        return parsed.error();
    }
    const std::array<std::uint16_t, 4> values{bounds.xMin, bounds.xMax, bounds.yMin, bounds.yMax};
    std::string result(body);
    for (std::size_t i = parsed->numbers.size(); i-- > 0;) {
        const Number& number = parsed->numbers[i];
        result.replace(number.from, number.to - number.from, written(number, values[i]));
    }
    return result.append(ending);
}

Result<std::vector<std::uint8_t>> rewriteBoundaryInFile(ByteSpan file, std::int32_t lineNumber,
                                                        const LevelBounds& bounds) {
    auto span = lineSpan(file, lineNumber);
    if (!span) {
        return span.error();
    }
    const auto [from, to] = *span;
    const std::string_view line(reinterpret_cast<const char*>(file.data()) + from, to - from);
    auto rewritten = rewriteBoundaryLine(line, bounds);
    if (!rewritten) {
        return rewritten.error();
    }
    std::vector<std::uint8_t> result(file.begin(),
                                     file.begin() + static_cast<std::ptrdiff_t>(from));
    result.insert(result.end(), rewritten->begin(), rewritten->end());
    result.insert(result.end(), file.begin() + static_cast<std::ptrdiff_t>(to), file.end());
    return result;
}

Result<std::string> sourceLine(ByteSpan file, std::int32_t lineNumber) {
    auto span = lineSpan(file, lineNumber);
    if (!span) {
        return span.error();
    }
    const std::string_view line(reinterpret_cast<const char*>(file.data()) + span->first,
                                span->second - span->first);
    return std::string(splitEnding(line).first);
}

}  // namespace orvex
