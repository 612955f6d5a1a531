// How zorbel-score writes a sequence's record: its id, the game's score and
// the indices, as text, CSV or JSON Lines.
#pragma once

#include "game/Indices.h"

#include <string>
#include <string_view>

namespace zorbel
{

// Writes v exactly as printf("%.15g") does, only faster. Returns the end.
char* WriteNumber(char* out, double v);

enum class RecordFormat { Text, Csv, Json };

// The header row of a CSV file (with its line end), empty for the others.
std::string RecordHeader(RecordFormat format, bool withIndices);

// Appends one sequence's record. score is NaN when the game does not score
// the sequence; indices is null without --indices. An id must be valid UTF-8
// without control characters (see IdProblem).
void AppendRecord(std::string& out, RecordFormat format, std::string_view id, double score,
                  const Indices* indices);

// Why id cannot be written (not UTF-8, a control character), or null.
const char* IdProblem(std::string_view id);

} // namespace zorbel
