#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <string>

#include "compression/kosinski.h"

// The shortest Kosinski stream for a given input.
//
// A stream's length is the bytes of its items, the end marker's three bytes, and two bytes for
// every description field: the first one, and one more right after every 16th bit. So the cost
// of an item depends on how many bits the current field already holds (its phase, 0..15): an
// item that takes the field's 16th bit also pays for the next field. The encoder finds a
// shortest path over the states (input position, phase).
//
// Items per state:
//   literal            1 bit,  1 byte
//   inline copy 2..5   4 bits, 1 byte,  distance 1..256
//   full copy 3..9     2 bits, 2 bytes, distance 1..8192
//   full copy 10..256  2 bits, 3 bytes, distance 1..8192
// (the three-byte form of lengths 3..9 costs the same bits and one byte more, so it never wins.)
// A copy's cost depends only on its length and on whether its distance is within 256 or 8192,
// so at each position the longest match within each window is all that matters: every shorter
// length is available at the same distance.
//
// The longest matches come from a suffix order over the input (suffixes compared on their first
// 256 bytes) and, per window, the set of ranks of the positions inside the window: the longest
// match of a position is with its nearest neighbour in rank order on either side.
//
// Full copies of 10..256 bytes all cost the same from a given state, so they are relaxed as one
// range of targets. The longest match of position p + 1 is at least that of p minus one, so the
// ranges' ends never decrease: a sliding-window minimum (a monotone queue per phase) gives the
// best range reaching each position in constant time.

namespace orvex {
namespace {

constexpr std::int32_t kMaxCopy = 256;
constexpr std::int32_t kInlineWindow = 256;
constexpr std::int32_t kFullWindow = 8192;
constexpr std::int32_t kPhases = 16;
constexpr std::int32_t kLongCopyMin = 10;  // shortest copy that needs the count byte
// Costs are kept in 32 bits. A state that costs kUnreached or more can only lead to streams
// longer than kKosinskiMaxStream, so it is as good as unreached; items add at most 5 bytes, so
// a cost below kUnreached never wraps.
using Cost = std::int32_t;
constexpr std::int32_t kUnreached = 0x00F00000;
static_assert(kUnreached > kKosinskiMaxStream && kUnreached < 0x7FFF0000);

// ---------------------------------------------------------------------------------------------
// Longest matches

// Sorts the suffixes of the input by their first 256 bytes: prefix doubling, each round a
// radix sort on (class of the first half, class of the second half).
class SuffixSorter {
public:
    explicit SuffixSorter(ByteSpan data)
        : mData(data),
          mSize(data.size()),
          mOrder(mSize),
          mClass(mSize),
          mScratch(mSize),
          mCount(std::max<std::size_t>(mSize, 256) + 1) {}

    // The rank of every position; suffixes with equal first 256 bytes get neighbouring ranks.
    std::vector<std::int32_t> ranks() {
        sortByFirstByte();
        for (std::size_t half = 1; half < static_cast<std::size_t>(kMaxCopy) && mClasses < mSize;
             half *= 2) {
            sortByPairs(half);
            classify(half);
        }
        std::vector<std::int32_t> rank(mSize);
        for (std::size_t j = 0; j < mSize; ++j) {
            rank[mOrder[j]] = static_cast<std::int32_t>(j);
        }
        return rank;
    }

private:
    void sortByFirstByte() {
        for (std::size_t i = 0; i < mSize; ++i) {
            ++mCount[mData[i] + 1U];
        }
        for (std::size_t v = 1; v < mCount.size(); ++v) {
            mCount[v] += mCount[v - 1];
        }
        for (std::size_t i = 0; i < mSize; ++i) {
            mOrder[mCount[mData[i]]++] = i;
        }
        mClasses = 0;
        for (std::size_t j = 0; j < mSize; ++j) {
            if (j > 0 && mData[mOrder[j]] != mData[mOrder[j - 1]]) {
                ++mClasses;
            }
            mClass[mOrder[j]] = mClasses;
        }
        ++mClasses;
    }

