// Small helpers shared by the long-running and fault tests: the process's
// resident memory, a settings file text, copying the shipped files into a
// program folder.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

namespace zorbel::soak
{

// Under AddressSanitizer freed memory is held back in quarantine and the
// allocator is not glibc's, so memory figures say nothing about leaks.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kMemoryFiguresMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kMemoryFiguresMeaningful = false;
#else
inline constexpr bool kMemoryFiguresMeaningful = true;
#endif
#else
inline constexpr bool kMemoryFiguresMeaningful = true;
#endif

// Resident memory of this process in bytes, from /proc/self/statm.
inline qint64 residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = f.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// A settings file with the given progress and options, in the game's own
// format.
inline QByteArray iniWith(int levelMax, bool bgmOn, bool soundOn = true)
{
    QByteArray text =
        "[Dummy]\nDummy=OK\n[GameData]\nLevelMax= " + QByteArray::number(levelMax) + "\n";
    for (int level = 1; level <= 5; ++level)
        text += "MaxScore" + QByteArray::number(level) + "= 0\n";
    text += "ClearFlg=False\n[Option]\n";
    text += QByteArray("SoundOn=") + (soundOn ? "True" : "False") + "\n";
    text += QByteArray("BGMOn=") + (bgmOn ? "True" : "False") + "\n";
    text += "InfoOn=True\n";
    return text;
}

// The files the game reads from its folder.
inline const QStringList kWaveFiles = {"fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav"};
inline const QStringList kTuneFiles = {"rg1.mid", "rg2.mid", "rg3.mid", "rg4.mid",
                                       "rg5.mid", "rg7.mid", "rg8.mid", "rg9.mid"};

// Copies a file or a whole folder; false when anything could not be copied.
inline bool copyTree(const QString& from, const QString& to)
{
    const QFileInfo info(from);
    if (info.isDir()) {
        if (!QDir().mkpath(to))
            return false;
        const QDir dir(from);
        for (const QString& name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            if (!copyTree(dir.filePath(name), QDir(to).filePath(name)))
                return false;
        return true;
    }
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace zorbel::soak
