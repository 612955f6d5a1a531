#include "game/Indices.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

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

// Alphabets up to this size keep a count for every follower of every
// three-symbol context (k^4 of them, 256 KiB at 16 symbols); larger ones
// chain the followers each sequence brings.
constexpr int kDirectOrder3 = 16;

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

// 1 << s for each symbol s.
constexpr std::array<std::uint64_t, kMaxAlphabet> kBits = [] {
    std::array<std::uint64_t, kMaxAlphabet> bits{};
    for (std::size_t s = 0; s < bits.size(); ++s)
        bits[s] = std::uint64_t{1} << s;
    return bits;
}();

// The guess of a context once follower f has been counted count times: f
// when it has come at least as often as the guess so far.
std::uint64_t take(std::uint64_t best, std::uint64_t count, std::uint8_t f)
{
    const std::uint64_t v = count << 8 | f;
    return (v | 0xff) >= best ? v : best;
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
    if (k_ <= kDirectOrder3) {
        counts_.assign(1 + contexts * k, 0);
    } else {
        counts_.assign(contexts, 0);
        chain3_.assign(contexts, -1);
    }
    lag2_.assign(k * k, 0);
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
    if (gapCounts_.size() < 2 * n + 1)
        gapCounts_.resize(2 * n + 1, 0);
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
// being the latest. Returns the number of right guesses, and leaves the
// symbol, pair and lag-2 pair counts for compute() to read and clear.
int IndexCalculator::predict(std::span<const std::uint8_t> x)
{
    const std::size_t n = x.size(), k = static_cast<std::size_t>(k_);
    if (base_ > std::numeric_limits<std::uint32_t>::max() - n) { // counts would wrap
        std::fill(counts_.begin(), counts_.end(), 0);
        std::fill(best_.begin(), best_.end(), 0);
        base_ = 0;
    }
    // The game's own ten digits get a loop that knows k.
    const int hits = k_ == 10              ? runPredictor<true, 10>(x)
                     : k_ <= kDirectOrder3 ? runPredictor<true, 0>(x)
                                           : runPredictor<false, 0>(x);
    base_ += static_cast<std::uint32_t>(n);
    std::fill_n(best_.begin() + 1, k, 0);
    return hits;
}

// The machine itself. direct: the followers of three-symbol contexts are
// counted in counts_, else in chains. K: the alphabet size if fixed here,
// else 0.
template <bool direct, std::size_t K>
int IndexCalculator::runPredictor(std::span<const std::uint8_t> x)
{
    const std::size_t n = x.size(), k = K ? K : static_cast<std::size_t>(k_);
    const std::uint32_t base = base_;
    const std::uint64_t stale = std::uint64_t{base} << 8 | 0xff; // a guess above is this one's
    std::uint32_t* const counts = counts_.data();
    std::uint64_t* const best = best_.data();
    std::uint32_t* const lag2 = lag2_.data();

    // The first three symbols have shorter contexts only.
    std::uint64_t best0 = take(0, ++counts[1 + x[0]], x[0]);
    int hits = 0;
    std::size_t c1 = 0, c2 = 0, c3 = 0; // the contexts of the last 1, 2 and 3 symbols
    for (std::size_t t = 1; t < std::min<std::size_t>(n, 3); ++t) {
        const std::uint8_t f = x[t];
        c2 = t >= 2 ? c1 * k + 1 + x[t - 1] : 0;
        c1 = 1 + x[t - 1];
        std::uint64_t guess = best0;
        if (best[c1] > 0xff)
            guess = best[c1];
        if (t >= 2 && best[c2] > stale)
            guess = best[c2];
        hits += (guess & 0xff) == f;
        best0 = take(best0, ++counts[1 + f], f);
        best[c1] = take(best[c1], ++counts[c1 * k + 1 + f], f);
        if (t >= 2) {
            ++lag2[x[0] * k + f];
            std::uint32_t& count = counts[c2 * k + 1 + f];
            count = std::max(count, base) + 1;
            best[c2] = take(best[c2], count, f);
        }
    }
    if (n > 2) {
        c3 = c2 * k + 1 + x[2];
        c2 = c1 * k + 1 + x[2];
        c1 = 1 + x[2];
    }

    std::size_t used = 0; // followers3_ taken by this sequence
    for (std::size_t t = 3; t < n; ++t) {
        const std::uint8_t f = x[t];
        const std::size_t f1 = 1 + std::size_t{f}, n2 = c1 * k + f1, n3 = c2 * k + f1;
        ++lag2[c2 - c1 - k + f]; // c2 - c1 is (1 + the symbol two back) k
        // Each order in turn: its guess, if its context was seen, then its
        // count. The guesses are all read before their own order changes.
        std::uint64_t guess = best0;
        best0 = take(best0, ++counts[f1], f);
        const std::uint64_t g1 = best[c1];
        guess = g1 > 0xff ? g1 : guess;
        best[c1] = take(g1, ++counts[n2], f);
        const std::uint64_t g2 = best[c2];
        guess = g2 > stale ? g2 : guess;
        const std::uint32_t count2 = std::max(counts[n3], base) + 1;
        counts[n3] = count2;
        best[c2] = take(g2, count2, f);
        const std::uint64_t g3 = best[c3];
        guess = g3 > stale ? g3 : guess;
        hits += (guess & 0xff) == f;
        if constexpr (direct) {
            // Most contexts of three symbols are new in a short sequence,
            // and a new one only takes its guess. Its follower's count is
            // written when the context comes back: until then it is left
            // over from before, at most base.
            if (g3 > stale) {
                std::uint32_t* const followers = counts + c3 * k + 1;
                std::uint32_t& first = followers[g3 & 0xff];
                first = std::max(first, base + 1);
                std::uint32_t& count = followers[f];
                count = std::max(count, base) + 1;
                best[c3] = take(g3, count, f);
            } else {
                best[c3] = std::uint64_t{base + 1} << 8 | f;
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
            best[c3] = take(g3, count, f);
        }
        c3 = n3;
        c2 = n2;
        c1 = f1;
    }
    return hits;
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

Indices IndexCalculator::compute(std::span<const std::uint8_t> x)
{
    const std::size_t n = x.size(), k = static_cast<std::size_t>(k_);
    growTables(n);
    Indices r;
    r.n = static_cast<int>(n);
    r.predictorHits = predict(x); // counts the symbols, pairs and lag-2 pairs too

    // The steps as bits, 64 to a word: bit i - 1 of ups (downs) is set when
    // x[i] is above (below) x[i - 1]. Eight steps at a time: for bytes a
    // and b below 128, bit 7 of (a | 128) - b is set when a >= b.
    const std::size_t words = (n + 62) / 64;
    std::uint64_t* const ups = ups_.data();
    std::uint64_t* const downs = downs_.data();
    std::fill_n(ups, words, 0);
    std::fill_n(downs, words, 0);
    std::size_t step = 0;
    for (constexpr std::uint64_t h = 0x8080808080808080; step + 9 <= n; step += 8) {
        std::uint64_t before, after;
        std::memcpy(&before, x.data() + step, 8);
        std::memcpy(&after, x.data() + step + 1, 8);
        ups[step / 64] |= bitsOfBytes(~((before | h) - after) & h) << (step % 64);
        downs[step / 64] |= bitsOfBytes(~((after | h) - before) & h) << (step % 64);
    }
    for (; step + 1 < n; ++step) {
        ups[step / 64] |= std::uint64_t{x[step + 1] > x[step]} << (step % 64);
        downs[step / 64] |= std::uint64_t{x[step + 1] < x[step]} << (step % 64);
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
    // digits in doubles. Tables are cleared once read.
    std::uint32_t* const symbolCounts = counts_.data() + 1;
    long double sumCounts = 0, sumPairs = 0, sumLag2 = 0;
    std::int64_t squares = 0;
    std::uint32_t maxCount = 0;
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const std::uint32_t c = symbolCounts[i];
        sumCounts += fLnF(c);
        squares += static_cast<std::int64_t>(c) * c;
        maxCount = std::max(maxCount, c);
        distinct += c > 0;
        symbolCounts[i] = 0;
    }

    // The pairs: neighbours one place apart before the wrap is added.
    std::uint32_t* const pairs = counts_.data() + 1 + k;
    std::int64_t up1 = 0, down1 = 0;
    for (std::size_t a = 0; a < k; ++a) {
        r.repetitions += static_cast<int>(pairs[a * k + a]);
        if (a + 1 < k) {
            up1 += pairs[a * k + a + 1];
            down1 += pairs[(a + 1) * k + a];
        }
    }
    ++pairs[x[n - 1] * k + x[0]]; // the wrap pair

    // One pass for the rest, and the pair cells row by row beside it: the
    // long double additions wait for each other, and the symbols' integer
    // work fits in between. A gap is counted in gapCounts_[i - last
    // place], and a first sighting from the place -n - 1 lands past n,
    // where no gap does.
    const std::uint64_t all = k_ == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << k) - 1;
    std::uint64_t seen = kBits[x[0]];
    std::int64_t segments = 0, lastCover = -1; // the place where the last segment ends
    std::array<std::int64_t, kMaxAlphabet> last;
    std::fill_n(last.begin(), k, -sn - 1);
    std::uint32_t* const gapCounts = gapCounts_.data();
    const std::uint32_t* const lag2 = lag2_.data();
    ++gapCounts[n + 1];
    last[x[0]] = 0;
    int empty = 0;
    const auto cells = static_cast<std::int64_t>(k * k);
    for (std::int64_t j = 1; j < std::max(sn, cells + 1); ++j) {
        if (j < sn) {
            const std::uint8_t s = x[static_cast<std::size_t>(j)];
            seen |= kBits[s];
            if (seen == all) {
                ++segments;
                lastCover = j;
                seen = 0;
            }
            ++gapCounts[j - last[s]];
            last[s] = j;
        }
        if (j <= cells) {
            const auto c = static_cast<std::size_t>(j - 1);
            sumPairs += fLnF(pairs[c]);
            sumLag2 += fLnF(lag2[c]);
            empty += pairs[c] == 0;
        }
    }
    const std::int64_t covered = lastCover + 1;
    std::fill_n(pairs, k * k, 0);
    std::fill_n(lag2_.data(), k * k, 0);

    const double dn = static_cast<double>(n);
    const long double ln = static_cast<long double>(n);
    r.redundancy = static_cast<double>(100 * (1 - (fLnF(n) / ln - sumCounts / ln) / lnK_));
    r.rng = maxCount > 1 ? static_cast<double>(sumPairs / sumCounts) : kNaN;
    r.rng2 = maxCount > 1 ? static_cast<double>(sumLag2 / sumCounts) : kNaN;
    r.nsq = 100.0 * empty / static_cast<double>(k * k - 1);
    r.chi2 = static_cast<double>(static_cast<std::int64_t>(k) * squares - sn * sn) / dn;

    const double pairsIn = static_cast<double>(n - 1);
    r.adjacencyUp = 100.0 * static_cast<double>(up1) / pairsIn;
    r.adjacencyDown = 100.0 * static_cast<double>(down1) / pairsIn;
    r.adjacency = 100.0 * static_cast<double>(up1 + down1) / pairsIn;
    r.tpi = n >= 3 ? 150.0 * static_cast<double>(turns) / static_cast<double>(n - 2) : kNaN;
    r.runsUp = runVariance(sn - upSteps, sn + 2 * upEnds, sn);
    r.runsDown = runVariance(sn - downSteps, sn + 2 * downEnds, sn);

    r.coupon = distinct == k ? static_cast<double>(covered) / static_cast<double>(segments) : kNaN;
    r.gapMedian = r.gapMean = r.gapMode = kNaN;
    const auto gaps = static_cast<std::int64_t>(n - distinct);
    std::fill_n(gapCounts + n + 1, n, 0); // the first sightings
    if (gaps > 0) {
        const std::int64_t lo = (gaps - 1) / 2, hi = gaps / 2; // the middle ranks
        std::int64_t below = 0, loValue = 0, hiValue = 0, gapSum = 0;
        std::uint32_t modeCount = 0;
        for (std::int64_t g = 1; below < gaps; ++g) { // up to the longest gap
            const std::uint32_t c = gapCounts[g];
            if (below <= lo && lo < below + c)
                loValue = g;
            if (below <= hi && hi < below + c)
                hiValue = g;
            if (c > modeCount) { // the smallest gap wins a tie
                modeCount = c;
                r.gapMode = static_cast<double>(g);
            }
            below += c;
            gapSum += g * c;
            gapCounts[g] = 0;
        }
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
    return r;
}

} // namespace zorbel
