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

} // namespace

IndexCalculator::IndexCalculator(int alphabetSize)
    : k_(alphabetSize), lnK_(std::log(static_cast<long double>(alphabetSize))),
      lnP_(-std::log(static_cast<long double>(alphabetSize))),
      lnQ_(std::log(static_cast<long double>(alphabetSize - 1)) -
           std::log(static_cast<long double>(alphabetSize)))
{
    const std::size_t k = static_cast<std::size_t>(k_);
    pairs_.assign(k * k, 0);
    lag2_.assign(k * k, 0);
    best_.assign(1 + k + k * k, Best{});
    followed_.assign(k + k * k + k * k * k, 0);
    best3_.assign(k * k * k, Best{});
    chain3_.assign(k * k * k, -1);
}

// The tables that depend on the length only grow, so the longest sequence
// sets their size once.
void IndexCalculator::growTables(std::size_t n)
{
    for (std::size_t f = fLnF_.size(); f <= n; ++f)
        fLnF_.push_back(f > 1 ? static_cast<long double>(f) * std::log(static_cast<long double>(f))
                              : 0.0L);
    for (std::size_t i = lnFactorial_.size(); i < n; ++i)
        lnFactorial_.push_back(std::lgamma(static_cast<long double>(i) + 1));
    if (gapCounts_.size() < n)
        gapCounts_.resize(n, 0);
    followers3_.reserve(n);
}

