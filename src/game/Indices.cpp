#include "game/Indices.h"

#include "game/basZorb.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace zorbel
{

const std::array<std::string_view, 21> kIndexColumns = {
    "id",         "score",    "n",           "redundancy",   "rng",
    "rng2",       "nsq",      "repetitions", "adjacency_up", "adjacency_down",
    "adjacency",  "tpi",      "runs_up",     "runs_down",    "coupon",
    "gap_median", "gap_mean", "gap_mode",    "chi2",         "predictor_hits",
    "predictor_p"};

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Population variance of run lengths: m runs, the sum of their squares, and
// n symbols in all. Whole numbers up to the one division.
double runVariance(std::int64_t m, std::int64_t squares, std::int64_t n)
{
    return static_cast<double>(m * squares - n * n) / (static_cast<double>(m) * m);
}

// The number of bits set, without the popcnt instruction that the
// x86-64 baseline lacks.
int bitCount(std::uint64_t v)
{
    v -= (v >> 1) & 0x5555555555555555;
    v = (v & 0x3333333333333333) + ((v >> 2) & 0x3333333333333333);
    v = (v + (v >> 4)) & 0x0f0f0f0f0f0f0f0f;
    return static_cast<int>((v * 0x0101010101010101) >> 56);
}

// Bit 7 of each byte of v, the other bits clear, as 8 bits: byte j's bit
// becomes bit j.
std::uint64_t bitsOfBytes(std::uint64_t v)
{
    return ((v >> 7) * 0x0102040810204080) >> 56;
}

// A context's guess, and a follower's claim to it, in one number: the
// follower's count in the high half, the place of its latest sighting in
// the low, so that the larger of two is the follower seen more often, or
// as often and later. The place gives the symbol.
using Mark = std::uint64_t;

Mark mark(std::uint64_t count, std::size_t place)
{
    return count << 32 | place;
}

} // namespace

IndexCalculator::IndexCalculator(int alphabetSize)
    : k_(alphabetSize), lnK_(std::log(static_cast<long double>(alphabetSize))),
      lnP_(-std::log(static_cast<long double>(alphabetSize))),
      lnQ_(std::log(static_cast<long double>(alphabetSize - 1)) -
           std::log(static_cast<long double>(alphabetSize)))
{
    const std::size_t k = static_cast<std::size_t>(k_), contexts = 1 + k + k * k + k * k * k;
    best_.assign(contexts, 0);
    if (k_ > kDirectOrder3)
        chain3_.assign(contexts, -1);
    counts_.assign(placesFor(k, room_).end, 0);
}

// The tables that depend on the length only grow, so the longest sequence
// sets their size once.
void IndexCalculator::growTables(std::size_t n)
{
    for (std::size_t f = fLnF_.size(); f <= n; ++f) {
        const long double v =
            f > 1 ? static_cast<long double>(f) * std::log(static_cast<long double>(f)) : 0.0L;
        const auto hi = static_cast<double>(v);
        fLnF_.push_back(Term{hi, static_cast<double>(v - hi)});
    }
    for (std::size_t i = lnFactorial_.size(); i < n; ++i)
        lnFactorial_.push_back(std::lgamma(static_cast<long double>(i) + 1));
    if (n > room_) { // the tallies move, and being all zero need no copying
        room_ = std::max(n, 2 * room_);
        counts_.resize(placesFor(static_cast<std::size_t>(k_), room_).end, 0);
    }
    if (!chain3_.empty() && followers3_.size() < n)
        followers3_.resize(n);
    if (chances_.size() < n)
        chances_.resize(n);
    if (ups_.size() < n / 64 + 1) {
        ups_.resize(n / 64 + 1);
        downs_.resize(n / 64 + 1);
    }
}