    // Orders by the second half (suffixes without one first), then stably by the first half.
    void sortByPairs(std::size_t half) {
        std::size_t filled = 0;
        for (std::size_t i = mSize - std::min(mSize, half); i < mSize; ++i) {
            mScratch[filled++] = i;
        }
        for (std::size_t j = 0; j < mSize; ++j) {
            if (mOrder[j] >= half) {
                mScratch[filled++] = mOrder[j] - half;
            }
        }
        std::fill(mCount.begin(), mCount.begin() + static_cast<std::ptrdiff_t>(mClasses) + 1, 0);
        for (std::size_t i = 0; i < mSize; ++i) {
            ++mCount[mClass[i] + 1];
        }
        for (std::size_t v = 1; v <= mClasses; ++v) {
            mCount[v] += mCount[v - 1];
        }
        for (std::size_t j = 0; j < mSize; ++j) {
            mOrder[mCount[mClass[mScratch[j]]]++] = mScratch[j];
        }
    }

    // New classes: suffixes whose first and second halves both match share one.
    void classify(std::size_t half) {
        const auto second = [&](std::size_t at) {
            return at + half < mSize ? mClass[at + half] + 1 : 0;
        };
        std::size_t classes = 0;
        mScratch[mOrder[0]] = 0;
        for (std::size_t j = 1; j < mSize; ++j) {
            const std::size_t at = mOrder[j];
            const std::size_t before = mOrder[j - 1];
            if (mClass[at] != mClass[before] || second(at) != second(before)) {
                ++classes;
            }
            mScratch[at] = classes;
        }
        mClasses = classes + 1;
        mClass.swap(mScratch);
    }

    ByteSpan mData;
    std::size_t mSize;
    std::vector<std::size_t> mOrder;  // positions in sorted order
    std::vector<std::size_t> mClass;  // class of each position's current prefix
    std::vector<std::size_t> mScratch;
    std::vector<std::size_t> mCount;
    std::size_t mClasses = 0;
};

// A set of ranks 0..65535 with predecessor and successor queries: a bit per rank and a bit per
// 64-rank word that is not empty.
class RankSet {
public:
    explicit RankSet(std::size_t size)
        : mWords((size + 63) / 64 + 1, 0), mSummary(mWords.size() / 64 + 1, 0) {}

    void insert(std::int32_t rank) {
        const auto word = static_cast<std::size_t>(rank) / 64;
        mWords[word] |= bitAt(static_cast<std::uint32_t>(rank));
        mSummary[word / 64] |= bitAt(static_cast<std::uint32_t>(word));
    }

    void erase(std::int32_t rank) {
        const auto word = static_cast<std::size_t>(rank) / 64;
        mWords[word] &= ~bitAt(static_cast<std::uint32_t>(rank));
        if (mWords[word] == 0) {
            mSummary[word / 64] &= ~bitAt(static_cast<std::uint32_t>(word));
        }
    }

    // The largest member below `rank`, or -1.
    [[nodiscard]] std::int32_t below(std::int32_t rank) const {
        const auto word = static_cast<std::size_t>(rank) / 64;
        const std::uint64_t here = mWords[word] & lowMask(static_cast<std::uint32_t>(rank));
        if (here != 0) {
            return static_cast<std::int32_t>(word * 64 + highestBit(here));
        }
        const auto found = wordBelow(word);
        if (found < 0) {
            return -1;
        }
        const auto at = static_cast<std::size_t>(found);
        return static_cast<std::int32_t>(at * 64 + highestBit(mWords[at]));
    }

    // The smallest member above `rank`, or -1.
    [[nodiscard]] std::int32_t above(std::int32_t rank) const {
        const auto word = static_cast<std::size_t>(rank) / 64;
        const std::uint64_t here = mWords[word] & ~lowMask(static_cast<std::uint32_t>(rank)) &
                                   ~bitAt(static_cast<std::uint32_t>(rank));
        if (here != 0) {
            return static_cast<std::int32_t>(word * 64 + lowestBit(here));
        }
        const auto found = wordAbove(word);
        if (found < 0) {
            return -1;
        }
        const auto at = static_cast<std::size_t>(found);
        return static_cast<std::int32_t>(at * 64 + lowestBit(mWords[at]));
    }

private:
    static std::uint64_t bitAt(std::uint32_t index) { return std::uint64_t{1} << (index % 64); }
    static std::uint64_t lowMask(std::uint32_t index) { return bitAt(index) - 1; }
    static std::size_t highestBit(std::uint64_t bits) {
        return 63 - static_cast<std::size_t>(std::countl_zero(bits));
    }
    static std::size_t lowestBit(std::uint64_t bits) {
        return static_cast<std::size_t>(std::countr_zero(bits));
    }

