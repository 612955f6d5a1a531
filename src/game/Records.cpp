#include "game/Records.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace zorbel
{

namespace
{

constexpr std::uint64_t kPow10[19] = {1,
                                      10,
                                      100,
                                      1000,
                                      10000,
                                      100000,
                                      1000000,
                                      10000000,
                                      100000000,
                                      1000000000,
                                      10000000000,
                                      100000000000,
                                      1000000000000,
                                      10000000000000,
                                      100000000000000,
                                      1000000000000000,
                                      10000000000000000,
                                      100000000000000000,
                                      1000000000000000000};

char* writeSlow(char* out, double v)
{
    return std::to_chars(out, out + 32, v, std::chars_format::general, 15).ptr;
}

// The 8 decimal digits of v, below 10^8, as byte values 0-9, the first in
// the lowest byte: halved into 4-digit, 2-digit and 1-digit lanes of one
// word, each division by 10000, 100 or 10 as a multiply and a shift.
std::uint64_t eightDigits(std::uint32_t v)
{
    const std::uint64_t fours = v / 10000 | std::uint64_t{v % 10000} << 32;
    const std::uint64_t hundreds = ((fours * 10486) >> 20) & 0x0000007f0000007f;
    const std::uint64_t twos = hundreds | (fours - hundreds * 100) << 16;
    const std::uint64_t tens = ((twos * 103) >> 10) & 0x000f000f000f000f;
    return tens | (twos - tens * 10) << 8;
}

// 10^-4 to 10^15 as doubles. Each one below 1 is the double just above
// the power, so a double is at least the power exactly when it is at
// least this.
constexpr double kPowers[20] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,
                                1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

} // namespace

// %.15g rounds the exact binary value to 15 significant digits, ties to
// even. For 1e-4 <= |v| < 1e15 that is done here in 128-bit integers: v is
// m / 2^shift exactly, so v * 10^s is m * 10^s / 2^shift, rounded by its
// remainder. Everything else goes to std::to_chars, which is exact but
// slower.
char* WriteNumber(char* out, double v)
{
    double a = std::fabs(v);
    if (!(a >= 1e-4 && a < 1e15))
        return writeSlow(out, v);
    if (v < 0)
        *out++ = '-';
    if (static_cast<double>(static_cast<std::int64_t>(a)) == a) // a whole number
        return std::to_chars(out, out + 20, static_cast<std::uint64_t>(a)).ptr;
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int exp2 = static_cast<int>(bits >> 52) - 1023;
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 52 - exp2; // 3..66 in this range
    // The decimal exponent: floor(exp2 log10 2) is it or one less.
    int e = (exp2 * 78913) >> 18;
    e += a >= kPowers[e + 5];
    using u128 = unsigned __int128;
    const u128 scaled = static_cast<u128>(m) * kPow10[14 - e];
    std::uint64_t d = 0;
    bool up = false;
    if (shift < 64) { // all but the smallest: the remainder is in the low word
        const auto lo = static_cast<std::uint64_t>(scaled);
        d = lo >> shift | static_cast<std::uint64_t>(scaled >> 64) << (64 - shift);
        const std::uint64_t rest = lo & ((std::uint64_t{1} << shift) - 1),
                            half = std::uint64_t{1} << (shift - 1);
        up = (rest > half) | ((rest == half) & (d & 1));
    } else {
        d = static_cast<std::uint64_t>(scaled >> shift);
        const u128 rest = scaled & ((u128{1} << shift) - 1), half = u128{1} << (shift - 1);
        up = (rest > half) | ((rest == half) & (d & 1));
    }
    d += up;
    if (d == kPow10[15]) { // rounded up to the next power of ten
        if (e == 14)
            return writeSlow(out, a); // 1e+15
        d = kPow10[14];
        ++e;
    }

    // The 15 digits, the first in the lowest byte, as text in one 128-bit
    // number (made and moved in registers: bytes stored apart and loaded
    // together would stall), and how many are left without the trailing
    // zeros. The 16-byte stores may run past the end.
    const std::uint64_t head = eightDigits(static_cast<std::uint32_t>(d / 100000000)),
                        tail = eightDigits(static_cast<std::uint32_t>(d % 100000000));
    const int len = (tail ? 16 - std::countl_zero(tail) / 8 : 8 - std::countl_zero(head) / 8) - 1;
    const u128 digits =
        ((u128{tail} << 64 | head) >> 8) | (u128{0x0030303030303030} << 64 | 0x3030303030303030);
    const auto store = [](char* to, u128 text) { std::memcpy(to, &text, 16); };
    if (e >= 0) {
        const int whole = e + 1;
        store(out, digits);
        if (len <= whole)
            return out + whole;
        out[whole] = '.';
        store(out + whole + 1, digits >> (8 * whole));
        return out + len + 1;
    }
    std::memcpy(out, "0.000", 5);
    store(out + 1 - e, digits);
    return out + len - e + 1;
}

namespace
{

// A chance below the smallest normal double is written from its logarithm,
// as the decimal number it is, rather than as 0 or a denormal's few digits.
char* writeChance(char* out, double p, long double lnP)
{
    if (p >= DBL_MIN)
        return WriteNumber(out, p);
    const long double log10p = lnP / std::log(10.0L);
    long double e = std::floor(log10p);
    double mantissa = static_cast<double>(std::pow(10.0L, log10p - e));
    if (std::round(mantissa * 1e14) >= 1e15) { // rounds up to 10
        mantissa = 1;
        e += 1;
    }
    out = WriteNumber(out, mantissa);
    *out++ = 'e';
    return std::to_chars(out, out + 24, static_cast<long long>(e)).ptr;
}

// The columns after the id written as counts, by their place in values.
constexpr std::uint32_t kWholeColumns = 1u << 1 | 1u << 6 | 1u << 18;
constexpr std::size_t kChanceColumn = 19;
// Columns whose values hardly ever come twice (redundancy, rng, rng2).
constexpr std::uint32_t kUniqueColumns = 1u << 2 | 1u << 3 | 1u << 4;

// Writes field i (0 is the score) in one format. The column is known when
// compiling, so the kind of number it holds costs no branch.
template <RecordFormat format, std::size_t i>
char* appendField(char* p, double v, long double lnChance, NumberMemo& memo)
{
    const std::string_view name = kIndexColumns[i + 1];
    if constexpr (format == RecordFormat::Text) {
        std::memcpy(p, name.data(), name.size());
        std::memset(p + name.size(), ' ', 15 - name.size());
        p += 15;
    } else if constexpr (format == RecordFormat::Csv) {
        *p++ = ',';
    } else {
        *p++ = ',';
        *p++ = '"';
        std::memcpy(p, name.data(), name.size());
        p += name.size();
        *p++ = '"';
        *p++ = ':';
    }
    if (std::isnan(v)) {
        if constexpr (format == RecordFormat::Text)
            p = std::copy_n("NA", 2, p);
        else if constexpr (format == RecordFormat::Json)
            p = std::copy_n("null", 4, p);
    } else if constexpr (kWholeColumns >> i & 1) {
        p = std::to_chars(p, p + 12, static_cast<int>(v)).ptr;
    } else if constexpr (kUniqueColumns >> i & 1) {
        p = WriteNumber(p, v);
    } else if (i == kChanceColumn && v < DBL_MIN) {
        p = writeChance(p, v, lnChance);
    } else {
        p = memo.write(p, v, i);
    }
    if constexpr (format == RecordFormat::Text)
        *p++ = '\n';
    return p;
}

template <RecordFormat format, std::size_t... I>
char* appendAll(char* p, const double* values, long double lnChance, NumberMemo& memo,
                std::index_sequence<I...>)
{
    ((p = appendField<format, I>(p, values[I], lnChance, memo)), ...);
    return p;
}

// Writes the fields after the id, in one format: the score alone, or the
// score and every index.
template <RecordFormat format>
char* appendFields(char* p, const double* values, std::size_t count, long double lnChance,
                   NumberMemo& memo)
{
    if (count == 1)
        return appendField<format, 0>(p, values[0], lnChance, memo);
    return appendAll<format>(p, values, lnChance, memo, std::make_index_sequence<20>{});
}

} // namespace

NumberMemo::NumberMemo() : entries_(4096, Entry{}) {}

// Writes v into e, which was for another value or column.
[[gnu::noinline]] void NumberMemo::remember(Entry& e, std::uint64_t bits, double v,
                                            std::size_t column)
{
    char text[40];
    e.size = static_cast<std::uint8_t>(WriteNumber(text, v) - text);
    std::memcpy(e.text, text, sizeof e.text);
    e.bits = bits;
    e.column = static_cast<std::uint8_t>(column + 1);
}

char* NumberMemo::write(char* out, double v, std::size_t column)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    Entry& e = entries_[((bits ^ column) * 0x9e3779b97f4a7c15) >> 52];
    if (e.bits != bits || e.column != column + 1)
        remember(e, bits, v, column);
    std::memcpy(out, e.text, sizeof e.text);
    return out + e.size;
}

