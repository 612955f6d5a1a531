// Small path and text helpers, and opening a document with the desktop's
// associated application.
#pragma once

#include <QByteArray>
#include <QString>

namespace zorbel
{

class clsCommon
{
public:
    // The program's folder, always ending with "/". When the folder of the
    // running executable cannot be found, the user's configuration folder
    // (FallbackPath) stands in for it.
    static QString GetPath();

    // The folder holding the file `file`, named in the file system's own
    // bytes, as a path the program can open files under (when the name is
    // not valid UTF-8, a path through a descriptor held open for the whole
    // run); empty when there is no such folder.
    static QString FolderOf(const QByteArray& file);

    // The user's configuration folder for the game (~/.config/zorbel/),
    // ending with "/".
    static QString FallbackPath();

    // vPath with one "/" appended unless it already ends with one;
    // an empty text gives "/".
    static QString ChkPathBS(const QString& vPath);

    // Cuts the text before its first NUL, then strips blanks at both ends.
    static QString VBHTTrim(const QString& Incoming);

    // How opening a file with the desktop's handler went.
    enum class Opened { Yes, NoSuchFile, NoHandler };

    // Opens vPath with the desktop's handler, as a file URL with `fragment`
    // when one is given. A missing file is not handed to the desktop at all.
    // With a fragment, the desktop is handed a small page in the user's
    // cache folder that forwards to the file with its fragment (see
    // ForwardingPage): an opener without a desktop-specific handler gives
    // the browser a bare path and drops the fragment.
    static Opened ShellExe(const QString& vPath, const QString& fragment = {});

    // Writes the forwarding page (zorbel/help.htm in the user's cache
    // folder) for the file `target` and `fragment`; its path, or empty when
    // it cannot be written. The page names the target by its real path in
    // the file system's own bytes, so it leads there even after the game
    // has exited (a path through a descriptor would not).
    static QString ForwardingPage(const QString& target, const QString& fragment);
    // The page's text, forwarding to the file realPath (bytes) with fragment.
    static QByteArray ForwardingPageText(const QByteArray& realPath, const QString& fragment);
};

} // namespace zorbel
