// The standard indices of random-generation research, computed for any
// sequence over a small alphabet, and the exact text they are written in.
//
// Plain C++ like the rest of the core. One IndexCalculator is made for an
// alphabet and reused for every sequence: all its working memory is fixed
// arrays sized for the alphabet, plus tables that grow to the longest
// sequence seen, so a long run of sequences allocates nothing.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorbel
{

struct DigitTally; // in basZorb.h

// Alphabets hold 2 to kMaxAlphabet symbols; a sequence holds symbol places
// 0..k-1 (the place of each symbol in the alphabet, never relabelled).
inline constexpr int kMaxAlphabet = 64;

// An index that is undefined for a sequence is NaN.
struct Indices {
    int n = 0;
    double redundancy = 0;
    double rng = 0;
    double rng2 = 0;
    double nsq = 0;
    int repetitions = 0;
    double adjacencyUp = 0;
    double adjacencyDown = 0;
    double adjacency = 0;
    double tpi = 0;
    double runsUp = 0;
    double runsDown = 0;
    double coupon = 0;
    double gapMedian = 0;
    double gapMean = 0;
    double gapMode = 0;
    double chi2 = 0;
    int predictorHits = 0;
    double predictorP = 1;
    // ln of predictorP, kept for a chance too small for a double.
    long double predictorLnP = 0;
};

// The column names, in output order: id, score, then the indices.
extern const std::array<std::string_view, 21> kIndexColumns;

class IndexCalculator
{
public:
    explicit IndexCalculator(int alphabetSize);

    // Every index of symbols (each below the alphabet size), at least 2 of
    // them, into r. With ten symbols, tally (if given) gets what the game's
    // score needs of them, taking each symbol's place for its digit.
    void compute(std::span<const std::uint8_t> symbols, Indices& r, DigitTally* tally = nullptr);

private:
    struct Follower { // one follower of a three-symbol context, in a chain
        std::uint32_t count;
        std::int32_t next;
        std::uint8_t symbol;
    };

    struct Chance { // predictorP and predictorLnP for some hits in a sequence of n
        int n = 0;
        double p = 1;
        long double lnP = 0;
    };

    // What the pass over the symbols returns; the rest it leaves in the tables.
    struct Pass {
        int hits = 0;                           // the predictor's right guesses
        std::int64_t segments = 0, covered = 0; // coupon segments, and the symbols in them
    };

    void growTables(std::size_t n);
    Pass predict(std::span<const std::uint8_t> x);
    template <bool direct, std::size_t K> Pass runPredictor(std::span<const std::uint8_t> x);
    void pValue(Indices& r) const;
    long double sumFLnF(std::uint32_t* reached) const;

    int k_;
    long double lnK_;
    long double lnP_, lnQ_; // ln(1/k), ln(1 - 1/k)
    // The predictor's contexts of 0 to 3 symbols have one numbering: the
    // empty one is 0, and context c followed by symbol s is c k + 1 + s. So
    // counts_[c k + 1 + s] is how often s followed c: counts_[1 + s] is the
    // count of s, and the k x k pair counts (no wrap) start at counts_[1 + k].
    // best_[c] is c's guess, packed as count << 32 | the place where that
    // follower came last, so that one comparison picks the follower seen
    // most often, latest on a tie. Contexts of 1 symbol, and the counts of
    // the symbols and the pairs, are all zero between sequences. Contexts
    // of 2 and 3 are never cleared: their counts run on from base_, the
    // length of the sequences before, so a count or guess at or below it
    // is left over and stands for zero.
    std::vector<std::uint32_t> counts_; // up to 4 symbols; 3 in larger alphabets
    std::vector<std::uint64_t> best_;   // up to 3 symbols
    std::vector<std::int32_t> chain3_;  // larger alphabets: first follower of 3 symbols
    std::vector<Follower> followers3_;
    std::uint32_t base_ = 0;
    // After the contexts' counts, counts_ holds the tallies that are all
    // zero between sequences, from these places on: the k x k lag-2 pairs;
    // how many pair cells (lag-2 pair cells) a count has reached, by count,
    // which is all that the sums of f ln f need; and the gaps by length.
    // Their room depends on the longest sequence it is made for. In one
    // block, the pass reaches them all from one address.
    struct Places {
        std::size_t lag2, pairsReached, lag2Reached, gaps, end;
    };
    static constexpr Places placesFor(std::size_t k, std::size_t longest)
    {
        const std::size_t contexts = 1 + k + k * k + k * k * k,
                          lag2 = k <= kDirectOrder3 ? 1 + contexts * k : contexts,
                          pairsReached = lag2 + k * k, lag2Reached = pairsReached + longest + 2,
                          gaps = lag2Reached + longest + 2;
        return Places{lag2, pairsReached, lag2Reached, gaps, gaps + 2 * longest + 1};
    }
    // Alphabets up to this size keep a count for every follower of every
    // three-symbol context (k^4 of them, 256 KiB at 16 symbols); larger
    // ones chain the followers each sequence brings.
    static constexpr int kDirectOrder3 = 16;
    // The room the tallies have at first. While it lasts, the loop for the
    // game's ten digits knows the places when compiling.
    static constexpr std::size_t kFirstRoom = 4096;
    std::size_t room_ = kFirstRoom;
    // f ln f, 0 for f <= 1, as the long double it is split into two
    // doubles: they load much faster, and their sum is exact.
    struct Term {
        double hi, lo;
    };
    std::vector<Term> fLnF_;
    long double fLnF(std::size_t f) const
    {
        return static_cast<long double>(fLnF_[f].hi) + fLnF_[f].lo;
    }
    std::vector<long double> lnFactorial_;
    std::vector<Chance> chances_;            // by hits
    std::vector<std::uint64_t> ups_, downs_; // the steps as bits
};

} // namespace zorbel
