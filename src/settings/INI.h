// The settings file: a private-profile text file (sections in brackets,
// key=value lines) beside the program.
#pragma once

#include <QList>
#include <QString>

namespace zorbel {

class INI {
public:
    static INI& instance();

    // The file lies in the program's folder: the folder, one "/" unless it
    // already ends with one, then vFileName. Where that folder cannot be
    // written, the user's configuration folder is used instead.
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

    // Full path of the settings file in use (empty before SetIniFileName).
    QString FilePath() const;
};

} // namespace zorbel