    [[nodiscard]] std::int64_t wordBelow(std::size_t word) const {
        std::size_t group = word / 64;
        std::uint64_t bits = mSummary[group] & lowMask(static_cast<std::uint32_t>(word));
        while (bits == 0) {
            if (group == 0) {
                return -1;
            }
            bits = mSummary[--group];
        }
        return static_cast<std::int64_t>(group * 64 + highestBit(bits));
    }

    [[nodiscard]] std::int64_t wordAbove(std::size_t word) const {
        std::size_t group = word / 64;
        std::uint64_t bits = mSummary[group] & ~lowMask(static_cast<std::uint32_t>(word)) &
                             ~bitAt(static_cast<std::uint32_t>(word));
        while (bits == 0) {
            if (++group == mSummary.size()) {
                return -1;
            }
            bits = mSummary[group];
        }
        return static_cast<std::int64_t>(group * 64 + lowestBit(bits));
    }

    std::vector<std::uint64_t> mWords;
    std::vector<std::uint64_t> mSummary;
};

struct Match {
    std::int32_t length = 0;
    std::int32_t distance = 0;
};

// The longest match of each position within each window.
struct Matches {
    std::vector<Match> inlineWindow;  // distance 1..256
    std::vector<Match> fullWindow;    // distance 1..8192
};

class MatchFinder {
public:
    explicit MatchFinder(ByteSpan data)
        : mData(data),
          mSize(static_cast<std::int32_t>(data.size())),
          mRank(SuffixSorter(data).ranks()),
          mRankToPosition(data.size()),
          mNear(data.size()),
          mFar(data.size()) {
        for (std::int32_t i = 0; i < mSize; ++i) {
            mRankToPosition[static_cast<std::size_t>(mRank[static_cast<std::size_t>(i)])] = i;
        }
    }

    Matches find() {
        Matches matches;
        matches.inlineWindow.resize(mData.size());
        matches.fullWindow.resize(mData.size());
        for (std::int32_t p = 1; p < mSize; ++p) {
            enter(mNear, p, kInlineWindow);
            enter(mFar, p, kFullWindow);
            const std::int32_t cap = std::min(kMaxCopy, mSize - p);
            const Match nearMatch = longest(mNear, p, cap);
            matches.inlineWindow[static_cast<std::size_t>(p)] = nearMatch;
            matches.fullWindow[static_cast<std::size_t>(p)] =
                nearMatch.length == cap ? nearMatch : longest(mFar, p, cap);
        }
        return matches;
    }

private:
    // Position p - 1 enters the window of position p; p - 1 - window leaves it.
    void enter(RankSet& set, std::int32_t p, std::int32_t window) {
        set.insert(mRank[static_cast<std::size_t>(p - 1)]);
        if (p - 1 - window >= 0) {
            set.erase(mRank[static_cast<std::size_t>(p - 1 - window)]);
        }
    }

    [[nodiscard]] Match longest(const RankSet& set, std::int32_t p, std::int32_t cap) const {
        const std::int32_t rank = mRank[static_cast<std::size_t>(p)];
        Match best;
        for (const std::int32_t neighbour : {set.below(rank), set.above(rank)}) {
            if (neighbour < 0) {
                continue;
            }
            const std::int32_t from = mRankToPosition[static_cast<std::size_t>(neighbour)];
            const std::int32_t length = commonLength(from, p, cap);
            const std::int32_t distance = p - from;
            if (length > best.length || (length == best.length && distance < best.distance)) {
                best = Match{length, distance};
            }
        }
        return best;
    }

    // How many bytes from `from` equal those from `to`, at most cap.
    [[nodiscard]] std::int32_t commonLength(std::int32_t from, std::int32_t to,
                                            std::int32_t cap) const {
        const std::uint8_t* a = mData.data() + from;
        const std::uint8_t* b = mData.data() + to;
        std::int32_t length = 0;
        while (length + 8 <= cap) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + length, 8);
            std::memcpy(&y, b + length, 8);
            if (x != y) {
                static_assert(std::endian::native == std::endian::little);
                return length + std::countr_zero(x ^ y) / 8;
            }
            length += 8;
        }
        while (length < cap && a[length] == b[length]) {
            ++length;
        }
        return length;
    }

    ByteSpan mData;
    std::int32_t mSize;
    std::vector<std::int32_t> mRank;
    std::vector<std::int32_t> mRankToPosition;
    RankSet mNear;
    RankSet mFar;
};

// ---------------------------------------------------------------------------------------------
// Shortest path

enum class Item : std::uint8_t { None, Literal, InlineCopy, FullCopy };

