#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "compression/nemesis.h"

// The pixels are cut into runs of one value first. Then two steps take turns a few times:
// choose a code for each (pixel, run length) pair from how often the pair occurs, then cut every
// run into the pieces that cost fewest bits under that code. The code lengths come from an exact
// search over the code space: each pair gets a code of 1..8 bits and pays 16 bits for its table
// entry, or goes through the escape at 13 bits a piece; the codes together may fill at most 252
// of the 256 8-bit prefixes, since the escape 111111 holds the other four. Codes are handed out
// shortest first, counting up from zero, so none of them reaches 111111.

namespace orvex {
namespace {

constexpr std::uint32_t kSymbols = 128;    // 16 pixel values x run lengths 1..8
constexpr std::uint32_t kCodeSpace = 252;  // 8-bit prefixes left beside the escape
constexpr std::int64_t kEscapeCost = 13;   // bits of an escaped piece
constexpr std::int64_t kEntryCost = 16;    // bits of a table entry
constexpr std::int32_t kRounds = 4;        // at most; they stop when a round gains nothing
// Bits of what cannot be done: far above any real count, and adding real counts to it stays
// far below the overflow.
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max() / 4;
constexpr auto kTileBytes = static_cast<std::size_t>(kNemesisTileBytes);

// A piece of a run: pixel << 3 | (length - 1).
using Symbol = std::uint8_t;
using Counts = std::array<std::int64_t, kSymbols>;   // pieces of each symbol, or bits of each
using Lengths = std::array<std::uint8_t, kSymbols>;  // code lengths, 0 for the escape

struct Run {
    std::uint32_t pixel = 0;
    std::int64_t length = 0;
};

struct Code {
    std::uint8_t length = 0;  // 0: the pair has no code and goes through the escape
    std::uint8_t bits = 0;
};
using CodeBook = std::array<Code, kSymbols>;

struct Plan {
    CodeBook book{};
    std::vector<Symbol> pieces;
    std::int64_t bytes = kNever;  // table and data
};

Symbol symbolOf(std::uint32_t pixel, std::uint32_t length) {
    return static_cast<Symbol>((pixel << 3) | (length - 1));
}

// The rows the decoder produces before XOR mode is undone, cut into runs of one pixel value.
std::vector<Run> runsOf(ByteSpan tiles, bool xorMode) {
    std::vector<Run> runs;
    std::uint32_t above = 0;
    for (std::size_t at = 0; at < tiles.size(); at += 4) {
        const std::uint32_t row = (std::uint32_t{tiles[at]} << 24) |
                                  (std::uint32_t{tiles[at + 1]} << 16) |
                                  (std::uint32_t{tiles[at + 2]} << 8) | tiles[at + 3];
        const std::uint32_t coded = xorMode ? row ^ above : row;
        above = row;
        for (std::int32_t shift = 28; shift >= 0; shift -= 4) {
            const std::uint32_t pixel = (coded >> shift) & 0x0FU;
            if (!runs.empty() && runs.back().pixel == pixel) {
                ++runs.back().length;
            } else {
                runs.push_back({pixel, 1});
            }
        }
    }
    return runs;
}

// Cuts runs into the pieces that cost fewest bits. The cheapest cut of n pixels of one value is
// the cheapest cut of n - k of them and a piece of k, whatever run they belong to, so one pass
// per pixel value up to its longest run serves every run.
class Splitter {
public:
    Splitter(const Counts& bits, const std::vector<Run>& runs) {
        std::array<std::int64_t, 16> longest{};
        for (const Run& run : runs) {
            longest[run.pixel] = std::max(longest[run.pixel], run.length);
        }
        for (std::uint32_t pixel = 0; pixel < 16; ++pixel) {
            cheapestCuts(bits, pixel, static_cast<std::size_t>(longest[pixel]));
        }
    }

    [[nodiscard]] std::vector<Symbol> split(const std::vector<Run>& runs) const {
        std::vector<Symbol> pieces;
        for (const Run& run : runs) {
            const std::vector<std::uint8_t>& last = mLast[run.pixel];
            for (auto left = static_cast<std::size_t>(run.length); left > 0; left -= last[left]) {
                pieces.push_back(symbolOf(run.pixel, last[left]));
            }
        }
        return pieces;
    }

private:
    void cheapestCuts(const Counts& bits, std::uint32_t pixel, std::size_t longest) {
        std::vector<std::int64_t> best(longest + 1, kNever);  // bits of the cheapest cut
        std::vector<std::uint8_t>& last = mLast[pixel];       // its last piece
        last.assign(longest + 1, 0);
        best[0] = 0;
        for (std::size_t end = 1; end <= longest; ++end) {
            for (auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(8, end)); piece >= 1;
                 --piece) {
                const std::int64_t cost = best[end - piece] + bits[symbolOf(pixel, piece)];
                if (cost < best[end]) {
                    best[end] = cost;
                    last[end] = static_cast<std::uint8_t>(piece);
                }
            }
        }
    }

