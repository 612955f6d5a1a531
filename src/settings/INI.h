// The settings file: a private-profile text file (sections in brackets,
// key=value lines) beside the program.
#pragma once

#include "common/Logging.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zorbel
{

class INI
{
public:
    // Settings beside the program in programFolder (the game passes its own
    // folder, tests a folder of their own).
    explicit INI(const QString& programFolder);

    // The file lies in the program's folder: the folder, one "/" unless it
    // already ends with one, then vFileName. Where that folder cannot be
    // written, or the file there is not a plain file we may write (a folder,
    // a pipe, a device, a file without write permission for its owner), the
    // user's configuration folder is used instead.
    // May be called again; every call chooses the folder afresh.
    void SetIniFileName(const QString& vFileName);

    // The value of KeyName in section AppName, or "" when the file, the
    // section or the key is missing; at most 199 characters.
    QString GetIni(const QString& AppName, const QString& KeyName) const;

    // Writes one value, keeping every other line of the file as it was.
    void PutIni(const QString& AppName, const QString& KeyName, const QString& SaveData);

    struct Entry {
        QString section;
        QString key;
        QString value;
    };
    // Writes several values in one atomic replacement of the file, which
    // keeps its permission bits; a symbolic link stays a link and the file
    // it leads to is replaced. Only a plain file that its owner may write is
    // ever replaced: anything else moves the settings to the configuration
    // folder. Should the file grow beyond kMaxFileSize, only the values
    // written are kept and the rest of the file is dropped.
    // Returns false when the file could not be written (the old one stays).
    bool PutIniAll(const QList<Entry>& entries);

    // The values of several keys (the value members of the entries are
    // ignored), read from one reading of the file, in the same order.
    QStringList GetIniAll(const QList<Entry>& keys) const;

    // True for a folder of the system's own (under /usr), where an
    // installed game lies.
    static bool IsSystemFolder(const QString& folder);

    // Full path of the settings file in use (empty before SetIniFileName).
    QString FilePath() const;

    // Test seam: while on, every write fails at the moment the new file
    // would replace the old one.
    void SetWriteFailureForTesting(bool fail) { failWrites_ = fail; }

    // A settings file larger than this is not read at all, nor replaced: it
    // is left as it is, and the settings go to the configuration folder.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    // Longest value handed out by GetIni.
    static constexpr int kMaxValueLength = 199;

    // The file format itself, on the file's bytes, without touching the disk.
    // The value of a key in a file text, with GetIni's rules.
    static QString ValueInText(const QByteArray& text, const QString& AppName,
                               const QString& KeyName);
    // The file text after writing the entries into it, with PutIni's rules.
    static QByteArray TextWithValues(const QByteArray& text, const QList<Entry>& entries);

private:
    // The file's bytes, or nothing when it is missing, not a plain file,
    // unreadable or larger than kMaxFileSize.
    QByteArray ReadFileText() const;
    static QByteArray ReadPlainFile(const QString& path);

    // Moves path_ to the configuration folder when the file there is not
    // ours to write. False when the configuration folder's file is not
    // ours either.
    bool AvoidForeignFile();

    QString programFolder_;
    QString path_;
    QString fileName_;
    bool inConfigFolder_ = false; // the program's folder is not used
    QString sourcePath_;          // a file not ours, read until ours exists
    // A failed write, a file not ours, dropping the rest of a big file: each
    // reported once for the file chosen.
    WarnOnce warned_;
    bool failWrites_ = false;
};

} // namespace zorbel
