// Writes lines of 100 random digits to standard output, for timing the
// scoring tool on a large input.
//
// Usage: bench_digits [LINES]   (default 1000000)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    // xorshift64: the same file on every run, and far faster than the
    // scoring it feeds.
    std::uint64_t state = 0x2545f4914f6cdd1dULL;
    std::vector<char> line(101, '\n');
    for (long i = 0; i < lines; ++i) {
        for (int k = 0; k < 100; ++k) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            line[static_cast<std::size_t>(k)] = static_cast<char>('0' + (state >> 32) % 10);
        }
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size())
            return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
