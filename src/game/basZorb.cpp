#include "game/basZorb.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zorbel
{

std::int16_t CellsForLevel(std::int16_t level)
{
    switch (level) {
    case 0:
        return 3;
    case 1:
        return 30;
    case 2:
        return 40;
    case 3:
        return 60;
    case 4:
        return 80;
    case 5:
        return 100;
    default:
        return 0;
    }
}

std::int16_t StageCount(std::int16_t level)
{
    return level == 5 ? 3 : 2;
}

std::int16_t FixedCellCount(std::int16_t cellCount)
{
    return static_cast<std::int16_t>(cellCount / 15);
}

std::string FormatShortest(double value)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string FormatDetailNumber(double value)
{
    // Every number in the details is zero or positive, so it gets the blank
    // that stands where a minus sign would go.
    std::string text = value < 0 ? std::string() : std::string(" ");
    return text + FormatShortest(value);
}

namespace
{

void appendInt(std::string& out, int value)
{
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    if (value >= 0)
        out += ' ';
    out.append(buf, res.ptr);
}

} // namespace

DigitTally TallyDigits(std::span<const std::int16_t> digits)
{
    DigitTally tally;
    tally.n = static_cast<int>(digits.size());
    if (digits.empty())
        return tally;
    int previous = digits[0];
    tally.counts[static_cast<std::size_t>(previous)] += 1;
    for (std::size_t j = 1; j < digits.size(); ++j) {
        const int d = digits[j];
        tally.counts[static_cast<std::size_t>(d)] += 1;
        tally.steps[static_cast<std::size_t>(std::abs(d - previous))] += 1;
        previous = d;
    }
    return tally;
}

ScoreResult ScoreTally(const DigitTally& tally, bool wantDetails)
{
    const double n = tally.n;
    ScoreResult result;
    std::string& text = result.details;

    // 1-2. Raw score.
    const double raw = n / 2.5 + 100;
    double score = raw;
    if (wantDetails) {
        text.reserve(160);
        text += "*素点";
        text += FormatDetailNumber(raw);
        text += "\r\n";
    }

    // 3-5. Digit-frequency deductions, and the digits' sum.
    if (wantDetails)
        text += "各数字の出現回数減点 = ";
    int sum = 0;
    for (int v = 0; v < 10; ++v) {
        const int count = tally.counts[static_cast<std::size_t>(v)];
        sum += v * count;
        // Rounded down; the value is never negative, so truncation does it.
        const int a = static_cast<int>(std::fabs(count - n / 10));
        score -= a;
        if (wantDetails)
            appendInt(text, a);
    }

    // 6. Average deduction, computed in the order written.
    const double expectedSum = n * 4.5;
    const double diff = std::fabs(sum - expectedSum);
    const double perStep = n / 25;
    const int b = static_cast<int>(diff / perStep);
    score -= b;
    if (wantDetails) {
        text += "\r\n平均差減点=";
        appendInt(text, b);
    }

    // 7-8. Difference deductions against the expected counts.
    static constexpr int kMultiplier[10] = {5, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    if (wantDetails)
        text += "\r\n差 0～9 の出現回数減点 = ";
    for (int k = 0; k < 10; ++k) {
        const double expected = (n - 1) / 50 * kMultiplier[k];
        const int dk =
            static_cast<int>(std::fabs(tally.steps[static_cast<std::size_t>(k)] - expected));
        score -= dk;
        if (wantDetails)
            appendInt(text, dk);
    }

    // 9. Clamp.
    if (score > 100)
        score = 100;
    if (score < 0)
        score = 0;
    result.score = score;
    return result;
}

ScoreResult ScoreDigits(std::span<const std::int16_t> digits, bool wantDetails)
{
    return ScoreTally(TallyDigits(digits), wantDetails);
}

double basZorb::CalcScore()
{
    int n = CellCount;
    if (n < 1)
        n = 1; // never happens in play; keeps the average deduction finite
    if (n > kMaxCells)
        n = kMaxCells;
    // Guard every digit into 0..9 so a bad entry can never index out of range.
    std::array<std::int16_t, kMaxCells> safe{};
    for (int i = 0; i < n; ++i) {
        const std::int16_t d = Digits[static_cast<std::size_t>(i)];
        safe[static_cast<std::size_t>(i)] = (d < 0 || d > 9) ? std::int16_t{0} : d;
    }
    ScoreResult r =
        ScoreDigits(std::span<const std::int16_t>(safe.data(), static_cast<std::size_t>(n)), true);
    DecInfoText = std::move(r.details);
    return r.score;
}

} // namespace zorbel
