// The one seam for modal questions and messages, so tests can answer them.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace zorbel
{

class Prompter
{
public:
    enum class Kind { Question, Error };
    enum class Answer { Yes, No, Ok };

    // Asks a Yes/No question (question icon) and returns the answer.
    static bool askYesNo(QWidget* parent, const QString& title, const QString& text);
    // Shows an error box (stop icon) with a single OK button.
    static void showError(QWidget* parent, const QString& title, const QString& text);

    // Tests install a handler that answers instead of a real message box.
    using Handler = std::function<Answer(Kind, const QString& title, const QString& text)>;
    static void setHandler(Handler handler);
};

} // namespace zorbel