// The guessing machine: before each symbol, the longest context of the last
// 3, 2 or 1 symbols that was followed before votes for its most frequent
// follower; with none, the most frequent symbol so far. Each context keeps
// its current guess: a follower that reaches the leader's count takes over,
// being the latest. Returns the number of right guesses and the coupon
// segments. The same pass counts what compute() reads and clears: the
// symbols, the pairs, the lag-2 pairs and how many cells reached each
// count, and the gaps by length.
IndexCalculator::Pass IndexCalculator::predict(std::span<const std::uint8_t> x)
{
    const std::size_t n = x.size(), k = static_cast<std::size_t>(k_);
    if (base_ > std::numeric_limits<std::uint32_t>::max() - n) { // counts would wrap
        std::fill(counts_.begin(), counts_.end(), 0);
        std::fill(best_.begin(), best_.end(), 0);
        base_ = 0;
    }
    // The game's own ten digits get a loop that knows k and the places.
    const Pass pass = k_ == 10 && room_ == kFirstRoom ? runPredictor<true, 10>(x)
                      : k_ <= kDirectOrder3           ? runPredictor<true, 0>(x)
                                                      : runPredictor<false, 0>(x);
    base_ += static_cast<std::uint32_t>(n);
    // The contexts of one symbol start each sequence unseen; their
    // followers' counts, the pairs, are cleared once compute() has read
    // them.
    std::fill_n(best_.begin() + 1, k, 0);
    return pass;
}

