#include "game/Random.h"

#include <chrono>

namespace zorbel
{

void Random::SeedFromClock()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    Seed(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

double Random::Next()
{
    // The top 53 bits as a fraction: exactly representable, always below 1.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

int Random::Digit()
{
    const int d = static_cast<int>(Next() * 10);
    return d > 9 ? 9 : d;
}

} // namespace zorbel