// The guessing machine: before each symbol, the longest context of the last
// 3, 2 or 1 symbols that was followed before votes for its most frequent
// follower; with none, the most frequent symbol so far. Each context keeps
// its current guess: a follower that reaches the leader's count takes over,
// being the latest. Returns the number of right guesses.
int IndexCalculator::predict(std::span<const std::uint8_t> x)
{
    const std::size_t n = x.size(), k = static_cast<std::size_t>(k_);
    const auto bump = [](Best& b, std::uint32_t& count, std::uint8_t f) {
        if (++count >= b.count)
            b = Best{count, f};
    };
    int hits = 0;
    for (std::size_t t = 0; t < n; ++t) {
        const std::uint8_t f = x[t];
        const std::size_t c1 = t >= 1 ? x[t - 1] : 0;
        const std::size_t c2 = t >= 2 ? x[t - 2] * k + c1 : 0;
        const std::size_t c3 = t >= 3 ? x[t - 3] * k * k + c2 : 0;
        if (t >= 1) {
            const Best* b = &best_[0];
            if (t >= 3 && best3_[c3].count > 0)
                b = &best3_[c3];
            else if (t >= 2 && best_[1 + k + c2].count > 0)
                b = &best_[1 + k + c2];
            else if (best_[1 + c1].count > 0)
                b = &best_[1 + c1];
            hits += b->symbol == f;
        }
        bump(best_[0], followed_[f], f);
        if (t >= 1)
            bump(best_[1 + c1], followed_[k + c1 * k + f], f);
        if (t >= 2)
            bump(best_[1 + k + c2], followed_[k + k * k + c2 * k + f], f);
        if (t >= 3) {
            std::int32_t i = chain3_[c3];
            while (i >= 0 && followers3_[static_cast<std::size_t>(i)].symbol != f)
                i = followers3_[static_cast<std::size_t>(i)].next;
            if (i < 0) {
                i = static_cast<std::int32_t>(followers3_.size());
                followers3_.push_back(Follower{0, chain3_[c3], f});
                chain3_[c3] = i;
            }
            bump(best3_[c3], followers3_[static_cast<std::size_t>(i)].count, f);
        }
    }
    // Back to all zero, touching only what this sequence touched.
    best_[0] = Best{};
    for (std::size_t t = 0; t < n; ++t) {
        const std::uint8_t f = x[t];
        const std::size_t c1 = t >= 1 ? x[t - 1] : 0;
        const std::size_t c2 = t >= 2 ? x[t - 2] * k + c1 : 0;
        followed_[f] = 0;
        if (t >= 1) {
            best_[1 + c1] = Best{};
            followed_[k + c1 * k + f] = 0;
        }
        if (t >= 2) {
            best_[1 + k + c2] = Best{};
            followed_[k + k * k + c2 * k + f] = 0;
        }
        if (t >= 3) {
            best3_[x[t - 3] * k * k + c2] = Best{};
            chain3_[x[t - 3] * k * k + c2] = -1;
        }
    }
    followers3_.clear();
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

    for (std::uint8_t s : x)
        ++counts_[s];
    for (std::size_t i = 0; i + 1 < n; ++i)
        ++pairs_[x[i] * k + x[i + 1]];
    ++pairs_[x[n - 1] * k + x[0]]; // the wrap pair
    for (std::size_t i = 0; i + 2 < n; ++i)
        ++lag2_[x[i] * k + x[i + 2]];

    // Sums in alphabet order, the pair cells row by row, in long double: the
    // redundancy is 1 less a ratio near 1 and would lose two digits in
    // doubles. Tables are cleared as they are read.
    long double sumCounts = 0, sumPairs = 0, sumLag2 = 0;
    std::int64_t squares = 0;
    std::uint32_t maxCount = 0;
    bool allSeen = true;
    for (std::size_t i = 0; i < k; ++i) {
        const std::uint32_t c = counts_[i];
        sumCounts += fLnF_[c];
        squares += static_cast<std::int64_t>(c) * c;
        maxCount = std::max(maxCount, c);
        allSeen = allSeen && c > 0;
        counts_[i] = 0;
    }
    int empty = 0;
    for (std::size_t c = 0; c < k * k; ++c) {
        sumPairs += fLnF_[pairs_[c]];
        sumLag2 += fLnF_[lag2_[c]];
        empty += pairs_[c] == 0;
        pairs_[c] = lag2_[c] = 0;
    }
    const double dn = static_cast<double>(n);
    const long double ln = static_cast<long double>(n);
    r.redundancy = static_cast<double>(100 * (1 - (fLnF_[n] / ln - sumCounts / ln) / lnK_));
    r.rng = maxCount > 1 ? static_cast<double>(sumPairs / sumCounts) : kNaN;
    r.rng2 = maxCount > 1 ? static_cast<double>(sumLag2 / sumCounts) : kNaN;
    r.nsq = 100.0 * empty / static_cast<double>(k * k - 1);
    const auto nn = static_cast<std::int64_t>(n);
    r.chi2 = static_cast<double>(static_cast<std::int64_t>(k) * squares - nn * nn) / dn;

    // Neighbours: repeats, steps of one place, turns, runs.
    int up = 0, down = 0, turns = 0, lastStep = 0;
    std::int64_t upRuns = 0, upSquares = 0, downRuns = 0, downSquares = 0, upLen = 1, downLen = 1;
    for (std::size_t i = 1; i < n; ++i) {
        const int step = x[i] - x[i - 1];
        r.repetitions += step == 0;
        up += step == 1;
        down += step == -1;
        if (step != 0) {
            const int dir = step > 0 ? 1 : -1;
            turns += lastStep != 0 && dir != lastStep; // a plateau between counts once
            lastStep = dir;
        }
        if (step > 0) {
            ++upLen;
        } else {
            ++upRuns;
            upSquares += upLen * upLen;
            upLen = 1;
        }
        if (step < 0) {
            ++downLen;
        } else {
            ++downRuns;
            downSquares += downLen * downLen;
            downLen = 1;
        }
    }
    const double pairsIn = static_cast<double>(n - 1);
    r.adjacencyUp = 100.0 * up / pairsIn;
    r.adjacencyDown = 100.0 * down / pairsIn;
    r.adjacency = 100.0 * (up + down) / pairsIn;
    r.tpi = n >= 3 ? 150.0 * turns / static_cast<double>(n - 2) : kNaN;
    r.runsUp = runVariance(upRuns + 1, upSquares + upLen * upLen, nn);
    r.runsDown = runVariance(downRuns + 1, downSquares + downLen * downLen, nn);

    // Coupon segments and the gaps between repeats of a symbol.
    std::uint64_t seen = 0;
    std::size_t distinct = 0, segments = 0, covered = 0;
    std::array<std::int64_t, kMaxAlphabet> last;
    last.fill(-1);
    std::int64_t gaps = 0, gapSum = 0, maxGap = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t bit = std::uint64_t{1} << x[i];
        if (!(seen & bit)) {
            seen |= bit;
            if (++distinct == k) {
                ++segments;
                covered = i + 1;
                seen = 0;
                distinct = 0;
            }
        }
        const auto pos = static_cast<std::int64_t>(i);
        if (last[x[i]] >= 0) {
            const std::int64_t gap = pos - last[x[i]];
            ++gapCounts_[static_cast<std::size_t>(gap)];
            ++gaps;
            gapSum += gap;
            maxGap = std::max(maxGap, gap);
        }
        last[x[i]] = pos;
    }
    r.coupon = allSeen ? static_cast<double>(covered) / static_cast<double>(segments) : kNaN;
    r.gapMedian = r.gapMean = r.gapMode = kNaN;
    if (gaps > 0) {
        r.gapMean = static_cast<double>(gapSum) / static_cast<double>(gaps);
        const std::int64_t lo = (gaps - 1) / 2, hi = gaps / 2; // the middle ranks
        std::int64_t below = 0, loValue = 0, hiValue = 0;
        std::uint32_t modeCount = 0;
        for (std::int64_t g = 1; g <= maxGap; ++g) {
            const std::uint32_t c = gapCounts_[static_cast<std::size_t>(g)];
            if (below <= lo && lo < below + c)
                loValue = g;
            if (below <= hi && hi < below + c)
                hiValue = g;
            if (c > modeCount) { // the smallest gap wins a tie
                modeCount = c;
                r.gapMode = static_cast<double>(g);
            }
            below += c;
            gapCounts_[static_cast<std::size_t>(g)] = 0;
        }
        r.gapMedian = static_cast<double>(loValue + hiValue) / 2;
    }

    r.predictorHits = predict(x);
    pValue(r);
    return r;
}

} // namespace zorbel