std::string RecordHeader(RecordFormat format, bool withIndices)
{
    if (format != RecordFormat::Csv)
        return {};
    std::string header;
    const std::size_t columns = withIndices ? kIndexColumns.size() : 2;
    for (std::size_t i = 0; i < columns; ++i) {
        if (i > 0)
            header += ',';
        header += kIndexColumns[i];
    }
    return header + '\n';
}

void AppendRecord(std::string& out, RecordFormat format, std::string_view id, double score,
                  const Indices* x, NumberMemo& memo)
{
    double values[20];
    values[0] = score;
    std::size_t count = 1;
    if (x) {
        const double values1[] = {static_cast<double>(x->n),
                                  x->redundancy,
                                  x->rng,
                                  x->rng2,
                                  x->nsq,
                                  static_cast<double>(x->repetitions),
                                  x->adjacencyUp,
                                  x->adjacencyDown,
                                  x->adjacency,
                                  x->tpi,
                                  x->runsUp,
                                  x->runsDown,
                                  x->coupon,
                                  x->gapMedian,
                                  x->gapMean,
                                  x->gapMode,
                                  x->chi2,
                                  static_cast<double>(x->predictorHits),
                                  x->predictorP};
        std::memcpy(values + 1, values1, sizeof values1);
        count = std::size(values);
        if (x->n < 2) // one symbol has no neighbours: only its count is known
            std::fill(values + 2, values + count, std::numeric_limits<double>::quiet_NaN());
    }

    // The id: quoted for CSV when it holds a quote, escaped for JSON.
    switch (format) {
    case RecordFormat::Text:
        out += "id             ";
        out += id;
        out += '\n';
        break;
    case RecordFormat::Csv:
        if (id.find('"') == std::string_view::npos) {
            out += id;
        } else {
            out += '"';
            for (char c : id)
                out.append(c == '"' ? 2 : 1, c);
            out += '"';
        }
        break;
    case RecordFormat::Json:
        out += "{\"id\":\"";
        for (char c : id) {
            if (c == '"' || c == '\\')
                out += '\\';
            out += c;
        }
        out += '"';
        break;
    }

    char buf[1536];
    char* p = buf;
    switch (format) {
    case RecordFormat::Text:
        p = appendFields<RecordFormat::Text>(p, values, count, x ? x->predictorLnP : 0, memo);
        break;
    case RecordFormat::Csv:
        p = appendFields<RecordFormat::Csv>(p, values, count, x ? x->predictorLnP : 0, memo);
        break;
    case RecordFormat::Json:
        p = appendFields<RecordFormat::Json>(p, values, count, x ? x->predictorLnP : 0, memo);
        *p++ = '}';
        break;
    }
    *p++ = '\n'; // a text block ends in an empty line
    out.append(buf, static_cast<std::size_t>(p - buf));
}

