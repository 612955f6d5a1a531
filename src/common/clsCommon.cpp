#include "common/clsCommon.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace zorbel
{

namespace
{
// The path of the running executable in the file system's own bytes, or
// empty when it cannot be found.
QByteArray executablePath()
{
    QByteArray exe(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", exe.data(), std::size_t(exe.size()));
        if (n < 0)
            return {};
        if (n < exe.size())
            return exe.left(n);
        exe.resize(exe.size() * 2);
    }
}
} // namespace

QString clsCommon::GetPath()
{
    // The kernel's name for the executable, rather than a text made from it:
    // the bytes need not be valid UTF-8.
    static const QString folder = FolderOf(executablePath());
    return folder.isEmpty() ? FallbackPath() : ChkPathBS(folder);
}

QString clsCommon::FolderOf(const QByteArray& file)
{
    if (!file.startsWith('/'))
        return {};
    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash == 0 ? QByteArray("/") : file.left(slash);
    const QString text = QFile::decodeName(folder);
    if (QFile::encodeName(text) == folder)
        return text;
    // Such a name has no text form; the folder is reached through a
    // descriptor instead, by process id rather than "self" so that a help
    // viewer started by the game finds it too.
    const int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(fd);
}

QString clsCommon::FallbackPath()
{
    // The XDG base directory rules: a relative XDG_CONFIG_HOME is ignored
    // (it would put the settings in whatever folder the game started in).
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString app = QCoreApplication::applicationName();
    return ChkPathBS(base + u'/' + (app.isEmpty() ? QStringLiteral("zorbel") : app));
}

QString clsCommon::ChkPathBS(const QString& vPath)
{
    if (vPath.endsWith(QLatin1Char('/')))
        return vPath;
    return vPath + QLatin1Char('/');
}

QString clsCommon::VBHTTrim(const QString& Incoming)
{
    QString text = Incoming;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    // Only blanks are trimmed, as the name says; tabs and line ends stay.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

clsCommon::Opened clsCommon::ShellExe(const QString& vPath, const QString& fragment)
{
    if (vPath.isEmpty() || !QFileInfo::exists(vPath))
        return Opened::NoSuchFile;
    QUrl url = QUrl::fromLocalFile(vPath);
    if (!fragment.isEmpty()) {
        const QString page = ForwardingPage(vPath, fragment);
        if (page.isEmpty())
            url.setFragment(fragment); // the next best: some openers keep it
        else
            url = QUrl::fromLocalFile(page);
    }
    if (!QDesktopServices::openUrl(url))
        return Opened::NoHandler;
    return Opened::Yes;
}

QByteArray clsCommon::ForwardingPageText(const QByteArray& realPath, const QString& fragment)
{
    // Everything but unreserved characters and "/" percent-encoded: the
    // address is then safe inside the attribute and the script string alike.
    const QByteArray address = "file://" + realPath.toPercentEncoding("/") + '#' +
                               fragment.toUtf8().toPercentEncoding("=");
    return "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n"
           "<title>Zorbel</title>\n<meta http-equiv=\"refresh\" content=\"0; url=" +
           address + "\">\n<script>location.replace(\"" + address +
           "\");</script>\n</head><body><p><a href=\"" + address +
           "\">ヘルプ</a></p></body></html>\n";
}

QString clsCommon::ForwardingPage(const QString& target, const QString& fragment)
{
    char real[PATH_MAX];
    if (!::realpath(QFile::encodeName(target).constData(), real))
        return {};
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QStringLiteral("/zorbel");
    if (!QDir::isAbsolutePath(folder) || !QDir().mkpath(folder))
        return {};
    QSaveFile page(folder + QStringLiteral("/help.htm"));
    if (!page.open(QIODevice::WriteOnly))
        return {};
    page.write(ForwardingPageText(QByteArray(real), fragment));
    return page.commit() ? page.fileName() : QString();
}

} // namespace zorbel
