// How zorbel-score writes a sequence's record: its id, the game's score and
// the indices, as text, CSV or JSON Lines.
#pragma once

#include "game/Indices.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorbel
{

// Writes v exactly as printf("%.15g") does, only faster. Returns the end.
// out needs room for 40 bytes: the bytes past the end may be overwritten.
char* WriteNumber(char* out, double v);

enum class RecordFormat { Text, Csv, Json };

// The header row of a CSV file (with its line end), empty for the others.
std::string RecordHeader(RecordFormat format, bool withIndices);

// The text of numbers written lately, by column and exact value, which
// AppendRecord copies when the same value comes again: most columns take
// few values (a count over n - 1, a ratio of small counts, a chance that
// depends on the hits only), and looking a number up costs less than
// writing it. It holds 128 KiB.
class NumberMemo
{
public:
    NumberMemo();

    // Writes v, a value of the column, as WriteNumber does.
    char* write(char* out, double v, std::size_t column);

private:
    struct Entry {
        std::uint64_t bits;
        std::uint8_t column; // 1 + the column, 0 for none yet
        std::uint8_t size;
        char text[22]; // %.15g needs 21 at most
    };
    void remember(Entry& e, std::uint64_t bits, double v, std::size_t column);

    std::vector<Entry> entries_;
};

// Appends one sequence's record. score is NaN when the game does not score
// the sequence; indices is null without --indices. An id must be valid UTF-8
// without control characters (see IdProblem).
void AppendRecord(std::string& out, RecordFormat format, std::string_view id, double score,
                  const Indices* indices, NumberMemo& memo);

// Why id cannot be written (not UTF-8, a control character), or null.
const char* IdProblem(std::string_view id);

} // namespace zorbel
