#include "ui/Prompter.h"

#include "common/clsCommon.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace zorbel
{

bool DesktopPrompter::askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    // Yes first and by default, as a Yes/No box has always been; Esc is No.
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

void DesktopPrompter::showError(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

bool DesktopPrompter::ShellExe(const QString& path, const QString& fragment)
{
    return clsCommon::ShellExe(path, fragment) == clsCommon::Opened::Yes;
}

bool installQtJapanese(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace zorbel
