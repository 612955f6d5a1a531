#include "settings/GameData.h"

#include <algorithm>

namespace zorbel
{

namespace
{

const QString kMarker = QStringLiteral("OK");
constexpr int kKeyCount = 11;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A decimal number at the start of a text: an optional sign, digits, and
// optionally a point with more digits. Only what rounding needs is kept.
struct Decimal {
    bool negative = false;
    bool hasDigits = false;
    bool nonZero = false;
    bool tooLarge = false; // the whole part is far beyond 16 bits
    int whole = 0;
    int firstFraction = 0;     // first digit after the point
    bool fractionRest = false; // a non-zero digit after the first one
    qsizetype end = 0;         // where the number stops
};

Decimal scanDecimal(const QString& text, qsizetype i)
{
    Decimal d;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        d.negative = text[i] == u'-';
        ++i;
    }
    for (; i < n && isDigit(text[i]); ++i) {
        const int digit = text[i].unicode() - u'0';
        d.hasDigits = true;
        d.nonZero = d.nonZero || digit != 0;
        if (!d.tooLarge) {
            d.whole = d.whole * 10 + digit;
            d.tooLarge = d.whole > 1000000;
        }
    }
    if (i < n && text[i] == u'.') {
        ++i;
        for (bool first = true; i < n && isDigit(text[i]); ++i, first = false) {
            const int digit = text[i].unicode() - u'0';
            d.hasDigits = true;
            d.nonZero = d.nonZero || digit != 0;
            if (first)
                d.firstFraction = digit;
            else
                d.fractionRest = d.fractionRest || digit != 0;
        }
    }
    d.end = i;
    return d;
}

QString scoreKey(int level)
{
    return QStringLiteral("MaxScore") + QString::number(level, 16).toUpper();
}

} // namespace

QString FormatIniNumber(int value)
{
    if (value < 0)
        return QString::number(value);
    return QLatin1Char(' ') + QString::number(value);
}

QString FormatIniFlag(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<std::int16_t> ReadIniNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const Decimal d = scanDecimal(text, i);
    if (!d.hasDigits)
        return 0;
    if (d.tooLarge)
        return std::nullopt;
    // Round to nearest, a half exactly to the even neighbour; working on the
    // digits keeps 2.5 and 3.5 exact.
    int magnitude = d.whole;
    if (d.firstFraction > 5 || (d.firstFraction == 5 && (d.fractionRest || magnitude % 2 == 1)))
        ++magnitude;
    const int value = d.negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::optional<bool> ReadIniFlag(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const Decimal d = scanDecimal(t, 0);
    if (d.hasDigits && d.end == t.size())
        return d.nonZero;
    return std::nullopt;
}

QList<INI::Entry> GameDataEntries(const GameData& data)
{
    const QString game = QStringLiteral("GameData");
    const QString option = QStringLiteral("Option");
    QList<INI::Entry> entries;
    entries.reserve(kKeyCount);
    entries.append({QStringLiteral("Dummy"), QStringLiteral("Dummy"), kMarker});
    entries.append({game, QStringLiteral("LevelMax"), FormatIniNumber(data.progress.LevelMax)});
    for (int n = 1; n <= 5; ++n)
        entries.append({game, scoreKey(n), FormatIniNumber(data.progress.MaxScore[n])});
    entries.append({game, QStringLiteral("ClearFlg"), FormatIniFlag(data.progress.ClearFlg)});
    entries.append({option, QStringLiteral("SoundOn"), FormatIniFlag(data.options.SoundOn)});
    entries.append({option, QStringLiteral("BGMOn"), FormatIniFlag(data.options.BGMOn)});
    entries.append({option, QStringLiteral("InfoOn"), FormatIniFlag(data.options.InfoOn)});
    return entries;
}

GameData GameDataFromValues(const QStringList& values)
{
    GameData d;
    // Without the marker (compared with its letter case) nothing else counts.
    if (values.size() < kKeyCount || values[0] != kMarker)
        return d;
    // Level selection divides by LevelMax and the menu shows MaxScore of the
    // level, so values a hand-edited file may hold are brought into range:
    // LevelMax into 1..5, best scores into 0..100; numbers beyond 16 bits and
    // flags that are neither a word nor a number take the key's default.
    d.progress.LevelMax = std::clamp<std::int16_t>(ReadIniNumber(values[1]).value_or(1), 1, 5);
    for (int n = 1; n <= 5; ++n)
        d.progress.MaxScore[n] = std::clamp<std::int16_t>(ReadIniNumber(values[1 + n]).value_or(0), 0, 100);
    d.progress.ClearFlg = ReadIniFlag(values[7]).value_or(false);
    d.options.SoundOn = ReadIniFlag(values[8]).value_or(true);
    d.options.BGMOn = ReadIniFlag(values[9]).value_or(true);
    d.options.InfoOn = ReadIniFlag(values[10]).value_or(true);
    return d;
}

GameData ReadGameData(const INI& ini)
{
    // One reading of the file for all eleven keys.
    return GameDataFromValues(ini.GetIniAll(GameDataEntries(GameData{})));
}

bool SaveGameData(INI& ini, const GameData& data)
{
    const GameData onDisk = ReadGameData(ini);
    GameData merged = data;
    merged.progress.LevelMax = std::max(data.progress.LevelMax, onDisk.progress.LevelMax);
    for (int n = 1; n <= 5; ++n)
        merged.progress.MaxScore[n] = std::max(data.progress.MaxScore[n], onDisk.progress.MaxScore[n]);
    merged.progress.ClearFlg = data.progress.ClearFlg || onDisk.progress.ClearFlg;
    return ini.PutIniAll(GameDataEntries(merged));
}

} // namespace zorbel
