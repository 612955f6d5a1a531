// zorbel-score: scores digit sequences for randomness, exactly as the game
// does, for players and teachers who want to check any sequence.
#include "game/Indices.h"
#include "game/Records.h"
#include "game/basZorb.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace
{

constexpr const char* kUsage =
    "Usage: zorbel-score [--details] [SEQUENCE ...]\n"
    "       zorbel-score --indices [--format=text|csv|json] [--alphabet=SYMBOLS] [SEQUENCE ...]\n"
    "\n"
    "Scores each SEQUENCE of digits for randomness the way the game Zorbel does\n"
    "and prints the score (0 to 100; 80 or more passes), one line per sequence.\n"
    "With no SEQUENCE, reads one sequence per line from standard input.\n"
    "\n"
    "A sequence is 1 to 100 digits 0-9; blanks and tabs inside it are ignored.\n"
    "Its score is computed for its own length. A line may be up to 65536 bytes.\n"
    "\n"
    "Options:\n"
    "  --details     after each score, print the four lines of score details\n"
    "                (raw score and the three kinds of deduction) and an empty line\n"
    "  --indices     also compute the indices of random-generation research\n"
    "  --format=F    write one record per sequence: text (the default with\n"
    "                --indices; a block of name-value lines), csv (with a header\n"
    "                row) or json (JSON Lines)\n"
    "  --alphabet=S  the symbols, in order (default 0123456789), e.g. 123456789\n"
    "                or ABCDEFGHI: 2 to 64 printable ASCII characters\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Records: a sequence may carry an id before a comma or a tab (P01,31415...);\n"
    "without one its id is its line or argument number. It may be of any length\n"
    "(2 or more for the indices); score is left empty beyond 100 digits. Numbers\n"
    "have 15 significant digits; an undefined index is empty (CSV), null (JSON)\n"
    "or NA (text). The columns:\n"
    "  id, score       the sequence's id; the game's score\n"
    "  n               the number of symbols\n"
    "  redundancy      100 (1 - H / log k), H the symbols' entropy (Shannon)\n"
    "  rng             Evans's RNG: pairs xi xi+1, the wrap pair xn x1 included\n"
    "  rng2            RNG over the pairs xi xi+2, no wrap (Towse & Neil)\n"
    "  nsq             % of the k x k pairs never seen (wrap included; Evans)\n"
    "  repetitions     neighbours that are equal\n"
    "  adjacency_up    % of neighbour steps one place up (Towse & Neil)\n"
    "  adjacency_down  % of steps one place down; adjacency, the two together\n"
    "  tpi             turning points, 100 x observed / expected 2 (n - 2) / 3\n"
    "  runs_up         variance of the lengths of the ascending runs\n"
    "  runs_down       variance of the lengths of the descending runs\n"
    "  coupon          mean length of the stretches that hold every symbol\n"
    "  gap_median      median distance to the last time the symbol came;\n"
    "  gap_mean        ... its mean, and gap_mode its most common value\n"
    "  chi2            chi-square of the symbol counts against equal counts\n"
    "  predictor_hits  symbols a machine guessed from the 1 to 3 before them\n"
    "  predictor_p     chance that blind guessing hits as often\n"
    "(Evans 1978; Ginsburg & Karpiuk 1994; Towse & Neil 1998; the man page\n"
    "zorbel-score(1) defines each one.)\n"
    "\n"
    "A bad sequence (another character, no digit at all, more than 100 digits,\n"
    "a line that is too long) is reported on standard error with its argument or\n"
    "line number; the others are still scored, and the exit status is 1.\n"
    "A read or write error stops the tool with exit status 2. Otherwise it is 0.\n"
    "When the reader of the output stops early (| head), it ends quietly by SIGPIPE.\n";

// Longest input line held in memory; a longer one is skipped unread.
constexpr std::size_t kMaxLine = 65536;

bool wroteOutput = false;
std::string pending; // output not yet handed to stdio

[[noreturn]] void fail(const char* what, int error)
{
    std::fprintf(stderr, "zorbel-score: %s error: %s\n", what, std::strerror(error));
    std::_Exit(2); // not exit(): it would try the failed stdout once more
}

void flushPending()
{
    if (!pending.empty() &&
        std::fwrite(pending.data(), 1, pending.size(), stdout) != pending.size())
        fail("write", errno);
    pending.clear();
}

// Output is gathered in large blocks: a million records a second would
// spend most of their time in stdio otherwise. Records are written straight
// into pending, and then wrote() is called.
void wrote()
{
    wroteOutput = true;
    if (pending.size() >= (1 << 16))
        flushPending();
}

void put(std::string_view text)
{
    pending += text;
    wrote();
}

// Reports a bad sequence after every score before it, so that both streams
// stay in input order when they go to the same file.
void report(const char* where, unsigned long number, const std::string& why)
{
    flushPending();
    if (std::fflush(stdout) != 0)
        fail("write", errno);
    std::fprintf(stderr, "zorbel-score: %s %lu: %s\n", where, number, why.c_str());
}

// Writes out what is still buffered and closes stdout, so that a full disk
// is not taken for success. A stdout closed from the start only matters
// when something had to be written to it.
void finishOutput()
{
    flushPending();
    if (std::fflush(stdout) != 0)
        fail("write", errno);
    if (std::fclose(stdout) != 0 && (wroteOutput || errno != EBADF))
        fail("write", errno);
}

// What to write for each sequence.
struct Options {
    bool details = false;
    bool records = false; // --indices or --format: one record per sequence, with an id
    bool indices = false;
    zorbel::RecordFormat format = zorbel::RecordFormat::Text;
    std::string alphabet = "0123456789";
    bool digits = true; // the alphabet is 0123456789, the game's own
    // Each byte's place, or one of the codes below, for reading sequences.
    std::array<std::uint8_t, 256> code{};
    std::array<std::int16_t, zorbel::kMaxAlphabet> digitAt{}; // a place's digit, -1 for none
};

constexpr std::uint8_t kBlank = 0x40, kTab = 0x41, kOther = 0x42; // above every place

std::string notASymbol(char c, bool digits)
{
    const unsigned char u = static_cast<unsigned char>(c);
    const char* what = digits ? "not a digit" : "not in the alphabet";
    char buf[64];
    if (u >= 0x20 && u < 0x7f)
        std::snprintf(buf, sizeof buf, "%s: '%c'", what, c);
    else
        std::snprintf(buf, sizeof buf, "%s: byte 0x%02X", what, u);
    return buf;
}

// Parses one sequence of the game's digits. Returns an empty string on
// success, else the reason.
std::string parse(std::string_view text, std::vector<std::int16_t>& digits)
{
    digits.clear();
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        if (c < '0' || c > '9')
            return notASymbol(c, true);
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

// Writes one sequence the plain way: its score, and its details if asked.
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

// Working memory for records, reused from one sequence to the next.
struct RecordWriter {
    const Options& options;
    zorbel::IndexCalculator calculator;
    std::vector<std::uint8_t> symbols;
    std::vector<std::int16_t> digits; // for the plain scores
    std::array<std::int16_t, zorbel::kMaxCells> recordDigits{};
    std::size_t count = 0; // symbols read
    zorbel::NumberMemo memo;
    zorbel::Indices indices;
    zorbel::DigitTally tally;

    explicit RecordWriter(const Options& o)
        : options(o), calculator(static_cast<int>(o.alphabet.size()))
    {
    }

    // Reads the places of text's symbols from i on, skipping blanks (and
    // tabs if tabIsBlank), up to the first byte that is neither. Returns
    // where that byte is, or the size.
    std::size_t readSymbols(std::string_view text, std::size_t i, bool tabIsBlank)
    {
        const char* const p = text.data();
        std::uint8_t* const out = symbols.data();
        for (;;) {
            if (options.digits) { // eight digits at a time; each byte less '0' is its place
                for (std::uint64_t w; i + 8 <= text.size(); i += 8, count += 8) {
                    std::memcpy(&w, p + i, 8);
                    w ^= 0x3030303030303030;
                    if (((w + 0x7676767676767676) | w) & 0x8080808080808080)
                        break; // a byte that is no digit
                    std::memcpy(out + count, &w, 8);
                }
            }
            for (; i < text.size(); ++i) {
                const std::uint8_t c = options.code[static_cast<unsigned char>(p[i])];
                if (c < kBlank)
                    out[count++] = c;
                else if (c != kBlank && !(c == kTab && tabIsBlank))
                    return i;
                else if (options.digits)
                    break; // back to whole words
            }
            if (i >= text.size())
                return i;
            ++i;
        }
    }

    // Writes the record of text (an id before a comma or tab, or none), or
    // returns why it cannot be written.
    std::string write(std::string_view text, unsigned long number)
    {
        if (symbols.size() < text.size())
            symbols.resize(text.size());
        // The line is read as a sequence until a byte that is neither a
        // symbol nor a blank: then the id, if any, ends at the first comma
        // or tab, and the sequence is read again after it.
        std::string_view id;
        char numbered[24];
        count = 0;
        std::size_t stop = readSymbols(text, 0, false);
        if (stop < text.size()) {
            std::size_t cut = stop;
            while (cut < text.size() && text[cut] != ',' && text[cut] != '\t')
                ++cut;
            if (cut < text.size()) {
                id = text.substr(0, cut);
                while (!id.empty() && id.front() == ' ')
                    id.remove_prefix(1);
                while (!id.empty() && id.back() == ' ')
                    id.remove_suffix(1);
                if (const char* problem = zorbel::IdProblem(id))
                    return problem;
                count = 0;
                stop = readSymbols(text, cut + 1, true);
            }
            if (stop < text.size())
                return notASymbol(text[stop], options.digits);
        }
        if (id.empty()) { // no id, or an empty one: the line's number
            id = std::string_view(
                numbered, static_cast<std::size_t>(
                              std::to_chars(numbered, numbered + 24, number).ptr - numbered));
        }
        if (count == 0)
            return options.digits ? "no digits" : "no symbols";

        // The game scores its own digits, 1 to 100 of them, whatever the
        // alphabet says about their order. With the game's own alphabet the
        // indices tally them on the way.
        double score = std::numeric_limits<double>::quiet_NaN();
        const bool scored = count <= zorbel::kMaxCells;
        bool tallied = false;
        if (options.indices) {
            if (count >= 2) {
                tallied = scored && options.digits;
                calculator.compute({symbols.data(), count}, indices, tallied ? &tally : nullptr);
                if (tallied)
                    score = zorbel::ScoreTally(tally, false).score;
            } else {
                indices = {}; // one symbol: only its count is known
                indices.n = static_cast<int>(count);
            }
        } else if (!scored) {
            return "more than 100 digits"; // nothing else to write
        }
        if (scored && !tallied) {
            bool allDigits = true;
            for (std::size_t i = 0; i < count; ++i) {
                recordDigits[i] = options.digitAt[symbols[i]];
                allDigits = allDigits && recordDigits[i] >= 0;
            }
            if (allDigits)
                score = zorbel::ScoreDigits({recordDigits.data(), count}, false).score;
        }
        zorbel::AppendRecord(pending, options.format, id, score,
                             options.indices ? &indices : nullptr, memo);
        wrote();
        return {};
    }
};

// Scores one sequence, or reports why it cannot be scored.
int one(std::string_view text, const char* where, unsigned long number, const Options& options,
        RecordWriter& writer)
{
    std::string why;
    if (options.records) {
        why = writer.write(text, number);
    } else {
        why = parse(text, writer.digits);
        if (why.empty())
            emit(writer.digits, options.details);
    }
    if (why.empty())
        return 0;
    report(where, number, why);
    return 1;
}

const std::string kTooLong = "too long (more than " + std::to_string(kMaxLine) + " bytes)";

// Scores one input line, or reports why it cannot be scored.
int scoreLine(std::string_view line, unsigned long lineNo, const Options& options,
              RecordWriter& writer)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1); // accept files with CR LF line ends
    if (line.size() > kMaxLine) {
        report("line", lineNo, kTooLong);
        return 1;
    }
    return one(line, "line", lineNo, options, writer);
}

