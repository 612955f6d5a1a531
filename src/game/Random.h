// The game's random generator. Every draw of the game (fixed cells, the
// result flicker, the banner, the demonstration, the splash tagline) comes
// from the one generator the program hands its windows, so a test can seed
// its own and replay a whole game.
#pragma once

#include <cstdint>
#include <random>

namespace zorbel
{

class Random
{
public:
    explicit Random(std::uint64_t seed = 0x5eed5eedULL) : engine_(seed) {}

    void Seed(std::uint64_t seed) { engine_.seed(seed); }
    // The splash seeds the game's generator once from the clock.
    void SeedFromClock();

    // A uniform double in [0, 1); never 1.0.
    double Next();
    // Next() * 10 rounded down: always 0..9.
    int Digit();

private:
    std::mt19937_64 engine_;
};

} // namespace zorbel
