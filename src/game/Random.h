// The game's one random generator. Every draw of the game (fixed cells,
// the result flicker, the banner, the demonstration, the splash tagline)
// comes from here, so a test can seed it and replay a whole game.
#pragma once

#include <cstdint>

namespace zorbel::Rnd
{

// Seeds the generator; the splash screen seeds it once from the clock.
void Seed(std::uint64_t seed);
void SeedFromClock();

// A uniform double in [0, 1); never 1.0.
double Next();

// Int(Next() * 10): always 0..9.
int Digit();

} // namespace zorbel::Rnd
