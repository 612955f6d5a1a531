#include "ui/Prompter.h"

#include <QMessageBox>

namespace zorbel
{

namespace
{
Prompter::Handler& handler()
{
    static Prompter::Handler h;
    return h;
}
} // namespace

void Prompter::setHandler(Handler h)
{
    handler() = std::move(h);
}

bool Prompter::askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    if (handler())
        return handler()(Kind::Question, title, text) == Answer::Yes;
    // Yes first and by default, as a Yes/No box has always been.
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

void Prompter::showError(QWidget* parent, const QString& title, const QString& text)
{
    if (handler()) {
        handler()(Kind::Error, title, text);
        return;
    }
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

} // namespace zorbel
