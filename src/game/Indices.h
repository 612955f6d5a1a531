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

    // Every index of symbols (each below the alphabet size), at least 2 of them.
    Indices compute(std::span<const std::uint8_t> symbols);

private:
    struct Best { // a context's guess: the follower seen most often, latest on a tie
        std::uint32_t count = 0;
        std::uint8_t symbol = 0;
    };
    struct Follower { // one follower of a three-symbol context, in a chain
        std::uint32_t count;
        std::int32_t next;
        std::uint8_t symbol;
    };

    void growTables(std::size_t n);
    int predict(std::span<const std::uint8_t> x);
    void pValue(Indices& r) const;

    int k_;
    long double lnK_;
    long double lnP_, lnQ_; // ln(1/k), ln(1 - 1/k)
    std::array<std::uint32_t, kMaxAlphabet> counts_{};
    std::vector<std::uint32_t> pairs_, lag2_; // k x k, all zero between sequences
    std::vector<std::uint32_t> gapCounts_;    // by gap length
    std::vector<long double> fLnF_;           // f ln f, 0 for f <= 1
    std::vector<long double> lnFactorial_;
    // The predictor: contexts of 0, 1, 2 and 3 symbols, numbered in base k.
    std::vector<Best> best_;                    // 1 + k + k^2 contexts of 0..2 symbols
    std::vector<std::uint32_t> followed_;       // their follower counts: k + k^2 + k^3
    std::vector<Best> best3_;                   // k^3 contexts of 3 symbols
    std::vector<std::int32_t> chain3_;          // their first follower, -1 for none
    std::vector<Follower> followers3_;
};

} // namespace zorbel
