#include "game/Random.h"

#include <chrono>
#include <random>

namespace zorbel::Rnd
{

namespace
{
std::mt19937_64& engine()
{
    static std::mt19937_64 e(0x5eed5eedULL);
    return e;
}
} // namespace

void Seed(std::uint64_t seed)
{
    engine().seed(seed);
}

void SeedFromClock()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    Seed(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

double Next()
{
    // The top 53 bits as a fraction: exactly representable, always below 1.
    return static_cast<double>(engine()() >> 11) * 0x1.0p-53;
}

int Digit()
{
    const int d = static_cast<int>(Next() * 10);
    return d > 9 ? 9 : d;
}

} // namespace zorbel::Rnd
