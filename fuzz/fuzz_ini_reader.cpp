// Feeds arbitrary bytes to the settings file reader as the file's content.
// Besides not crashing, hanging or reading out of bounds, it checks:
//  - every value handed out has at most 199 characters;
//  - the game data read is always in range;
//  - after the eleven keys are written into any such file, they read back
//    exactly, and writing them a second time changes nothing.
#include "settings/GameData.h"
#include "settings/INI.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace zorbel;

namespace
{

void check(bool ok)
{
    if (!ok)
        std::abort();
}

GameData readData(const QByteArray& text, const QList<INI::Entry>& keys)
{
    QStringList values;
    for (const INI::Entry& k : keys) {
        values.append(INI::ValueInText(text, k.section, k.key));
        check(values.last().size() <= INI::kMaxValueLength);
    }
    return GameDataFromValues(values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::size_t(INI::kMaxFileSize))
        return 0; // never read at all
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    static const QList<INI::Entry> keys = GameDataEntries(GameData{});

    const GameData read = readData(text, keys);
    check(read.LevelMax >= 1 && read.LevelMax <= 5);
    check(read.MaxScore[0] == 0);
    for (int n = 1; n <= 5; ++n)
        check(read.MaxScore[n] >= 0 && read.MaxScore[n] <= 100);

    // Values that differ from the ones read, so that every key is written.
    GameData next = read;
    next.LevelMax = std::int16_t(read.LevelMax % 5 + 1);
    for (int n = 1; n <= 5; ++n)
        next.MaxScore[n] = std::int16_t((read.MaxScore[n] + 37 * n) % 101);
    next.ClearFlg = !read.ClearFlg;
    next.SoundOn = !read.SoundOn;
    next.BGMOn = !read.BGMOn;
    next.InfoOn = !read.InfoOn;
    const QByteArray saved = INI::TextWithValues(text, GameDataEntries(next));
    check(readData(saved, keys) == next);
    check(INI::TextWithValues(saved, GameDataEntries(next)) == saved);
    return 0;
}
