// The settings file: a private-profile text file (sections in brackets,
// key=value lines) beside the program.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zorbel
{

class INI
{
public:
    static INI& instance();

    // The file lies in the program's folder: the folder, one "/" unless it
    // already ends with one, then vFileName. Where that folder cannot be
    // written, the user's configuration folder is used instead.
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
    // Writes several values in one atomic replacement of the file.
    // Returns false when the file could not be written (the old one stays).
    bool PutIniAll(const QList<Entry>& entries);

    // The values of several keys (the value members of the entries are
    // ignored), read from one reading of the file, in the same order.
    QStringList GetIniAll(const QList<Entry>& keys) const;

    // Full path of the settings file in use (empty before SetIniFileName).
    QString FilePath() const;

    // Test seam: while on, every write fails at the moment the new file
    // would replace the old one.
    void SetWriteFailureForTesting(bool fail) { m_failWrites = fail; }

    // A settings file larger than this is not read at all: it counts as not
    // valid, and the next save replaces it.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;
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

    QString m_path;
    bool m_inConfigFolder = false;  // the program's folder could not be written
    bool m_failureReported = false; // a failed write was already reported
    bool m_failWrites = false;
};

} // namespace zorbel
