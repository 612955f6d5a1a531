// Small path and text helpers, and opening a document with the desktop's
// associated application.
#pragma once

#include <QString>

namespace zorbel
{

class clsCommon
{
public:
    // The program's folder, always ending with "/".
    static QString GetPath();

    // Tests point the program's folder somewhere else; an empty text
    // restores the real one.
    static void SetPathOverride(const QString& folder);

    // vPath with one "/" appended unless it already ends with one;
    // an empty text gives "/".
    static QString ChkPathBS(const QString& vPath);

    // Cuts the text before its first NUL, then strips blanks at both ends.
    static QString VBHTTrim(const QString& Incoming);

    // Opens vPath with the desktop's handler. Returns a value above 32 on
    // success, 32 or less on failure: 2 when the file does not exist (the
    // desktop is not asked at all), 31 when no handler took it.
    static int ShellExe(const QString& vPath);

    static constexpr int kShellOk = 42;
    static constexpr int kFileNotFound = 2;
    static constexpr int kNoAssociation = 31;
};

} // namespace zorbel