    std::array<std::vector<std::uint8_t>, 16> mLast;
};

Counts frequencies(const std::vector<Symbol>& pieces) {
    Counts counts{};
    for (const Symbol piece : pieces) {
        ++counts[piece];
    }
    return counts;
}

// True when a code of `length` bits costs fewer bits than escaping all `count` pieces; longer
// codes and the escape need not be weighed against each other.
bool beatsEscape(std::int64_t count, std::uint32_t length) {
    return count * length + kEntryCost < count * kEscapeCost;
}

// Adds a symbol seen `count` times to `best` (fewest bits so far for each amount of code space
// used); returns the length chosen for it at each amount. Symbols come most frequent first, and
// some best choice gives them codes no shorter than those before: then the space used before
// a code of L bits is a multiple of its width, and only such amounts need trying.
std::array<std::uint8_t, kCodeSpace + 1> addSymbol(std::vector<std::int64_t>& best,
                                                   std::int64_t count) {
    std::vector<std::int64_t> next(kCodeSpace + 1);
    std::array<std::uint8_t, kCodeSpace + 1> choice{};
    for (std::uint32_t space = 0; space <= kCodeSpace; ++space) {
        next[space] = best[space] + count * kEscapeCost;
    }
    for (std::uint32_t length = 1; length <= 8 && beatsEscape(count, length); ++length) {
        const std::uint32_t width = 1U << (8 - length);
        const std::int64_t bits = count * length + kEntryCost;
        for (std::uint32_t space = 0; space + width <= kCodeSpace; space += width) {
            const std::int64_t coded = best[space] + bits;
            if (coded < next[space + width]) {
                next[space + width] = coded;
                choice[space + width] = static_cast<std::uint8_t>(length);
            }
        }
    }
    best = std::move(next);
    return choice;
}

// The code lengths that make table and data shortest, by a search over the code space used.
Lengths chooseLengths(const Counts& counts) {
    std::vector<Symbol> seen;
    for (std::uint32_t symbol = 0; symbol < kSymbols; ++symbol) {
        if (beatsEscape(counts[symbol], 1)) {
            seen.push_back(static_cast<Symbol>(symbol));
        }
    }
    std::stable_sort(seen.begin(), seen.end(),
                     [&](Symbol a, Symbol b) { return counts[a] > counts[b]; });
    std::vector<std::int64_t> best(kCodeSpace + 1, kNever);
    best[0] = 0;
    std::vector<std::array<std::uint8_t, kCodeSpace + 1>> choices;
    for (const Symbol symbol : seen) {
        choices.push_back(addSymbol(best, counts[symbol]));
    }
    auto space =
        static_cast<std::uint32_t>(std::min_element(best.begin(), best.end()) - best.begin());
    Lengths lengths{};
    for (std::size_t i = seen.size(); i-- > 0;) {
        const std::uint8_t length = choices[i][space];
        lengths[seen[i]] = length;
        space -= length == 0 ? 0 : 1U << (8 - length);
    }
    return lengths;
}

// Canonical codes: shortest first, counting up from zero; they end below 111111.
CodeBook assignCodes(const Lengths& lengths) {
    CodeBook book{};
    std::uint32_t next = 0;  // the next free 8-bit prefix
    for (std::uint32_t length = 1; length <= 8; ++length) {
        for (std::uint32_t symbol = 0; symbol < kSymbols; ++symbol) {
            if (lengths[symbol] == length) {
                book[symbol] = {static_cast<std::uint8_t>(length),
                                static_cast<std::uint8_t>(next >> (8 - length))};
                next += 1U << (8 - length);
            }
        }
    }
    return book;
}

Counts bitsOf(const CodeBook& book) {
    Counts bits{};
    for (std::uint32_t symbol = 0; symbol < kSymbols; ++symbol) {
        bits[symbol] = book[symbol].length == 0 ? kEscapeCost : book[symbol].length;
    }
    return bits;
}

std::int64_t tableBytes(const CodeBook& book) {
    std::int64_t bytes = 1;  // the end byte
    for (std::uint32_t pixel = 0; pixel < 16; ++pixel) {
        const auto first = book.begin() + static_cast<std::ptrdiff_t>(pixel * 8);
        const auto entries = std::count_if(first, first + 8, [](Code c) { return c.length > 0; });
        bytes += entries == 0 ? 0 : 1 + 2 * entries;
    }
    return bytes;
}

Plan planFor(const std::vector<Run>& runs) {
    Counts escapesOnly{};
    escapesOnly.fill(kEscapeCost);
    std::vector<Symbol> pieces = Splitter(escapesOnly, runs).split(runs);
    Plan best;
    for (std::int32_t round = 0; round < kRounds; ++round) {
        Plan plan;
        plan.book = assignCodes(chooseLengths(frequencies(pieces)));
        const Counts bits = bitsOf(plan.book);
        plan.pieces = Splitter(bits, runs).split(runs);
        std::int64_t dataBits = 0;
        for (const Symbol piece : plan.pieces) {
            dataBits += bits[piece];
        }
        plan.bytes = tableBytes(plan.book) + (dataBits + 7) / 8;
        if (plan.bytes >= best.bytes) {
            break;
        }
        pieces = plan.pieces;
        best = std::move(plan);
    }
    return best;
}

// Appends bits most significant first.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : mOut(out) {}