constexpr std::int32_t itemBits(Item item) {
    return item == Item::Literal ? 1 : item == Item::InlineCopy ? 4 : 2;
}

// The step into a state: the item and its length, packed as (item << 9) | length.
constexpr std::uint16_t packStep(Item item, std::int32_t length) {
    return static_cast<std::uint16_t>((static_cast<std::uint32_t>(item) << 9) |
                                      static_cast<std::uint32_t>(length));
}
constexpr Item stepItem(std::uint16_t step) {
    return static_cast<Item>(step >> 9);
}
constexpr std::int32_t stepLength(std::uint16_t step) {
    return step & 0x1FF;
}

// The two bytes of a new field when `bits` more bits take a field at `phase` past its 16th.
constexpr std::int32_t fieldCost(std::int32_t phase, std::int32_t bits) {
    return phase + bits >= kPhases ? 2 : 0;
}

struct ParsedItem {
    Item item;
    std::int32_t position;
    std::int32_t length;
};

// A candidate long copy: from a state at `origin`, every length 10..(end - origin) for `cost`.
struct LongCopy {
    std::int32_t cost;
    std::int32_t end;
    std::int32_t origin;
};

// Sliding-window minimum over long copies whose ends never decrease.
class LongCopyQueue {
public:
    void push(const LongCopy& copy) {
        assert(mTail == mHead || back().end <= copy.end);
        while (mTail != mHead && back().cost >= copy.cost) {
            --mTail;
        }
        mEntries[mTail % kCapacity] = copy;
        ++mTail;
    }

    // The cheapest copy that reaches `position`, or nullptr.
    const LongCopy* best(std::int32_t position) {
        while (mHead != mTail && mEntries[mHead % kCapacity].end < position) {
            ++mHead;
        }
        return mHead == mTail ? nullptr : &mEntries[mHead % kCapacity];
    }

private:
    // Live entries start within the last 256 positions.
    static constexpr std::uint32_t kCapacity = 512;

    LongCopy& back() { return mEntries[(mTail - 1) % kCapacity]; }

    std::array<LongCopy, kCapacity> mEntries{};
    std::uint32_t mHead = 0;
    std::uint32_t mTail = 0;
};

class ShortestParse {
public:
    ShortestParse(ByteSpan data, const Matches& matches, ProgressSink* progress)
        : mSize(static_cast<std::int32_t>(data.size())),
          mMatches(matches),
          mProgress(progress),
          mSteps(static_cast<std::size_t>(mSize + 1) * kPhases, packStep(Item::None, 0)) {}

    // Runs the search; returns the length of the shortest stream.
    std::int32_t run() {
        for (auto& row : mCost) {
            row.fill(Cost{kUnreached});
        }
        row(0)[0] = 2;  // the first description field
        const std::int32_t stride = std::max(1, mSize / 200);
        for (std::int32_t q = 0; q < mSize; ++q) {
            if (mProgress != nullptr && mSize > 1 && q % stride == 0) {
                mProgress->progress(Stage::Encoding, q + 1, mSize);
            }
            arriveByLongCopy(q);
            row(q + 9).fill(Cost{kUnreached});
            leave(q);
        }
        arriveByLongCopy(mSize);
        return finish();
    }

    // The items of the shortest stream, first to last.
    [[nodiscard]] std::vector<ParsedItem> items() const {
        std::vector<ParsedItem> parsed;
        std::int32_t q = mSize;
        std::int32_t phase = mEndPhase;
        while (q > 0) {
            const std::uint16_t step = mSteps[index(q, phase)];
            const Item item = stepItem(step);
            const std::int32_t length = stepLength(step);
            assert(item != Item::None && length > 0 && length <= q);
            q -= length;
            phase = (phase - itemBits(item) + kPhases) % kPhases;
            parsed.push_back(ParsedItem{item, q, length});
        }
        assert(phase == 0);
        std::reverse(parsed.begin(), parsed.end());
        return parsed;
    }

private:
    static constexpr std::size_t kRowSize = kPhases;
    using Row = std::array<Cost, kRowSize>;
    static constexpr std::int32_t kRows = 32;  // positions q - 10 .. q + 9 are live

    Row& row(std::int32_t q) { return mCost[static_cast<std::size_t>(q % kRows)]; }
    static std::size_t index(std::int32_t q, std::int32_t phase) {
        return static_cast<std::size_t>(q) * kPhases + static_cast<std::size_t>(phase);
    }