const char* IdProblem(std::string_view id)
{
    for (std::size_t i = 0; i < id.size();) {
        const auto c = static_cast<unsigned char>(id[i]);
        if (c < 0x20 || c == 0x7f)
            return "a control character in the id";
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Length of the UTF-8 sequence and the range of its second byte,
        // which rules out overlong forms, surrogates and values past U+10FFFF.
        int len = 0;
        unsigned char lo = 0x80, hi = 0xbf;
        if (c >= 0xc2 && c <= 0xdf)
            len = 2;
        else if (c >= 0xe0 && c <= 0xef)
            len = 3, lo = c == 0xe0 ? 0xa0 : 0x80, hi = c == 0xed ? 0x9f : 0xbf;
        else if (c >= 0xf0 && c <= 0xf4)
            len = 4, lo = c == 0xf0 ? 0x90 : 0x80, hi = c == 0xf4 ? 0x8f : 0xbf;
        if (len == 0 || i + static_cast<std::size_t>(len) > id.size())
            return "the id is not UTF-8";
        for (int j = 1; j < len; ++j) {
            const auto b = static_cast<unsigned char>(id[i + static_cast<std::size_t>(j)]);
            if (b < (j == 1 ? lo : 0x80) || b > (j == 1 ? hi : 0xbf))
                return "the id is not UTF-8";
        }
        i += static_cast<std::size_t>(len);
    }
    return nullptr;
}

} // namespace zorbel