// Reads standard input in blocks, so memory stays bounded however long a
// line is: a line past kMaxLine is reported at once and its rest skipped.
int scoreInput(const Options& options, RecordWriter& writer)
{
    std::vector<char> block(1 << 16);
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
            const auto size = static_cast<std::size_t>(stop - p);
            inLine = true;
            if (tooLong) {
                // the rest of a line already reported
            } else if (line.size() + size > kMaxLine + 1) {
                // One byte more than the limit may still be the CR of a CR LF.
                tooLong = true;
                line.clear();
                status = 1;
                report("line", lineNo, kTooLong);
            } else if (nl && line.empty()) { // the whole line is in the block
                status |= scoreLine(std::string_view(p, size), lineNo, options, writer);
            } else {
                line.append(p, stop);
                if (nl) {
                    status |= scoreLine(line, lineNo, options, writer);
                    line.clear();
                }
            }
            p = stop;
            if (nl) {
                ++lineNo;
                inLine = tooLong = false;
                ++p;
            }
        }
    }
    if (inLine && !tooLong)
        status |= scoreLine(line, lineNo, options, writer);
    return status;
}

[[noreturn]] void usageError(const char* text, const char* arg = "")
{
    std::fprintf(stderr, "zorbel-score: %s%s (try --help)\n", text, arg);
    std::exit(2);
}

