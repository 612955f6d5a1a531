// zorbel-score: scores digit sequences for randomness, exactly as the game
// does, for players and teachers who want to check any sequence.
#include "game/basZorb.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    "Its score is computed for its own length. A line may be up to 65536 bytes.\n"
    "\n"
    "Options:\n"
    "  --details  after each score, print the four lines of score details\n"
    "             (raw score and the three kinds of deduction) and an empty line\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "A bad sequence (another character, no digit at all, more than 100 digits,\n"
    "a line that is too long) is reported on standard error with its argument or\n"
    "line number; the others are still scored, and the exit status is 1.\n"
    "A read or write error stops the tool with exit status 2. Otherwise it is 0.\n"
    "When the reader of the output stops early (| head), it ends quietly by SIGPIPE.\n";

// Longest input line held in memory; a longer one is skipped unread.
constexpr std::size_t kMaxLine = 65536;

bool wroteOutput = false;

[[noreturn]] void fail(const char* what, int error)
{
    std::fprintf(stderr, "zorbel-score: %s error: %s\n", what, std::strerror(error));
    std::_Exit(2); // not exit(): it would try the failed stdout once more
}

void put(std::string_view text)
{
    wroteOutput = true;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
        fail("write", errno);
}

// Reports a bad sequence after every score before it, so that both streams
// stay in input order when they go to the same file.
void report(const char* where, unsigned long number, const std::string& why)
{
    if (std::fflush(stdout) != 0)
        fail("write", errno);
    std::fprintf(stderr, "zorbel-score: %s %lu: %s\n", where, number, why.c_str());
}

// Writes out what is still buffered and closes stdout, so that a full disk
// is not taken for success. A stdout closed from the start only matters
// when something had to be written to it.
void finishOutput()
{
    if (std::fflush(stdout) != 0)
        fail("write", errno);
    if (std::fclose(stdout) != 0 && (wroteOutput || errno != EBADF))
        fail("write", errno);
}

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

// The score as the game writes a Double: at most 15 significant digits, so
// 100.4 - 87 shows as 13.4 and whole scores have no point.
std::string formatScore(double score)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g\n", score);
    return buf;
}

void emit(const std::vector<std::int16_t>& digits, bool details)
{
    zorbel::ScoreResult r = zorbel::ScoreDigits(digits, details);
    std::string out = formatScore(r.score);
    if (details) {
        for (char c : r.details)
            if (c != '\r')
                out += c;
        out += "\n\n";
    }
    put(out);
}

const std::string kTooLong = "too long (more than " + std::to_string(kMaxLine) + " bytes)";

// Scores one input line, or reports why it cannot be scored.
int scoreLine(std::string& line, unsigned long lineNo, bool details,
              std::vector<std::int16_t>& digits)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back(); // accept files with CR LF line ends
    const std::string why = line.size() > kMaxLine ? kTooLong : parse(line, digits);
    line.clear();
    if (why.empty()) {
        emit(digits, details);
        return 0;
    }
    report("line", lineNo, why);
    return 1;
}

// Reads standard input in blocks, so memory stays bounded however long a
// line is: a line past kMaxLine is reported at once and its rest skipped.
int scoreInput(bool details)
{
    std::vector<char> block(1 << 16);
    std::vector<std::int16_t> digits;
    std::string line;
    line.reserve(kMaxLine + 1);
    unsigned long lineNo = 1;
    bool inLine = false;  // bytes of the current line were read
    bool tooLong = false; // the current line was already reported
    int status = 0;
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), stdin);
        if (got == 0) {
            if (std::ferror(stdin))
                fail("read", errno);
            break;
        }
        const char* p = block.data();
        const char* const end = p + got;
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const char* stop = nl ? nl : end;
            inLine = true;
            if (!tooLong) {
                // One byte more than the limit may still be the CR of a CR LF.
                if (line.size() + (stop - p) > kMaxLine + 1) {
                    tooLong = true;
                    line.clear();
                    status = 1;
                    report("line", lineNo, kTooLong);
                } else {
                    line.append(p, stop);
                }
            }
            p = stop;
            if (nl) {
                if (!tooLong)
                    status |= scoreLine(line, lineNo, details, digits);
                ++lineNo;
                inLine = tooLong = false;
                ++p;
            }
        }
    }
    if (inLine && !tooLong)
        status |= scoreLine(line, lineNo, details, digits);
    return status;
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
            put(kUsage);
            finishOutput();
            return 0;
        } else if (!optionsDone && arg == "--version") {
            put("zorbel-score " ZORBEL_VERSION "\n");
            finishOutput();
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
    if (sequences.empty()) {
        status = scoreInput(details);
    } else {
        std::vector<std::int16_t> digits;
        for (std::size_t i = 0; i < sequences.size(); ++i) {
            std::string why = parse(sequences[i], digits);
            if (why.empty()) {
                emit(digits, details);
            } else {
                report("argument", i + 1, why);
                status = 1;
            }
        }
    }
    finishOutput();
    return status;
}
