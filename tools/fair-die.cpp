// Writes html/fairdie.js for the help page's analyser: for each board length
// from 1 to 100, how often a fair die passes the game, and the 5 to 95 %
// range of every index over fair-die boards of that length. Monte Carlo
// with a fixed seed, so every build writes the same file.
// Usage: zorbel-fair-die OUTPUT
#include "game/Indices.h"
#include "game/basZorb.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr int kSamples = 10000;
constexpr int kDigits = 10;

// The indices the page gives a range for, in column order.
constexpr const char* kNames[] = {
    "redundancy",     "rng",       "rng2",     "nsq",     "repetitions",   "adjacency_up",
    "adjacency_down", "adjacency", "tpi",      "runs_up", "runs_down",     "coupon",
    "gap_median",     "gap_mean",  "gap_mode", "chi2",    "predictor_hits"};
constexpr std::size_t kCount = std::size(kNames);

std::array<double, kCount> values(const zorbel::Indices& x)
{
    return {x.redundancy,
            x.rng,
            x.rng2,
            x.nsq,
            double(x.repetitions),
            x.adjacencyUp,
            x.adjacencyDown,
            x.adjacency,
            x.tpi,
            x.runsUp,
            x.runsDown,
            x.coupon,
            x.gapMedian,
            x.gapMean,
            x.gapMode,
            x.chi2,
            double(x.predictorHits)};
}

std::string number(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorbel-fair-die OUTPUT\n");
        return 2;
    }
    std::mt19937_64 engine(20261207);
    std::uniform_int_distribution<int> die(0, kDigits - 1);
    zorbel::IndexCalculator calculator(kDigits);
    std::string pass = "[null", ranges[kCount];
    for (std::string& r : ranges)
        r = "[null, null";
    std::vector<std::int16_t> board;
    std::vector<std::uint8_t> symbols;
    std::vector<double> seen[kCount];
    zorbel::Indices indices;
    for (std::size_t n = 1; n <= zorbel::kMaxCells; ++n) {
        int passed = 0;
        for (auto& s : seen)
            s.clear();
        for (int i = 0; i < kSamples; ++i) {
            board.clear();
            symbols.clear();
            for (std::size_t j = 0; j < n; ++j) {
                const int d = die(engine);
                board.push_back(static_cast<std::int16_t>(d));
                symbols.push_back(static_cast<std::uint8_t>(d));
            }
            passed += zorbel::ScoreDigits(board, false).score >= 80;
            if (n < 2)
                continue;
            calculator.compute(symbols, indices);
            const auto v = values(indices);
            for (std::size_t c = 0; c < kCount; ++c)
                if (!std::isnan(v[c]))
                    seen[c].push_back(v[c]);
        }
        pass += ", " + number(double(passed) / kSamples);
        if (n < 2)
            continue;
        for (std::size_t c = 0; c < kCount; ++c) {
            std::vector<double>& s = seen[c];
            if (s.size() * 2 <= std::size_t(kSamples)) { // mostly undefined at this length
                ranges[c] += ", null";
                continue;
            }
            std::sort(s.begin(), s.end());
            const auto at = [&s](double q) {
                return s[std::size_t(std::ceil(q * double(s.size()))) - 1];
            };
            ranges[c] += ", [" + number(at(0.05)) + ", " + number(at(0.95)) + "]";
        }
    }
    std::string js = "// Made at build time by zorbel-fair-die: what a fair die does, board by\n"
                     "// board length (the array index). Do not edit.\n"
                     "var ZORBEL_FAIR_DIE = {\n  \"method\": \"Monte Carlo\", \"samples\": " +
                     std::to_string(kSamples) + ",\n  \"pass\": " + pass + "],\n  \"ranges\": {\n";
    for (std::size_t c = 0; c < kCount; ++c)
        js += std::string("    \"") + kNames[c] + "\": " + ranges[c] + "]" +
              (c + 1 < kCount ? ",\n" : "\n");
    js += "  }\n};\nif (typeof module !== 'undefined' && module.exports)\n"
          "  module.exports = ZORBEL_FAIR_DIE;\n";
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(js.data(), 1, js.size(), f) != js.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
