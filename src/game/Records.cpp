#include "game/Records.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

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
    if (a == std::floor(a))
        return std::to_chars(out, out + 20, static_cast<std::uint64_t>(a)).ptr;
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int exp2 = static_cast<int>(bits >> 52) - 1023;
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 52 - exp2;  // 3..66 in this range
    int e = (exp2 * 78913) >> 18; // floor(exp2 * log10 2): the decimal exponent or one less
    for (int tries = 0; tries < 3; ++tries) {
        const int s = 14 - e;
        if (s < 0 || s > 18)
            break;
        using u128 = unsigned __int128;
        const u128 scaled = static_cast<u128>(m) * kPow10[s];
        std::uint64_t d = static_cast<std::uint64_t>(scaled >> shift);
        const u128 rest = scaled & ((u128{1} << shift) - 1), half = u128{1} << (shift - 1);
        if (rest > half || (rest == half && (d & 1)))
            ++d;
        if (d >= kPow10[15]) {
            ++e;
            continue;
        }
        if (d < kPow10[14]) {
            --e;
            continue;
        }
        char digits[15];
        std::uint32_t hi = static_cast<std::uint32_t>(d / 100000000),
                      lo = static_cast<std::uint32_t>(d % 100000000);
        for (int i = 14; i >= 7; --i, lo /= 10)
            digits[i] = static_cast<char>('0' + lo % 10);
        for (int i = 6; i >= 0; --i, hi /= 10)
            digits[i] = static_cast<char>('0' + hi % 10);
        int len = 15;
        while (len > 1 && digits[len - 1] == '0')
            --len;
        if (e >= 0) {
            const int whole = e + 1;
            std::memcpy(out, digits, static_cast<std::size_t>(whole));
            out += whole;
            if (len > whole) {
                *out++ = '.';
                std::memcpy(out, digits + whole, static_cast<std::size_t>(len - whole));
                out += len - whole;
            }
        } else {
            *out++ = '0';
            *out++ = '.';
            for (int i = -1; i > e; --i)
                *out++ = '0';
            std::memcpy(out, digits, static_cast<std::size_t>(len));
            out += len;
        }
        return out;
    }
    return writeSlow(out, v);
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

struct Field {
    double value;         // NaN: undefined
    bool whole;           // a count, written as an integer
    long double lnChance; // for predictor_p only
};

} // namespace

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
                  const Indices* x)
{
    std::array<Field, 20> fields{};
    fields[0] = {score, false, 0};
    std::size_t count = 1;
    if (x) {
        const auto whole = [](int v) { return Field{static_cast<double>(v), true, 0}; };
        const auto real = [](double v) { return Field{v, false, 0}; };
        const std::array<Field, 19> rest = {whole(x->n),
                                            real(x->redundancy),
                                            real(x->rng),
                                            real(x->rng2),
                                            real(x->nsq),
                                            whole(x->repetitions),
                                            real(x->adjacencyUp),
                                            real(x->adjacencyDown),
                                            real(x->adjacency),
                                            real(x->tpi),
                                            real(x->runsUp),
                                            real(x->runsDown),
                                            real(x->coupon),
                                            real(x->gapMedian),
                                            real(x->gapMean),
                                            real(x->gapMode),
                                            real(x->chi2),
                                            whole(x->predictorHits),
                                            Field{x->predictorP, false, x->predictorLnP}};
        std::copy(rest.begin(), rest.end(), fields.begin() + 1);
        count = fields.size();
        if (x->n < 2) // one symbol has no neighbours: only its count is known
            for (std::size_t i = 2; i < count; ++i)
                fields[i].value = std::numeric_limits<double>::quiet_NaN();
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
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view name = kIndexColumns[i + 1];
        const Field& f = fields[i];
        if (format == RecordFormat::Text) {
            std::memcpy(p, name.data(), name.size());
            std::memset(p + name.size(), ' ', 15 - name.size());
            p += 15;
        } else if (format == RecordFormat::Csv) {
            *p++ = ',';
        } else {
            *p++ = ',';
            *p++ = '"';
            std::memcpy(p, name.data(), name.size());
            p += name.size();
            *p++ = '"';
            *p++ = ':';
        }
        if (std::isnan(f.value)) {
            const std::string_view na = format == RecordFormat::Text   ? "NA"
                                        : format == RecordFormat::Json ? "null"
                                                                       : "";
            std::memcpy(p, na.data(), na.size());
            p += na.size();
        } else if (f.whole) {
            p = std::to_chars(p, p + 12, static_cast<int>(f.value)).ptr;
        } else if (i + 1 == kIndexColumns.size() - 1) {
            p = writeChance(p, f.value, f.lnChance);
        } else {
            p = WriteNumber(p, f.value);
        }
        if (format == RecordFormat::Text)
            *p++ = '\n';
    }
    if (format == RecordFormat::Json)
        *p++ = '}';
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
