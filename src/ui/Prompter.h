// What the windows ask of the desktop: modal questions and messages, and
// opening the help page. The game hands in DesktopPrompter; tests hand in
// a fake that answers.
#pragma once

#include <QString>

class QCoreApplication;
class QWidget;

namespace zorbel
{

class Prompter
{
public:
    virtual ~Prompter() = default;
    // A Yes/No question (question icon); Yes is the default, Esc answers No.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // An error box (stop icon) with a single OK button.
    virtual void showError(QWidget* parent, const QString& title, const QString& text) = 0;
    // Opens a file with the desktop's handler, with an optional URL
    // fragment; whether it was opened.
    virtual bool ShellExe(const QString& path, const QString& fragment) = 0;
};

// The real thing: Qt's message boxes and the desktop's file handler.
class DesktopPrompter final : public Prompter
{
public:
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override;
    void showError(QWidget* parent, const QString& title, const QString& text) override;
    bool ShellExe(const QString& path, const QString& fragment) override;
};

// Loads Qt's own Japanese texts for its standard buttons (はい, いいえ ...),
// so the message boxes speak the game's language. False when Qt's
// translation is not installed; the buttons then stay in English.
bool installQtJapanese(QCoreApplication& app);

} // namespace zorbel
