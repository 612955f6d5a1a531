// zorbel-score: scores digit sequences for randomness, exactly as the game
// does, for players and teachers who want to check any sequence.
#include "game/basZorb.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace
{

constexpr const char* kUsage =
    "Usage: zorbel-score [--details] [SEQUENCE ...]\n"
    "\n"
    "Scores each SEQUENCE of digits for randomness the way the game Zorbel does\n"
    "and prints the score (0 to 100; 80 or more passes), one line per sequence.\n"
    "With no SEQUENCE, reads one sequence per line from standard input.\n"
    "\n"
    "A sequence is 1 to 100 digits 0-9; blanks and tabs inside it are ignored.\n"
    "Its score is computed for its own length.\n"
    "\n"
    "Options:\n"
    "  --details  after each score, print the four lines of score details\n"
    "             (raw score and the three kinds of deduction) and an empty line\n"
    "  --help     show this help and exit\n"
    "\n"
    "A bad sequence (another character, no digit at all, more than 100 digits)\n"
    "is reported on standard error with its argument or line number; the others\n"
    "are still scored, and the exit status is 1. Otherwise it is 0.\n";

// Parses one sequence. Returns an empty string on success, else the reason.
std::string parse(std::string_view text, std::vector<std::int16_t>& digits)
{
    digits.clear();
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        if (c < '0' || c > '9') {
            const unsigned char u = static_cast<unsigned char>(c);
            char buf[64];
            if (u >= 0x20 && u < 0x7f)
                std::snprintf(buf, sizeof buf, "not a digit: '%c'", c);
            else
                std::snprintf(buf, sizeof buf, "not a digit: byte 0x%02X", u);
            return buf;
        }
        if (digits.size() == zorbel::kMaxCells)
            return "more than 100 digits";
        digits.push_back(static_cast<std::int16_t>(c - '0'));
    }
    if (digits.empty())
        return "no digits";
    return {};
}

void emit(std::string& out, const std::vector<std::int16_t>& digits, bool details)
{
    zorbel::ScoreResult r = zorbel::ScoreDigits(digits, details);
    out += zorbel::FormatShortest(r.score);
    out += '\n';
    if (details) {
        for (char c : r.details)
            if (c != '\r')
                out += c;
        out += "\n\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool details = false;
    std::vector<std::string_view> sequences;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!optionsDone && arg == "--details") {
            details = true;
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "zorbel-score: unknown option '%s' (try --help)\n", argv[i]);
            return 2;
        } else {
            sequences.push_back(arg);
        }
    }

    int status = 0;
    std::vector<std::int16_t> digits;
    std::string out;
    if (!sequences.empty()) {
        for (std::size_t i = 0; i < sequences.size(); ++i) {
            std::string why = parse(sequences[i], digits);
            if (!why.empty()) {
                std::fprintf(stderr, "zorbel-score: argument %zu: %s\n", i + 1, why.c_str());
                status = 1;
                continue;
            }
            emit(out, digits, details);
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        return status;
    }

    std::ios::sync_with_stdio(false);
    std::string line;
    unsigned long lineNo = 0;
    while (std::getline(std::cin, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // accept files with CR LF line ends
        std::string why = parse(line, digits);
        if (!why.empty()) {
            std::fflush(stdout);
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
            std::fprintf(stderr, "zorbel-score: line %lu: %s\n", lineNo, why.c_str());
            status = 1;
            continue;
        }
        emit(out, digits, details);
        if (out.size() > (1u << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return status;
}