// The machine itself. direct: the followers of three-symbol contexts are
// counted in counts_, else in chains. K: the alphabet size if fixed here,
// else 0.
template <bool direct, std::size_t K>
IndexCalculator::Pass IndexCalculator::runPredictor(std::span<const std::uint8_t> x)
{
    const std::size_t n = x.size(), k = K ? K : static_cast<std::size_t>(k_);
    const std::uint32_t base = base_;
    // A guess of two or three symbols above stale is this sequence's; a
    // first follower's is fresh and its place.
    const Mark stale = mark(base, 0xffffffff), fresh = mark(base + 1, 0);
    std::uint32_t* const counts = counts_.data();
    Mark* const best = best_.data();
    constexpr Places ten = placesFor(10, kFirstRoom);
    const Places at = K == 10 ? ten : placesFor(k, room_);
    // A tally's cell i, as counts[place + i] rather than through pointers
    // of their own, which the compiler would keep in registers it lacks.
    const auto cell = [counts](std::size_t place, std::size_t i) -> std::uint32_t& {
        return counts[place + i];
    };
    const auto symbolAt = [x](Mark m) { return x[static_cast<std::uint32_t>(m)]; };
    // Beside the guesses: the gaps, counted in the gap tally at place - last
    // place (a first sighting from the place -n - 1 lands past n, where no
    // gap does), and the coupon segments. seen holds the symbols of the
    // segment so far and every bit outside the alphabet.
    std::array<std::int64_t, kMaxAlphabet> last;
    std::fill_n(last.begin(), k, -static_cast<std::int64_t>(n) - 1);
    const std::uint64_t outside = k == 64 ? 0 : ~std::uint64_t{0} << k;
    std::uint64_t seen = outside;
    std::int64_t segments = 0, covered = 0;
    const auto sighting = [&](std::size_t t, std::uint8_t f) {
        const auto place = static_cast<std::int64_t>(t);
        ++cell(at.gaps, static_cast<std::size_t>(place - last[f]));
        last[f] = place;
        seen |= std::uint64_t{1} << f;
        // Where a segment ends is random: no branch for it (the compiler
        // makes one of a choice here), but a mask of all ones where it does.
        const std::uint64_t complete = seen == ~std::uint64_t{0}, ends = 0 - complete;
        segments += static_cast<std::int64_t>(complete);
        covered +=
            static_cast<std::int64_t>(static_cast<std::uint64_t>(place + 1 - covered) & ends);
        seen ^= ~outside & ends; // all ones at an end: back to outside
    };

    // The first three symbols have shorter contexts only.
    Mark best0 = mark(++counts[1 + x[0]], 0);
    sighting(0, x[0]);
    int hits = 0;
    std::size_t c1 = 0, c2 = 0, c3 = 0; // the contexts of the last 1, 2 and 3 symbols
    for (std::size_t t = 1; t < std::min<std::size_t>(n, 3); ++t) {
        const std::uint8_t f = x[t];
        c2 = t >= 2 ? c1 * k + 1 + x[t - 1] : 0;
        c1 = 1 + x[t - 1];
        Mark guess = best0;
        if (best[c1])
            guess = best[c1];
        if (t >= 2 && best[c2] > stale)
            guess = best[c2];
        hits += symbolAt(guess) == f;
        best0 = std::max(best0, mark(++counts[1 + f], t));
        const std::uint32_t pair = ++counts[c1 * k + 1 + f];
        ++cell(at.pairsReached, pair);
        best[c1] = std::max(best[c1], mark(pair, t));
        if (t >= 2) {
            ++cell(at.lag2Reached, ++cell(at.lag2, x[0] * k + f));
            std::uint32_t& count = counts[c2 * k + 1 + f];
            count = std::max(count, base) + 1;
            best[c2] = std::max(best[c2], mark(count, t));
        }
        sighting(t, f);
    }
    if (n > 2) {
        c3 = c2 * k + 1 + x[2];
        c2 = c1 * k + 1 + x[2];
        c1 = 1 + x[2];
    }

    std::size_t used = 0; // followers3_ taken by this sequence
    // One symbol. Early: some symbol has not been seen yet, so the last
    // one may be new, its context unseen and the guess of no context
    // needed. Later every context of one symbol has been followed.
    const auto step = [&](std::size_t t, auto early) {
        const std::uint8_t f = x[t];
        const std::size_t f1 = 1 + std::size_t{f}, n2 = c1 * k + f1, n3 = c2 * k + f1;
        // c2 - c1 is (1 + the symbol two back) k
        ++cell(at.lag2Reached, ++cell(at.lag2, c2 - c1 - k + f));
        // Each order in turn: its guess, if its context was seen, then its
        // count. The guesses are all read before their own order changes.
        const Mark g1 = best[c1];
        Mark guess = g1;
        if constexpr (early) {
            guess = g1 ? g1 : best0;
            best0 = std::max(best0, mark(++counts[f1], t));
        } else {
            ++counts[f1];
        }
        const std::uint32_t pair = ++counts[n2];
        ++cell(at.pairsReached, pair);
        best[c1] = std::max(g1, mark(pair, t));
        const Mark g2 = best[c2];
        guess = g2 > stale ? g2 : guess;
        std::uint32_t& count2 = counts[n3]; // left over from before: at most base
        count2 = std::max(count2, base) + 1;
        best[c2] = std::max(g2, mark(count2, t));
        const Mark g3 = best[c3];
        guess = g3 > stale ? g3 : guess;
        hits += symbolAt(guess) == f;
        if constexpr (direct) {
            // Most contexts of three symbols are new in a short sequence,
            // and a new one only takes its guess. Its follower's count is
            // written when the context comes back: until then it is left
            // over from before, at most base.
            if (g3 > stale) {
                std::uint32_t* const followers = counts + c3 * k + 1;
                std::uint32_t& first = followers[symbolAt(g3)];
                first = std::max(first, base + 1);
                std::uint32_t& count = followers[f];
                count = std::max(count, base) + 1;
                best[c3] = std::max(g3, mark(count, t));
            } else {
                best[c3] = fresh | t;
            }
        } else {
            const std::int32_t first = g3 > stale ? chain3_[c3] : -1;
            std::int32_t i = first;
            while (i >= 0 && followers3_[static_cast<std::size_t>(i)].symbol != f)
                i = followers3_[static_cast<std::size_t>(i)].next;
            if (i < 0) {
                i = static_cast<std::int32_t>(used++);
                followers3_[static_cast<std::size_t>(i)] = Follower{0, first, f};
                chain3_[c3] = i;
            }
            const std::uint32_t count = base + ++followers3_[static_cast<std::size_t>(i)].count;
            best[c3] = std::max(g3, mark(count, t));
        }
        sighting(t, f);
        c3 = n3;
        c2 = n2;
        c1 = f1;
    };
    // Every symbol has been seen once the first coupon segment is
    // complete, at covered - 1, and followed after the next one.
    std::size_t t = 3;
    for (; t < n && (segments == 0 || t <= static_cast<std::size_t>(covered)); ++t)
        step(t, std::true_type{});
    for (; t < n; ++t)
        step(t, std::false_type{});
    return Pass{hits, segments, covered};
}