// The alphabet's symbols: 2 to 64 different printable ASCII characters,
// none of them a blank or a separator.
void setAlphabet(Options& options, std::string_view symbols)
{
    std::array<int, 256> place; // each byte's place in the alphabet, -1 outside it
    place.fill(-1);
    if (symbols.size() < 2 || symbols.size() > std::size_t(zorbel::kMaxAlphabet))
        usageError("--alphabet needs 2 to 64 symbols");
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(symbols[i]);
        if (c <= 0x20 || c >= 0x7f || c == ',')
            usageError("--alphabet takes printable ASCII characters, no blank or comma");
        if (place[c] >= 0)
            usageError("a symbol twice in --alphabet");
        place[c] = static_cast<int>(i);
    }
    options.alphabet = symbols;
    options.digits = symbols == "0123456789";
    options.digitAt.fill(-1);
    for (std::size_t c = 0; c < 256; ++c) {
        const int at = place[c];
        options.code[c] = at >= 0 ? static_cast<std::uint8_t>(at) : kOther;
        if (at >= 0 && c >= '0' && c <= '9')
            options.digitAt[static_cast<std::size_t>(at)] = static_cast<std::int16_t>(c - '0');
    }
    options.code[' '] = kBlank;
    options.code['\t'] = kTab;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    setAlphabet(options, options.alphabet);
    bool formatGiven = false, alphabetGiven = false;
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
            options.details = true;
        } else if (!optionsDone && arg == "--indices") {
            options.indices = true;
        } else if (!optionsDone && arg.starts_with("--format=")) {
            const std::string_view name = arg.substr(9);
            if (name == "text")
                options.format = zorbel::RecordFormat::Text;
            else if (name == "csv")
                options.format = zorbel::RecordFormat::Csv;
            else if (name == "json")
                options.format = zorbel::RecordFormat::Json;
            else
                usageError("unknown format ", argv[i]);
            formatGiven = true;
        } else if (!optionsDone && arg.starts_with("--alphabet=")) {
            setAlphabet(options, arg.substr(11));
            alphabetGiven = true;
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "zorbel-score: unknown option '%s' (try --help)\n", argv[i]);
            return 2;
        } else {
            sequences.push_back(arg);
        }
    }
    options.records = options.indices || formatGiven;
    if (options.records && options.details)
        usageError("--details goes with the plain scores only, not with --indices or --format");
    if (alphabetGiven && !options.indices)
        usageError("--alphabet goes with --indices");

    RecordWriter writer(options);
    if (options.records)
        put(zorbel::RecordHeader(options.format, options.indices));
    int status = 0;
    if (sequences.empty()) {
        status = scoreInput(options, writer);
    } else {
        for (std::size_t i = 0; i < sequences.size(); ++i)
            status |= one(sequences[i], "argument", i + 1, options, writer);
    }
    finishOutput();
    return status;
}
