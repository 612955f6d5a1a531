// Times the scoring core on a million 100-digit sequences.
#include "game/Random.h"
#include "game/basZorb.h"

#include <chrono>
#include <cstdio>
#include <vector>

int main()
{
    constexpr int kLines = 1000000;
    std::vector<std::int16_t> digits(static_cast<std::size_t>(kLines) * 100);
    zorbel::Random random(1);
    for (auto& d : digits)
        d = static_cast<std::int16_t>(random.Digit());
    double total = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLines; ++i)
        total +=
            zorbel::ScoreDigits({digits.data() + static_cast<std::size_t>(i) * 100, 100}, false)
                .score;
    const auto end = std::chrono::steady_clock::now();
    const double secs = std::chrono::duration<double>(end - start).count();
    std::printf("scored %d sequences of 100 digits in %.3f s (%.0f ns each, mean score %.2f)\n",
                kLines, secs, secs * 1e9 / kLines, total / kLines);
    return 0;
}