// P(X >= hits) for X ~ Binomial(n - 1, 1/k). Whichever tail is the smaller
// is summed, from its end at hits outwards, as multiples of its first term:
// the terms only fall, so the sum stops once they no longer count, and a
// chance near 1 is 1 less a small tail, never above 1. The first term comes
// from ln n! in long double, good to about 13 digits at 65536 symbols and
// to the last printed digit at 100.
void IndexCalculator::pValue(Indices& r) const
{
    const int big = r.n - 1, h = r.predictorHits;
    if (h == 0) {
        r.predictorP = 1;
        r.predictorLnP = 0;
        return;
    }
    const auto lnTerm = [&](int j) {
        const auto u = static_cast<std::size_t>(j);
        return lnFactorial_[static_cast<std::size_t>(big)] - lnFactorial_[u] -
               lnFactorial_[static_cast<std::size_t>(big) - u] + j * lnP_ + (big - j) * lnQ_;
    };
    long double term = 1, sum = 1;
    if (static_cast<std::int64_t>(h) * k_ > big) { // above the mean: the upper tail
        for (int j = h; j < big && term >= sum * 1e-20L; ++j) {
            term *= static_cast<long double>(big - j) / ((j + 1) * (k_ - 1.0L));
            sum += term;
        }
        r.predictorLnP = lnTerm(h) + std::log(sum);
        r.predictorP = std::min(1.0, static_cast<double>(std::exp(r.predictorLnP)));
    } else { // at most the mean: 1 less the lower tail, which is at most a half
        for (int j = h - 1; j > 0 && term >= sum * 1e-20L; --j) {
            term *= j * (k_ - 1.0L) / static_cast<long double>(big - j + 1);
            sum += term;
        }
        const long double p = 1 - std::exp(lnTerm(h - 1)) * sum;
        r.predictorP = static_cast<double>(p);
        r.predictorLnP = std::log(p);
    }
}

// The sum of f ln f over cells, from reached (how many cells a count has
// reached, by count: reached[f] - reached[f + 1] hold exactly f), which it
// clears. Few counts are reached in a sequence, and each sum is exact.
long double IndexCalculator::sumFLnF(std::uint32_t* reached) const
{
    long double sum = 0;
    for (std::size_t f = 1; reached[f] != 0; ++f) {
        sum += fLnF(f) * (reached[f] - reached[f + 1]);
        reached[f] = 0;
    }
    return sum;
}