    void put(std::uint32_t value, std::int32_t count) {
        mBits = (mBits << count) | value;
        mCount += count;
        while (mCount >= 8) {
            mCount -= 8;
            mOut.push_back(static_cast<std::uint8_t>(mBits >> mCount));
        }
    }
    // Pads the last byte with zeros.
    void finish() {
        if (mCount > 0) {
            put(0, 8 - mCount);
        }
    }

private:
    std::vector<std::uint8_t>& mOut;
    std::uint64_t mBits = 0;
    std::int32_t mCount = 0;
};

void writeTable(const CodeBook& book, std::vector<std::uint8_t>& out) {
    for (std::uint32_t pixel = 0; pixel < 16; ++pixel) {
        bool selected = false;
        for (std::uint32_t run = 1; run <= 8; ++run) {
            const Code code = book[symbolOf(pixel, run)];
            if (code.length == 0) {
                continue;
            }
            if (!selected) {
                out.push_back(static_cast<std::uint8_t>(0x80U | pixel));
                selected = true;
            }
            out.push_back(static_cast<std::uint8_t>(((run - 1) << 4) | code.length));
            out.push_back(code.bits);
        }
    }
    out.push_back(0xFF);
}

void writeData(const Plan& plan, std::vector<std::uint8_t>& out) {
    BitWriter writer(out);
    for (const Symbol piece : plan.pieces) {
        const Code code = plan.book[piece];
        if (code.length > 0) {
            writer.put(code.bits, code.length);
        } else {
            writer.put(0x3F, 6);
            writer.put(((piece & 7U) << 4) | (piece >> 3), 7);
        }
    }
    writer.finish();
}

std::vector<std::uint8_t> encodeAs(ByteSpan tiles, bool xorMode) {
    const Plan plan = planFor(runsOf(tiles, xorMode));
    const auto count = static_cast<std::uint32_t>(tiles.size() / kTileBytes);
    const std::uint32_t header = (xorMode ? 0x8000U : 0U) | count;
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(header >> 8),
                                     static_cast<std::uint8_t>(header & 0xFFU)};
    out.reserve(static_cast<std::size_t>(2 + plan.bytes));
    writeTable(plan.book, out);
    writeData(plan, out);
    return out;
}

}  // namespace

Result<std::vector<std::uint8_t>> compressNemesis(ByteSpan tiles, NemesisMode mode) {
    if (tiles.size() % kTileBytes != 0) {
        return makeError(ErrorCode::InputTooLarge,
                         "Nemesis input of " + std::to_string(tiles.size()) +
                             " bytes is not a whole number of 32-byte tiles");
    }
    if (tiles.size() / kTileBytes > static_cast<std::size_t>(kNemesisMaxTiles)) {
        return makeError(ErrorCode::InputTooLarge,
                         "Nemesis input of " + std::to_string(tiles.size() / kTileBytes) +
                             " tiles is more than " + std::to_string(kNemesisMaxTiles));
    }
    if (mode != NemesisMode::Auto) {
        return encodeAs(tiles, mode == NemesisMode::Xor);
    }
    std::vector<std::uint8_t> plain = encodeAs(tiles, false);
    std::vector<std::uint8_t> xorred = encodeAs(tiles, true);
    if (xorred.size() < plain.size()) {
        return xorred;
    }
    return plain;
}

}  // namespace orvex
