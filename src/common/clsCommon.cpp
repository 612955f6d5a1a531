#include "common/clsCommon.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace zorbel
{

namespace
{
QString& pathOverride()
{
    static QString p;
    return p;
}
} // namespace

QString clsCommon::GetPath()
{
    if (!pathOverride().isEmpty())
        return ChkPathBS(pathOverride());
    return ChkPathBS(QCoreApplication::applicationDirPath());
}

void clsCommon::SetPathOverride(const QString& folder)
{
    pathOverride() = folder;
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

int clsCommon::ShellExe(const QString& vPath)
{
    if (vPath.isEmpty() || !QFileInfo::exists(vPath))
        return kFileNotFound;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(vPath)))
        return kNoAssociation;
    return kShellOk;
}

} // namespace zorbel