    void relax(std::int32_t q, std::int32_t phase, std::int32_t cost, Item item,
               std::int32_t length) {
        Cost& target = row(q)[static_cast<std::size_t>(phase)];
        if (cost < target) {
            target = static_cast<Cost>(cost);
            mSteps[index(q, phase)] = packStep(item, length);
        }
    }

    // Long copies that start at q - 10 join their queues; each queue's best reaches q.
    void arriveByLongCopy(std::int32_t q) {
        const std::int32_t origin = q - kLongCopyMin;
        const std::int32_t longest =
            origin >= 0 ? mMatches.fullWindow[static_cast<std::size_t>(origin)].length : 0;
        const bool joins = longest >= kLongCopyMin;
        if (joins) {
            mQueuesReach = origin + longest;
        } else if (q > mQueuesReach) {
            return;  // every queued copy ends before q
        }
        for (std::int32_t phase = 0; phase < kPhases; ++phase) {
            LongCopyQueue& queue = mQueues[static_cast<std::size_t>(phase)];
            const std::int32_t cost = joins ? row(origin)[static_cast<std::size_t>(phase)] : 0;
            if (joins && cost < kUnreached) {
                queue.push(LongCopy{cost + 3 + fieldCost(phase, 2), origin + longest, origin});
            }
            if (const LongCopy* best = queue.best(q)) {
                relax(q, (phase + 2) % kPhases, best->cost, Item::FullCopy, q - best->origin);
            }
        }
    }

    // Every item but the long copies, from every state at q.
    void leave(std::int32_t q) {
        const std::int32_t inlineLongest =
            std::min(mMatches.inlineWindow[static_cast<std::size_t>(q)].length, 5);
        const std::int32_t shortLongest =
            std::min(mMatches.fullWindow[static_cast<std::size_t>(q)].length, kLongCopyMin - 1);
        const Row costs = row(q);
        Row arrival{};
        arrivals<1>(costs, 1, arrival);
        relaxRow(q + 1, arrival, packStep(Item::Literal, 1));
        if (inlineLongest >= 2) {
            arrivals<4>(costs, 1, arrival);
            for (std::int32_t length = 2; length <= inlineLongest; ++length) {
                relaxRow(q + length, arrival, packStep(Item::InlineCopy, length));
            }
        }
        if (shortLongest >= 3) {
            arrivals<2>(costs, 2, arrival);
            for (std::int32_t length = 3; length <= shortLongest; ++length) {
                relaxRow(q + length, arrival, packStep(Item::FullCopy, length));
            }
        }
    }

    // The cost of arriving in each phase by an item of `Bits` bits and `bytes` bytes from the
    // states `costs`: phase t comes from phase t - Bits, and from a field that filled up when
    // t < Bits. Unreached states stay far above any real cost.
    template <std::size_t Bits>
    static void arrivals(const Row& costs, std::int32_t bytes, Row& out) {
        for (std::size_t t = 0; t < Bits; ++t) {
            out[t] = static_cast<Cost>(costs[t + kRowSize - Bits] + bytes + 2);
        }
        for (std::size_t t = Bits; t < kRowSize; ++t) {
            out[t] = static_cast<Cost>(costs[t - Bits] + bytes);
        }
    }

    void relaxRow(std::int32_t q, const Row& arrival, std::uint16_t step) {
        Row& target = row(q);
        std::uint16_t* steps = &mSteps[index(q, 0)];
        for (std::size_t phase = 0; phase < kRowSize; ++phase) {
            const bool better = arrival[phase] < target[phase];
            target[phase] = better ? arrival[phase] : target[phase];
            steps[phase] = better ? step : steps[phase];
        }
    }

    // The end marker: two bits and three bytes.
    std::int32_t finish() {
        std::int32_t best = kUnreached;
        const Row& costs = row(mSize);
        for (std::int32_t phase = 0; phase < kPhases; ++phase) {
            const std::int32_t cost = costs[static_cast<std::size_t>(phase)];
            if (cost < kUnreached && cost + 3 + fieldCost(phase, 2) < best) {
                best = cost + 3 + fieldCost(phase, 2);
                mEndPhase = phase;
            }
        }
        return best;
    }

    std::int32_t mSize;
    const Matches& mMatches;
    ProgressSink* mProgress;
    std::array<Row, kRows> mCost{};
    std::array<LongCopyQueue, kPhases> mQueues{};
    std::vector<std::uint16_t> mSteps;
    std::int32_t mEndPhase = 0;
    std::int32_t mQueuesReach = -1;  // the furthest end of any queued long copy
};