void IndexCalculator::compute(std::span<const std::uint8_t> x, Indices& r, DigitTally* tally)
{
    const std::size_t n = x.size(), k = static_cast<std::size_t>(k_);
    growTables(n);
    r.n = static_cast<int>(n);
    const Pass pass = predict(x); // counts the symbols, pairs, lag-2 pairs and gaps too
    r.predictorHits = pass.hits;

    // The steps as bits, 64 to a word: bit i - 1 of ups (downs) is set when
    // x[i] is above (below) x[i - 1]. Eight steps at a time: for bytes a
    // and b below 128, bit 7 of (a | 128) - b is set when a >= b.
    const std::size_t words = (n + 62) / 64;
    std::uint64_t* const ups = ups_.data();
    std::uint64_t* const downs = downs_.data();
    // Each word is made in registers and stored once.
    for (std::size_t w = 0, step = 0; w < words; ++w) {
        std::uint64_t u = 0, d = 0;
        const auto eight = [&](std::size_t from) { // the steps from..from + 7
            constexpr std::uint64_t h = 0x8080808080808080;
            std::uint64_t before, after;
            std::memcpy(&before, x.data() + from, 8);
            std::memcpy(&after, x.data() + from + 1, 8);
            u |= bitsOfBytes(~((before | h) - after) & h) << (from % 64);
            d |= bitsOfBytes(~((after | h) - before) & h) << (from % 64);
        };
        const std::size_t end = std::min(step + 64, n - 1);
        for (; step + 8 <= end; step += 8)
            eight(step);
        if (step < end && end >= w * 64 + 8) { // the last eight, some of them again
            eight(end - 8);
            step = end;
        }
        for (; step < end; ++step) {
            u |= std::uint64_t{x[step + 1] > x[step]} << (step % 64);
            d |= std::uint64_t{x[step + 1] < x[step]} << (step % 64);
        }
        ups[w] = u;
        downs[w] = d;
    }

    // A turn is a step up after the last step that was not level went down,
    // or the other way round. Whether the last step that was not level went
    // down is filled into the level steps after it by an addition: its
    // carry runs through the level steps up to the next step up.
    std::int64_t turns = 0;
    std::uint64_t upCarry = 0, downCarry = 0, upBefore = 0, downBefore = 0;
    for (std::size_t w = 0; w < words; ++w) {
        const std::uint64_t u = ups[w], d = downs[w], notUp = ~u, notDown = ~d;
        const auto fill = [](std::uint64_t within, std::uint64_t from, std::uint64_t& carry) {
            const unsigned __int128 sum = static_cast<unsigned __int128>(within) + from + carry;
            carry = static_cast<std::uint64_t>(sum >> 64);
            return ((static_cast<std::uint64_t>(sum) ^ within) | from) & within;
        };
        const std::uint64_t wentDown = fill(notUp, d, downCarry),
                            wentUp = fill(notDown, u, upCarry);
        turns += bitCount((u & (wentDown << 1 | downBefore)) | (d & (wentUp << 1 | upBefore)));
        downBefore = wentDown >> 63;
        upBefore = wentUp >> 63;
    }

    // The sums of squares of run lengths: a run of b steps up and b + 1
    // symbols has (b + 1)^2 = 1 + b + 2 (b + (b - 1) + ... + 1), and the sum
    // in brackets counts the places where j steps up in a row end, for each j.
    const auto sn = static_cast<std::int64_t>(n);
    const auto runSquares = [words](std::uint64_t* bits, std::int64_t& steps) {
        std::int64_t ends = 0;
        steps = -1;
        for (std::uint64_t any = 1; any;) {
            std::uint64_t carry = 0;
            any = 0;
            for (std::size_t w = 0; w < words; ++w) {
                const std::uint64_t v = bits[w];
                ends += bitCount(v);
                bits[w] = v & (v << 1 | carry);
                carry = v >> 63;
                any |= bits[w];
            }
            if (steps < 0)
                steps = ends; // the first round counts the steps themselves
        }
        return ends;
    };
    std::int64_t upSteps = 0, downSteps = 0;
    const std::int64_t upEnds = runSquares(ups, upSteps), downEnds = runSquares(downs, downSteps);

    // The symbol counts, in alphabet order. Sums of f ln f are in long
    // double: the redundancy is 1 less a ratio near 1 and would lose two
    // digits in doubles. The counts and pairs are cleared once read.
    const std::uint32_t* const symbolCounts = counts_.data() + 1;
    long double sumCounts = 0;
    std::int64_t squares = 0;
    std::uint32_t maxCount = 0;
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const std::uint32_t c = symbolCounts[i];
        sumCounts += fLnF(c);
        squares += static_cast<std::int64_t>(c) * c;
        maxCount = std::max(maxCount, c);
        distinct += c > 0;
    }

    // The pairs: neighbours one place apart before the wrap is added.
    std::uint32_t* const pairs = counts_.data() + 1 + k;
    std::int64_t up1 = 0, down1 = 0;
    r.repetitions = static_cast<int>(pairs[(k - 1) * k + k - 1]);
    for (std::size_t a = 0; a + 1 < k; ++a) {
        r.repetitions += static_cast<int>(pairs[a * k + a]);
        up1 += pairs[a * k + a + 1];
        down1 += pairs[(a + 1) * k + a];
    }
    if (tally && k == 10) { // the steps of each size: the pairs on each diagonal
        tally->n = static_cast<int>(n);
        for (std::size_t i = 0; i < 10; ++i)
            tally->counts[i] = static_cast<int>(symbolCounts[i]);
        tally->steps[0] = r.repetitions;
        tally->steps[1] = static_cast<int>(up1 + down1);
#pragma GCC unroll 8
        for (std::size_t d = 2; d < 10; ++d) {
            std::uint32_t steps = 0;
#pragma GCC unroll 8
            for (std::size_t a = 0; a + d < 10; ++a)
                steps += pairs[a * 10 + a + d] + pairs[(a + d) * 10 + a];
            tally->steps[d] = static_cast<int>(steps);
        }
    }
    const Places at = placesFor(k, room_);
    std::uint32_t* const pairsReached = counts_.data() + at.pairsReached;
    ++pairsReached[++pairs[x[n - 1] * k + x[0]]]; // the wrap pair
    const auto empty = static_cast<std::int64_t>(k * k - pairsReached[1]);
    const long double sumPairs = sumFLnF(pairsReached),
                      sumLag2 = sumFLnF(counts_.data() + at.lag2Reached);
    std::fill_n(counts_.begin() + 1, k + k * k, 0); // the symbols, then the pairs
    std::fill_n(counts_.begin() + static_cast<std::ptrdiff_t>(at.lag2), k * k, 0);

    std::uint32_t* const gapCounts = counts_.data() + at.gaps;

    const double dn = static_cast<double>(n);
    const long double ln = static_cast<long double>(n);
    r.redundancy = static_cast<double>(100 * (1 - (fLnF(n) / ln - sumCounts / ln) / lnK_));
    r.rng = maxCount > 1 ? static_cast<double>(sumPairs / sumCounts) : kNaN;
    r.rng2 = maxCount > 1 ? static_cast<double>(sumLag2 / sumCounts) : kNaN;
    r.nsq = 100.0 * static_cast<double>(empty) / static_cast<double>(k * k - 1);
    r.chi2 = static_cast<double>(static_cast<std::int64_t>(k) * squares - sn * sn) / dn;

    const double pairsIn = static_cast<double>(n - 1);
    r.adjacencyUp = 100.0 * static_cast<double>(up1) / pairsIn;
    r.adjacencyDown = 100.0 * static_cast<double>(down1) / pairsIn;
    r.adjacency = 100.0 * static_cast<double>(up1 + down1) / pairsIn;
    r.tpi = n >= 3 ? 150.0 * static_cast<double>(turns) / static_cast<double>(n - 2) : kNaN;
    r.runsUp = runVariance(sn - upSteps, sn + 2 * upEnds, sn);
    r.runsDown = runVariance(sn - downSteps, sn + 2 * downEnds, sn);

    r.coupon = distinct == k
                   ? static_cast<double>(pass.covered) / static_cast<double>(pass.segments)
                   : kNaN;
    r.gapMedian = r.gapMean = r.gapMode = kNaN;
    const auto gaps = static_cast<std::int64_t>(n - distinct);
    std::fill_n(gapCounts + n + 1, n, 0); // the first sightings
    if (gaps > 0) {
        // Up to the longest gap: the counts are read and cleared, and the
        // gap that holds the middle ranks lo and hi noted on the way.
        const std::int64_t lo = (gaps - 1) / 2, hi = gaps / 2;
        std::int64_t below = 0, gapSum = 0, mode = 0, loValue = 0, hiValue = 0, g = 1;
        std::uint32_t modeCount = 0;
        const auto read = [&] {
            const std::uint32_t c = gapCounts[g];
            gapCounts[g] = 0;
            if (c > modeCount) { // the smallest gap wins a tie
                modeCount = c;
                mode = g;
            }
            below += c;
            gapSum += g * c;
        };
        for (; below <= lo; ++g)
            read();
        loValue = g - 1;
        for (; below <= hi; ++g)
            read();
        hiValue = g - 1;
        for (; below < gaps; ++g)
            read();
        r.gapMode = static_cast<double>(mode);
        r.gapMean = static_cast<double>(gapSum) / static_cast<double>(gaps);
        r.gapMedian = static_cast<double>(loValue + hiValue) / 2;
    }

    // The chance depends on n and the hits only, and sequences of one
    // length take few hit counts: each is worked out once per length.
    Chance& chance = chances_[static_cast<std::size_t>(r.predictorHits)];
    if (chance.n != r.n) {
        pValue(r);
        chance = Chance{r.n, r.predictorP, r.predictorLnP};
    }
    r.predictorP = chance.p;
    r.predictorLnP = chance.lnP;
}

} // namespace zorbel