// ---------------------------------------------------------------------------------------------
// Writing the stream

class StreamWriter {
public:
    explicit StreamWriter(std::size_t expectedSize) {
        mBytes.reserve(expectedSize + 1);
        reserveField();
    }

    void bit(std::uint32_t value) {
        mField |= value << mBitCount;
        ++mBitCount;
        if (mBitCount == 16) {
            storeField();
            reserveField();
        }
    }

    void byte(std::uint32_t value) { mBytes.push_back(static_cast<std::uint8_t>(value)); }

    // Stores the field still being filled and appends the trailing 0x00.
    std::vector<std::uint8_t> finish() {
        storeField();
        mBytes.push_back(0x00);
        return std::move(mBytes);
    }

private:
    void reserveField() {
        mSlot = mBytes.size();
        mBytes.push_back(0);
        mBytes.push_back(0);
        mField = 0;
        mBitCount = 0;
    }

    void storeField() {
        mBytes[mSlot] = static_cast<std::uint8_t>(mField & 0xFF);
        mBytes[mSlot + 1] = static_cast<std::uint8_t>(mField >> 8);
    }

    std::vector<std::uint8_t> mBytes;
    std::size_t mSlot = 0;
    std::uint32_t mField = 0;
    std::uint32_t mBitCount = 0;
};

void writeItem(StreamWriter& out, ByteSpan data, const Matches& matches, const ParsedItem& item) {
    const auto at = static_cast<std::size_t>(item.position);
    const auto length = static_cast<std::uint32_t>(item.length);
    if (item.item == Item::Literal) {
        out.bit(1);
        out.byte(data[at]);
        return;
    }
    if (item.item == Item::InlineCopy) {
        const auto distance = static_cast<std::uint32_t>(matches.inlineWindow[at].distance);
        out.bit(0);
        out.bit(0);
        out.bit(((length - 2) >> 1) & 1U);
        out.bit((length - 2) & 1U);
        out.byte(256 - distance);
        return;
    }
    const auto offset = static_cast<std::uint32_t>(kFullWindow - matches.fullWindow[at].distance);
    const std::uint32_t high = (offset >> 8) << 3;
    out.bit(0);
    out.bit(1);
    out.byte(offset & 0xFF);
    if (length < static_cast<std::uint32_t>(kLongCopyMin)) {
        out.byte(high | (length - 2));
    } else {
        out.byte(high);
        out.byte(length - 1);
    }
}

std::vector<std::uint8_t> writeStream(ByteSpan data, const Matches& matches,
                                      const std::vector<ParsedItem>& items,
                                      std::int32_t streamSize) {
    StreamWriter out(static_cast<std::size_t>(streamSize));
    for (const ParsedItem& item : items) {
        writeItem(out, data, matches, item);
    }
    out.bit(0);
    out.bit(1);
    out.byte(data.empty() ? 0x00 : 0xFF);
    out.byte(data.empty() ? 0x00 : 0xF8);
    out.byte(0x00);
    return out.finish();
}

}  // namespace

Result<std::vector<std::uint8_t>> compressKosinskiOptimal(ByteSpan input, ProgressSink* progress) {
    if (input.size() > static_cast<std::size_t>(kKosinskiMaxOutput)) {
        return makeError(ErrorCode::InputTooLarge,
                         "Data of " + std::to_string(input.size()) +
                             " bytes is too large for a Kosinski stream (limit " +
                             std::to_string(kKosinskiMaxOutput) + " bytes)");
    }
    if (progress != nullptr) {
        progress->progress(Stage::Encoding, 0,
                           std::max<std::int32_t>(1, static_cast<std::int32_t>(input.size())));
    }
    const Matches matches = MatchFinder(input).find();
    ShortestParse parse(input, matches, progress);
    const std::int32_t streamSize = parse.run();
    if (streamSize > kKosinskiMaxStream) {
        const std::string shortest = streamSize < kUnreached
                                         ? "is " + std::to_string(streamSize) + " bytes"
                                         : "is longer still";
        return makeError(ErrorCode::InputTooLarge,
                         "Data of " + std::to_string(input.size()) +
                             " bytes does not fit a Kosinski stream of at most " +
                             std::to_string(kKosinskiMaxStream) + " bytes: the shortest one " +
                             shortest);
    }
    std::vector<std::uint8_t> packed = writeStream(input, matches, parse.items(), streamSize);
    assert(packed.size() == static_cast<std::size_t>(streamSize) + 1);
    return packed;
}

}  // namespace orvex
